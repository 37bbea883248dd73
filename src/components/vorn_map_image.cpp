#include "components/vorn_map_image.h"

#include <algorithm>

#include "components/pelk_collection.h"
#include "components/region_mask.h"
#include "components/vorn_base_list.h"
#include "engine/param_collection.h"
#include "engine/project.h"
#include "foundation/array_string.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "foundation/vocabulary_codes.h"
#include "foundation/vr_file_manager.h"
#include "graphics/dibx.h"
#include "platform/key_codes.h"

namespace vorn {

namespace {

using platform::kVkDown;
using platform::kVkEscape;
using platform::kVkLeft;
using platform::kVkReturn;
using platform::kVkRight;
using platform::kVkSpace;
using platform::kVkUp;

// Fields that joined the record after these versions.
constexpr std::int32_t kLastVersionWithoutMapIdle = 103;
constexpr std::int32_t kLastVersionWithoutCloseState = 114;

bool TakesMapPress(std::uint8_t mode) { return mode == IM_NONE || mode == IM_RCLICK; }
bool MayCancel(std::uint8_t mode) { return mode == IM_NONE || mode == IM_LCLICK; }

}  // namespace

TVornMapImage::TVornMapImage(TVornBaseList* owner) : TVornControl(owner), pictures_(owner), hovers_(owner) {}

TVornMapImage::~TVornMapImage() = default;

void TVornMapImage::Create(std::unique_ptr<TVornObject> self) {
  TVornBaseList* scene = GetOwner();
  TVornControl::Create(std::move(self));
  if (scene != nullptr) scene->Menus().AddUnique(this);
}

void TVornMapImage::Destroying() {
  // Its picture must not stay on the layer once it is gone.
  Invalidate();
  if (TVornBaseList* scene = GetOwner()) scene->Menus().Remove(this);
  TVornControl::Destroying();
}

// ---- sources ----

void TVornMapImage::LoadList(TVornImageList& list, std::vector<TPreparedMask>& prepared, const std::string& name) {
  prepared.clear();
  list.Clear();
  // An empty name is no picture (the cache would answer a blank stand-in frame).
  if (!name.empty()) list.LoadFromFile(name, true);
  prepared.resize(static_cast<std::size_t>(list.Count()));
  if (list.Count() > 0) list.SetIndex(0);
}

void TVornMapImage::SetSource(const std::string& value) {
  if (value == source_) return;
  Invalidate();
  source_ = value;
  StoreWidth(0);
  StoreHeight(0);
  LoadList(pictures_, picture_masks_, value);
  const TVornImageData* first = pictures_.GetItem(0);
  if (first == nullptr) return;
  StoreWidth(first->Frame().Surface().GetWidth());
  StoreHeight(first->Frame().Surface().GetHeight());
  Invalidate();
}

void TVornMapImage::SetHoverSource(const std::string& value) {
  if (value == hover_source_) return;
  hover_source_ = value;
  LoadList(hovers_, hover_masks_, value);
}

void TVornMapImage::SetMapSource(const std::string& value) {
  if (value == map_source_) return;
  map_source_ = value;
  // The hole of the region hovered so far goes with it; no ONMAPOUT.
  InvalidateRegionBox(hovered_);
  hovered_ = -1;
  regions_.clear();
  TProject* project = CurrentProject();
  if (project == nullptr || value.empty() || !project->CheckFile(value)) return;
  TMemoryStream stream;
  project->Files().LoadToStream(stream, value);
  stream.SetPosition(0);
  regions_ = ReadRegionFile(stream, value);
}

void TVornMapImage::SetAlpha(std::int32_t value) {
  if (value == alpha_) return;
  alpha_ = value;
  Invalidate();
}

void TVornMapImage::SetBrightness(std::int32_t value) {
  if (value == brightness_) return;
  brightness_ = value;
  Invalidate();
}

// ---- hover and selection ----

void TVornMapImage::PostRegionEvent(const std::string& label, std::uint8_t code, int index, TPostKind kind) {
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr || index < 0 || index >= RegionCount()) return;
  if (!CanPostEvent(scene->Events(), *this, label, code, kind)) return;
  TArrayString arguments;
  arguments.Add(Region(index).text);
  arguments.Add(std::to_string(index));
  scene->Events().PostEvent(this, label, &arguments, code);
}

