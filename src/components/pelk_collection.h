#pragma once

// The layered-image cache: every picture file is decoded once into display surfaces and shared by
// all its users; pictures nobody uses stay for reuse while their total size is small enough.

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/rect.h"

namespace vorn {

class TCustomDIBX;
class TDIBX;
class TPelkCollection;
class TPelkFrameList;
class TPelkFrame;
class TStream;
class TVornBaseList;

// One decoded frame: its surface (colour key set from the transparent colour), its 8-bit mask or
// none, its delay and where a trimmed frame lies inside the full picture.
class TPelkItemFrame {
 public:
  TPelkItemFrame();
  ~TPelkItemFrame();

  TCustomDIBX& Surface() const { return *surface_; }
  // The 8-bit mask, or null.
  TCustomDIBX* Mask() const;
  std::int32_t TransparentColor() const { return transparent_color_; }
  std::int32_t Delay() const { return delay_; }
  std::int32_t OffsetX() const { return offset_x_; }
  std::int32_t OffsetY() const { return offset_y_; }

  // The source part at (x, y). With a mask: masked blend below 255, masked copy at 255, masked
  // addition of alpha - 256 from 256; without one the same three modes, keyed when the surface
  // has a key. Nothing outside 1..511.
  void Draw(TCustomDIBX& target, int x, int y, std::int32_t alpha, bool flip_h, bool flip_v,
            const TRect& source) const;
  // Fills the rectangle with copies of the source part, the first row from source line
  // start_y mod its height (columns likewise); flips mirror the pieces' places inside the rectangle.
  void DrawTiled(TCustomDIBX& target, const TRect& rect, std::int32_t alpha, bool flip_v, bool flip_h,
                 std::int32_t start_y, std::int32_t start_x, const TRect& source) const;

  // Bytes of the surface and the mask.
  std::int64_t SizeInBytes() const;

 private:
  friend class TPelkCollection;

  std::unique_ptr<TCustomDIBX> surface_;
  std::unique_ptr<TDIBX> mask_;
  std::int32_t transparent_color_ = -1;
  std::int32_t delay_ = 1;
  std::int32_t offset_x_ = 0;
  std::int32_t offset_y_ = 0;
};

// One cached picture, named by its key (file name, then "?m" for the mask variant, then "?t" for
// the trimmed one). Users are opaque references, each counted once.
class TPelkItem {
 public:
  TPelkItem(TPelkCollection& owner, std::string key, std::string file_name, bool trimmed, bool mask);
  ~TPelkItem();
  TPelkItem(const TPelkItem&) = delete;
  TPelkItem& operator=(const TPelkItem&) = delete;

  const std::string& Name() const { return key_; }
  const std::string& FileName() const { return file_name_; }
  bool IsTrimmed() const { return trimmed_; }
  bool IsMaskVariant() const { return mask_; }

  int FrameCount() const { return static_cast<int>(frames_.size()); }
  // Null outside 0..FrameCount() - 1.
  TPelkItemFrame* Frame(int index) const;
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  std::int32_t TotalDelay() const { return total_delay_; }

  int UserCount() const { return static_cast<int>(users_.size()); }
  bool HasUser(const void* user) const;
  bool IsIdle() const { return idle_; }
  // Removes the user; the last one leaving puts the item at the end of the idle list and trims
  // the cache, which may free this very item. A user not in the list changes nothing.
  void Release(const void* user);

  std::int64_t SizeInBytes() const;

 private:
  friend class TPelkCollection;

  TPelkCollection& owner_;
  std::string key_;
  std::string file_name_;
  bool trimmed_;
  bool mask_;
  std::vector<const void*> users_;
  std::vector<std::unique_ptr<TPelkItemFrame>> frames_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t total_delay_ = 0;
  // Place in the idle list and the size counted there while idle.
  bool idle_ = false;
  std::list<TPelkItem*>::iterator idle_place_;
  std::int64_t idle_size_ = 0;
};

// The cache. Pictures are read from the current project's files with its identification code;
// their surfaces follow the scene's screen (picture_surface.h). Main thread only.
class TPelkCollection {
 public:
  // Idle pictures stay while they total at most this many bytes; the newest always stays.
  static constexpr std::int64_t kIdleLimitBytes = 5'760'000;

  // scene: whose screen decides the surfaces' kind and depth; null for 32-bit bitmaps.
  explicit TPelkCollection(const TVornBaseList* scene = nullptr);
  virtual ~TPelkCollection();
  TPelkCollection(const TPelkCollection&) = delete;
  TPelkCollection& operator=(const TPelkCollection&) = delete;

  // The picture for the user, loaded on first use. A missing file gives an 8 x 8 black frame
  // keyed black; a decode error leaves nothing behind and reaches the caller.
  TPelkItem& Acquire(const void* user, const std::string& name, bool trimmed, bool mask);
  // Frees the idle items of the name's four keys; items in use stay.
  void Purge(std::string_view name);
  // The item of a key (case ignored), or null.
  TPelkItem* Find(std::string_view key) const;
  int Count() const { return static_cast<int>(items_.size()); }
  int IdleCount() const { return static_cast<int>(idle_.size()); }
  std::int64_t IdleBytes() const { return idle_bytes_; }
  int UserTotal() const;

  // Decoding straight into the screen's depth. A change reloads every picture into its surfaces.
  bool GetCGDither() const { return cg_dither_; }
  void SetCGDither(bool flag);
  // Status record: the depth flag as one byte, read when the version is above 100.
  void SaveToStream(TStream& stream) const;
  void LoadFromStream(TStream& stream, std::int32_t version);

  // Display-mode change: every frame surface gives up its device memory, then every picture is
  // loaded again into new surfaces of the current kind and depth (masks are refilled in place).
  void ReleaseSurfaces();
  void RestoreSurfaces();

  const TVornBaseList* Scene() const { return scene_; }

 protected:
  // Where pictures come from: the current project's files, decoded with its identification code.
  // False when there is no such file.
  virtual bool ReadPicture(const std::string& name, TStream& stream, std::uint32_t& identification_code) const;

 private:
  friend class TPelkItem;

  static std::string KeyOf(std::string_view name, bool trimmed, bool mask);
  static std::string Folded(std::string_view key);
  void Load(TPelkItem& item);
  // Decodes the item's file; false when the project has no such file.
  bool Decode(const TPelkItem& item, TPelkFrameList& list) const;
  void FillFrame(const TPelkItem& item, TPelkFrame& source, TPelkItemFrame& frame) const;
  void Reload(TPelkItem& item, bool new_surfaces);
  // The frame of a missing file: 8 x 8 black keyed black (an empty mask for the mask variant).
  void MakeBlank(const TPelkItem& item, TPelkItemFrame& frame) const;
  void Blank(TPelkItem& item);
  void MakeIdle(TPelkItem& item);
  void LeaveIdle(TPelkItem& item);
  void Trim();
  void Free(TPelkItem& item);

  const TVornBaseList* scene_;
  std::unordered_map<std::string, std::unique_ptr<TPelkItem>> items_;
  std::list<TPelkItem*> idle_;
  std::int64_t idle_bytes_ = 0;
  bool cg_dither_ = false;
};

// The scene's cache, made with the scene globals; null outside the engine's life.
extern TPelkCollection* PelkMan;

}  // namespace vorn
