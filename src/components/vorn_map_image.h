#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/timer_list.h"
#include "components/vorn_control.h"
#include "components/vorn_image_list.h"
#include "graphics/region_file.h"

namespace vorn {

class TDIBX;

// Close states of a map image: 100 asks the next tick to block its events, 101 the tick after to
// free it.
inline constexpr std::int32_t kMapClosing = 100;
inline constexpr std::int32_t kMapClosed = 101;

// A picture with named regions read from a region file (kind 18). The region under the mouse or
// chosen with the cursor keys is cut out of the picture and the hover picture shows through the
// hole; entering, leaving and selecting regions post events and set "@SelStr" and "@SelIndex".
// The map image is offered right presses first, to cancel itself.
class TVornMapImage : public TVornControl {
 public:
  explicit TVornMapImage(TVornBaseList* owner);
  ~TVornMapImage() override;
  // Joins the scene's list of menus and image maps; Destroying repaints the area and leaves it.
  void Create(std::unique_ptr<TVornObject> self) override;
  void Destroying() override;

  std::uint8_t GetCompoType() const override { return 18; }

  std::string GetSource() const override { return source_; }
  void SetSource(const std::string& value) override;
  std::string GetHoverSource() const override { return hover_source_; }
  void SetHoverSource(const std::string& value) override;
  std::string GetMapSource() const override { return map_source_; }
  // Reads the regions when the project holds the file (none otherwise); hovers nothing, silently.
  void SetMapSource(const std::string& value) override;
  std::int32_t GetAlpha() const override { return alpha_; }
  void SetAlpha(std::int32_t value) override;
  std::int32_t GetBrightness() const override { return brightness_; }
  void SetBrightness(std::int32_t value) override;
  bool GetAutoScrap() const override { return auto_scrap_ != 0; }
  void SetAutoScrap(bool value) override { auto_scrap_ = value ? 1 : 0; }
  bool GetRClickScrap() const override { return rclick_scrap_ != 0; }
  void SetRClickScrap(bool value) override { rclick_scrap_ = value ? 1 : 0; }
  bool GetPaused() const override { return paused_ != 0; }
  void SetPaused(bool value) override { paused_ = value ? 1 : 0; }
  bool GetRepeat() const override { return true; }
  std::string GetOnMapIn() const override { return on_map_in_; }
  void SetOnMapIn(const std::string& value) override { on_map_in_ = value; }
  std::string GetOnMapOut() const override { return on_map_out_; }
  void SetOnMapOut(const std::string& value) override { on_map_out_ = value; }
  std::string GetOnSelect() const override { return on_select_; }
  void SetOnSelect(const std::string& value) override { on_select_ = value; }
  std::string GetOnIdle() const override { return on_idle_; }
  void SetOnIdle(const std::string& value) override { on_idle_ = value; }
  bool IsEventBlocked() const override { return events_blocked_; }

  int RegionCount() const { return static_cast<int>(regions_.size()); }
  const TMapRegion& Region(int index) const { return regions_[static_cast<std::size_t>(index)]; }
  int HoveredIndex() const { return hovered_; }
  std::int32_t CloseState() const { return close_state_; }
  // Moves the hover: ONMAPOUT for the old region, ONMAPIN for the new one, both boxes repainted.
  void SetHover(int index);
  // The hovered region becomes the selection ("@SelStr", "@SelIndex", ONSELECT); with AUTOSCRAP
  // the map image closes.
  void Select();

  void MouseMove() override;
  void MouseOut(TVornObject* next) override;
  void LBtnDown() override;
  bool RightClickCancel() override;
  // The cursor keys move the hover, Enter and Space select, Escape cancels; then ONKEYREPEAT.
  void KeyRepeat() override;

  void Paint() override;
  bool Tick() override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;

  // The prepared mask a frame was last drawn with, and the hovered index it was made for (tests).
  TCustomDIBX* PreparedPictureMask(int frame) const;
  int PreparedPictureIndex(int frame) const;

 protected:
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  // A frame's own mask: the cached mask with the hovered region cut out (picture) or kept alone
  // (hover picture). The cache's masks are shared with every other user and stay untouched.
  struct TPreparedMask {
    std::unique_ptr<TDIBX> mask;
    int index = -1;
  };

  void LoadList(TVornImageList& list, std::vector<TPreparedMask>& prepared, const std::string& name);
  // Rebuilds the prepared mask of the list's current frame when the hovered region changed.
  TCustomDIBX* PrepareMask(TVornImageData& frame, TPreparedMask& prepared, bool keep_region_only) const;
  void DrawFrame(TVornImageList& list, std::vector<TPreparedMask>& prepared, bool keep_region_only);
  void InvalidateRegionBox(int index);
  void PostRegionEvent(const std::string& label, std::uint8_t code, int index, TPostKind kind);
  void ClearSelection();
  void ForgetPrepared();

  std::string source_;
  std::string hover_source_;
  std::string map_source_;
  std::int32_t alpha_ = 0;
  std::int32_t brightness_ = 0;
  std::uint8_t auto_scrap_ = 0;
  std::uint8_t rclick_scrap_ = 0;
  std::uint8_t paused_ = 0;
  std::string on_map_in_;
  std::string on_map_out_;
  std::string on_select_;
  TVornImageList pictures_;
  TVornImageList hovers_;
  std::vector<TMapRegion> regions_;
  int hovered_ = -1;
  std::vector<TPreparedMask> picture_masks_;
  std::vector<TPreparedMask> hover_masks_;
  std::int32_t close_state_ = 0;
  std::string on_idle_;
  bool events_blocked_ = false;
};

}  // namespace vorn