void TVornMapImage::InvalidateRegionBox(int index) {
  if (index < 0 || index >= RegionCount() || !GetVisible()) return;
  TVornBase* layer = GetBase();
  const TRect box = Region(index).region.Box();
  if (layer == nullptr || RectIsEmpty(box)) return;
  const std::int64_t left = GetScreenLeft();
  const std::int64_t top = GetScreenTop();
  TRect rect{Wrap32(left + box.left), Wrap32(top + box.top), Wrap32(left + box.right), Wrap32(top + box.bottom)};
  if (TVornControl* parent = GetParent(); parent != nullptr && !parent->ClipToClient(rect)) return;
  if (const TRect clip = GetClipRect(); !RectIsEmpty(clip)) {
    rect = ClipRectTo(rect, clip);
    if (RectIsEmpty(rect)) return;
  }
  AdjustInvalidRect(rect);
  layer->InvalidateRect(rect);
}

void TVornMapImage::SetHover(int index) {
  if (index == hovered_) return;
  if (hovered_ >= 0) {
    PostRegionEvent(on_map_out_, PR_ONMAPOUT, hovered_, TPostKind::kPlain);
    InvalidateRegionBox(hovered_);
  }
  hovered_ = index;
  if (hovers_.Count() > 0) hovers_.SetIndex(0);
  InvalidateRegionBox(hovered_);
  if (hovered_ >= 0) PostRegionEvent(on_map_in_, PR_ONMAPIN, hovered_, TPostKind::kPlain);
}

void TVornMapImage::Select() {
  if (hovered_ < 0 || hovered_ >= RegionCount()) return;
  if (TParamCollection* params = CurrentParams()) {
    params->SetSelectedText(Region(hovered_).text);
    params->SetSelectedIndex(hovered_);
  }
  PostRegionEvent(on_select_, PR_ONSELECT, hovered_, TPostKind::kDeduplicated);
  if (auto_scrap_ != 0) {
    close_state_ = kMapClosing;
    events_blocked_ = true;
  }
}

void TVornMapImage::ClearSelection() {
  if (TParamCollection* params = CurrentParams()) {
    params->SetSelectedText(std::string());
    params->SetSelectedIndex(-1);
  }
}

// ---- input ----

void TVornMapImage::MouseMove() {
  if (!events_blocked_) {
    const TVornBaseList* scene = GetOwner();
    const TVornBase* layer = GetBase() != nullptr ? GetBase() : scene != nullptr ? scene->ActiveLayer() : nullptr;
    int found = -1;
    if (layer != nullptr) {
      const std::int64_t x = std::int64_t{layer->Mouse().x} - GetScreenLeft();
      const std::int64_t y = std::int64_t{layer->Mouse().y} - GetScreenTop();
      for (int i = 0; i < RegionCount() && found < 0; ++i) {
        if (Region(i).region.Contains(Wrap32(x), Wrap32(y))) found = i;
      }
    }
    SetHover(found);
  }
  TVornControl::MouseMove();
}

void TVornMapImage::MouseOut(TVornObject* next) {
  SetHover(-1);
  TVornControl::MouseOut(next);
}

void TVornMapImage::LBtnDown() {
  if (events_blocked_) return;
  if (TakesMapPress(GetIgnoreMouse()) && paused_ == 0 && hovered_ >= 0) Select();
  TVornControl::LBtnDown();
}

bool TVornMapImage::RightClickCancel() {
  if (events_blocked_ || !MayCancel(GetIgnoreMouse())) return false;
  events_blocked_ = true;
  ClearSelection();
  close_state_ = kMapClosing;
  return true;
}

void TVornMapImage::KeyRepeat() {
  const TVornBaseList* scene = GetOwner();
  if (!events_blocked_ && scene != nullptr) {
    const int count = RegionCount();
    if (scene->GetKeyPush(kVkUp) || scene->GetKeyPush(kVkLeft)) {
      if (count > 0) SetHover(hovered_ <= 0 ? count - 1 : hovered_ - 1);
    } else if (scene->GetKeyPush(kVkDown) || scene->GetKeyPush(kVkRight)) {
      if (count > 0) SetHover(hovered_ < 0 || hovered_ >= count - 1 ? 0 : hovered_ + 1);
    } else if ((scene->GetKeyClick(kVkReturn) || scene->GetKeyClick(kVkSpace)) && hovered_ >= 0) {
      Select();
    } else if (rclick_scrap_ != 0 && scene->GetKeyClick(kVkEscape)) {
      // No blocking here: the next tick blocks the events at this close state.
      ClearSelection();
      close_state_ = kMapClosing;
    }
  }
  TVornControl::KeyRepeat();
}

// ---- paint and tick ----

