#pragma once

// The frames of one layered-image file as components hold them: a list of image data, one per
// frame of a cached picture, each with an optional brightness-adjusted copy of its surface.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/rect.h"

namespace vorn {

class TCustomDIBX;
class TPelkItem;
class TPelkItemFrame;
class TVornBaseList;
class TVornControl;

// Grey levels beyond this are not defined: brightness is limited to -255..255.
inline constexpr std::int32_t kMaxBrightness = 255;

class TVornImageData {
 public:
  // scene: whose screen decides the adjusted copy's kind (null: a bitmap).
  TVornImageData(TPelkItemFrame& frame, const TVornBaseList* scene);
  ~TVornImageData();
  TVornImageData(const TVornImageData&) = delete;
  TVornImageData& operator=(const TVornImageData&) = delete;

  // The adjusted copy while the brightness is not 0, else the cached frame's surface. Read it at
  // every use: a display restore replaces both.
  TCustomDIBX* GetSurface() const;
  TCustomDIBX* GetMask() const;
  // The frame's transparent colour as RGB, -1 for none.
  std::int32_t GetColorKey() const;
  std::int32_t GetDelay() const;
  std::int32_t GetBrightness() const { return brightness_; }
  // Positive adds a grey of that level to every channel, negative subtracts it (saturating); the
  // key follows, and no visible pixel is allowed to become the new key.
  void SetBrightness(std::int32_t brightness);
  void ReleaseSurface();
  void RestoreSurface();

  // The frame as the control shows a picture (its ALPHA, ANGLE, zooms, flips, pivot and screen
  // rectangle); mask, when given, replaces the frame's.
  void DrawAsControl(TVornControl& control, TCustomDIBX* mask = nullptr);
  // Fills the rectangle with the frame repeated from the origin offsets, at the caller's opacity.
  void DrawTo(TCustomDIBX& target, const TRect& rect, std::int32_t opacity, std::int32_t origin_y,
              std::int32_t origin_x);
  // The source part at (x, y) of the control's layer, with the control's ALPHA and flips.
  void DrawToLabel(TVornControl& control, int x, int y, const TRect& source);

  TPelkItemFrame& Frame() const { return frame_; }

 private:
  void Adjust();

  TPelkItemFrame& frame_;
  const TVornBaseList* scene_;
  std::unique_ptr<TCustomDIBX> adjusted_;
  std::int32_t brightness_ = 0;
};

class TVornImageList {
 public:
  explicit TVornImageList(const TVornBaseList* scene);
  ~TVornImageList();
  TVornImageList(const TVornImageList&) = delete;
  TVornImageList& operator=(const TVornImageList&) = delete;

  // Frees the frames and gives the cached picture back.
  void Clear();
  // Loads the file's frames through the cache (never trimmed), the list being the user; index 0.
  void LoadFromFile(const std::string& name, bool mask);
  int Count() const { return static_cast<int>(items_.size()); }
  // Null outside 0..Count() - 1.
  TVornImageData* GetItem(int index) const;
  TVornImageData* Current() const { return GetItem(index_); }
  TPelkItem* CacheItem() const { return item_; }

  std::int32_t GetIndex() const { return index_; }
  // Lowered to the last frame; from 0 on, the remaining delay becomes the frame's delay + 1.
  void SetIndex(std::int32_t index);
  std::int32_t GetRemainingDelay() const { return remaining_; }
  void SetRemainingDelay(std::int32_t ms) { remaining_ = ms; }
  // Steps by the frame's game time; true when another frame became current. At most one wrap to
  // the first frame per call.
  bool Animate();

  void ReleaseAll();
  void RestoreAll();

 private:
  const TVornBaseList* scene_;
  std::vector<std::unique_ptr<TVornImageData>> items_;
  std::int32_t index_ = 0;
  std::int32_t remaining_ = 0;
  TPelkItem* item_ = nullptr;
};

// Adds to a delay without leaving 32 bits.
std::int32_t AddDelay(std::int64_t a, std::int64_t b);

}  // namespace vorn