TCustomDIBX* TVornMapImage::PrepareMask(TVornImageData& frame, TPreparedMask& prepared, bool keep_region_only) const {
  if (prepared.index == hovered_ && prepared.mask) return prepared.mask.get();
  if (!prepared.mask) prepared.mask = std::make_unique<TDIBX>();
  const TRegion* region = hovered_ >= 0 && hovered_ < RegionCount() ? &Region(hovered_).region : nullptr;
  TCustomDIBX& picture = frame.Frame().Surface();
  BuildRegionMask(frame.GetMask(), picture.GetWidth(), picture.GetHeight(), region,
                  keep_region_only ? TRegionMaskMode::kOnlyThis : TRegionMaskMode::kHole, *prepared.mask);
  prepared.index = hovered_;
  return prepared.mask.get();
}

void TVornMapImage::DrawFrame(TVornImageList& list, std::vector<TPreparedMask>& prepared, bool keep_region_only) {
  TVornImageData* frame = list.Current();
  const int index = list.GetIndex();
  if (frame == nullptr || index < 0 || static_cast<std::size_t>(index) >= prepared.size()) return;
  TCustomDIBX* mask = PrepareMask(*frame, prepared[static_cast<std::size_t>(index)], keep_region_only);
  if (frame->GetBrightness() != brightness_) frame->SetBrightness(brightness_);
  frame->DrawAsControl(*this, mask);
}

void TVornMapImage::Paint() {
  DrawFrame(pictures_, picture_masks_, false);
  if (hovered_ >= 0) DrawFrame(hovers_, hover_masks_, true);
  TVornControl::Paint();
}

bool TVornMapImage::Tick() {
  const bool scrap = TVornControl::Tick();
  if (close_state_ == kMapClosing) {
    events_blocked_ = true;
    close_state_ = kMapClosed;
    return scrap;
  }
  if (close_state_ == kMapClosed) return true;
  if (GetAniPaused()) return scrap;
  if (pictures_.Animate()) Invalidate();
  if (hovered_ >= 0 && hovers_.Animate()) InvalidateRegionBox(hovered_);
  return scrap;
}

void TVornMapImage::ForgetPrepared() {
  for (TPreparedMask& prepared : picture_masks_) prepared.index = -1;
  for (TPreparedMask& prepared : hover_masks_) prepared.index = -1;
}

void TVornMapImage::ReleaseSurfaces() {
  pictures_.ReleaseAll();
  hovers_.ReleaseAll();
}

void TVornMapImage::RestoreSurfaces() {
  pictures_.RestoreAll();
  hovers_.RestoreAll();
  ForgetPrepared();
}

TCustomDIBX* TVornMapImage::PreparedPictureMask(int frame) const {
  if (frame < 0 || static_cast<std::size_t>(frame) >= picture_masks_.size()) return nullptr;
  return picture_masks_[static_cast<std::size_t>(frame)].mask.get();
}

int TVornMapImage::PreparedPictureIndex(int frame) const {
  if (frame < 0 || static_cast<std::size_t>(frame) >= picture_masks_.size()) return -1;
  return picture_masks_[static_cast<std::size_t>(frame)].index;
}

// ---- record ----

void TVornMapImage::SaveClassFields(TStream& stream) const {
  TVornControl::SaveClassFields(stream);
  WriteStrToStream(stream, source_);
  WriteStrToStream(stream, hover_source_);
  WriteStrToStream(stream, map_source_);
  WriteIntToStream(stream, alpha_);
  WriteIntToStream(stream, brightness_);
  WriteStrToStream(stream, on_map_in_);
  WriteStrToStream(stream, on_map_out_);
  WriteByteToStream(stream, auto_scrap_);
  WriteByteToStream(stream, rclick_scrap_);
  WriteStrToStream(stream, on_idle_);
  WriteByteToStream(stream, paused_);
  WriteStrToStream(stream, on_select_);
  WriteIntToStream(stream, close_state_);
}

void TVornMapImage::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornControl::LoadClassFields(stream, version);
  SetSource(ReadStrFromStream(stream));
  SetHoverSource(ReadStrFromStream(stream));
  SetMapSource(ReadStrFromStream(stream));
  alpha_ = ReadIntFromStream(stream);
  brightness_ = ReadIntFromStream(stream);
  ReadStrFromStream(stream, on_map_in_);
  ReadStrFromStream(stream, on_map_out_);
  auto_scrap_ = ReadByteFromStream(stream);
  rclick_scrap_ = ReadByteFromStream(stream);
  if (version > kLastVersionWithoutMapIdle) {
    ReadStrFromStream(stream, on_idle_);
    paused_ = ReadByteFromStream(stream);
    ReadStrFromStream(stream, on_select_);
  }
  if (version > kLastVersionWithoutCloseState) close_state_ = ReadIntFromStream(stream);
}

}  // namespace vorn
