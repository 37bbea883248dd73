#include "components/vorn_image_list.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <stdexcept>

#include "components/pelk_collection.h"
#include "components/picture_paint.h"
#include "components/picture_surface.h"
#include "components/vorn_control.h"
#include "engine/engine_values.h"
#include "graphics/custom_dibx.h"

namespace vorn {

std::int32_t AddDelay(std::int64_t a, std::int64_t b) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(a + b, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

// ---- image data ----

TVornImageData::TVornImageData(TPelkItemFrame& frame, const TVornBaseList* scene) : frame_(frame), scene_(scene) {}

TVornImageData::~TVornImageData() = default;

TCustomDIBX* TVornImageData::GetSurface() const {
  if (brightness_ != 0 && adjusted_) return adjusted_.get();
  return &frame_.Surface();
}

TCustomDIBX* TVornImageData::GetMask() const { return frame_.Mask(); }

std::int32_t TVornImageData::GetColorKey() const { return frame_.TransparentColor(); }

std::int32_t TVornImageData::GetDelay() const { return frame_.Delay(); }

void TVornImageData::SetBrightness(std::int32_t brightness) {
  brightness = std::clamp(brightness, -kMaxBrightness, kMaxBrightness);
  if (brightness == brightness_) return;
  brightness_ = brightness;
  if (brightness == 0) return;
  Adjust();
}

void TVornImageData::Adjust() {
  TCustomDIBX& cached = frame_.Surface();
  const int width = cached.GetWidth();
  const int height = cached.GetHeight();
  const int bits = cached.GetBitCount();
  if (!adjusted_) adjusted_ = MakePictureSurface(scene_);
  if (adjusted_->GetWidth() != width || adjusted_->GetHeight() != height || adjusted_->GetBitCount() != bits) {
    adjusted_->SetSize(width, height, bits);
  }
  TCustomDIBX& out = *adjusted_;
  const std::int32_t level = std::abs(brightness_);
  const auto grey = static_cast<std::uint32_t>(out.ColorToPixel(level | (level << 8) | (level << 16)));
  const bool brighter = brightness_ > 0;
  auto shift = [&](const TRect& rect) {
    if (brighter) {
      out.AddColorRect(rect, grey);
    } else {
      out.SubColorRect(rect, grey);
    }
  };
  std::int32_t key = -1;
  const bool keyed = GetColorKey() >= 0 && cached.ColorKey != -1 && width > 0 && height > 0;
  if (keyed) {
    out.ResetDirtyRect();
    out.SetPixel(0, 0, static_cast<std::uint32_t>(cached.ColorKey));
    shift(TRect{0, 0, 1, 1});
    key = static_cast<std::int32_t>(out.GetPixel(0, 0));
  }
  out.ResetDirtyRect();
  out.Draw(cached);
  out.ColorKey = key;
  out.Rects1 = cached.Rects1;
  out.Rects2 = cached.Rects2;
  shift(out.GetBoundsRect());
  if (!keyed) return;
  // Saturation can bring a visible pixel onto the shifted key (-255 turns every pixel black,
  // the key too): move such pixels by one step of blue, which nobody can see.
  const std::uint32_t blue_step = 1u << std::min(31, out.GetBlueShift());
  const auto old_key = static_cast<std::uint32_t>(cached.ColorKey);
  const auto new_key = static_cast<std::uint32_t>(key);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (cached.GetPixel(x, y) != old_key && out.GetPixel(x, y) == new_key) out.SetPixel(x, y, new_key ^ blue_step);
    }
  }
}

void TVornImageData::ReleaseSurface() { adjusted_.reset(); }

void TVornImageData::RestoreSurface() {
  const std::int32_t brightness = brightness_;
  brightness_ = brightness + 1;
  SetBrightness(brightness);
}

void TVornImageData::DrawAsControl(TVornControl& control, TCustomDIBX* mask) {
  TCustomDIBX* target = control.GetSurface();
  TCustomDIBX* picture = GetSurface();
  if (target == nullptr || picture == nullptr || picture->IsEmpty()) return;
  TPicturePlacement placement;
  placement.alpha = control.GetAlpha();
  placement.angle = control.GetAngle();
  placement.zoom_x = control.GetZoomX();
  placement.zoom_y = control.GetZoomY();
  placement.flip_h = control.GetFlipH();
  placement.flip_v = control.GetFlipV();
  placement.position = control.GetScreenAnchor();
  placement.pivot = {control.GetOffsetX(), control.GetOffsetY()};
  if (placement.flip_h) placement.pivot.x = Wrap32(std::int64_t{picture->GetWidth()} - placement.pivot.x - 1);
  if (placement.flip_v) placement.pivot.y = Wrap32(std::int64_t{picture->GetHeight()} - placement.pivot.y - 1);
  placement.screen = control.GetScreenRect();
  placement.use_content_rects = true;
  PaintPicture(*target, *picture, mask != nullptr ? mask : GetMask(), placement);
}

void TVornImageData::DrawTo(TCustomDIBX& target, const TRect& rect, std::int32_t opacity, std::int32_t origin_y,
                            std::int32_t origin_x) {
  TCustomDIBX* picture = GetSurface();
  if (picture == nullptr || picture->IsEmpty()) return;
  const auto weight = static_cast<std::uint32_t>(opacity);
  if (TCustomDIBX* mask = GetMask()) {
    target.DrawScaledTiledMask(rect, 256, 256, *picture, origin_x, origin_y, false, false, mask, weight);
  } else if (opacity == 255 && GetColorKey() < 0) {
    target.FillPattern(rect, *picture, origin_x, origin_y, false, false);
  } else {
    target.DrawScaledTiled(rect, 256, 256, *picture, origin_x, origin_y, GetColorKey() >= 0, false, false, weight);
  }
}

void TVornImageData::DrawToLabel(TVornControl& control, int x, int y, const TRect& source) {
  TCustomDIBX* target = control.GetSurface();
  TCustomDIBX* picture = GetSurface();
  if (target == nullptr || picture == nullptr) return;
  DrawPictureAt(*target, x, y, *picture, source, GetMask(), control.GetAlpha(), control.GetFlipH(), control.GetFlipV());
}

// ---- image list ----

TVornImageList::TVornImageList(const TVornBaseList* scene) : scene_(scene) {}

TVornImageList::~TVornImageList() { Clear(); }

void TVornImageList::Clear() {
  items_.clear();
  if (item_ != nullptr) {
    TPelkItem* item = item_;
    item_ = nullptr;
    item->Release(this);
  }
}

void TVornImageList::LoadFromFile(const std::string& name, bool mask) {
  Clear();
  if (PelkMan == nullptr) throw std::logic_error("no layered-image cache to load " + name + " from");
  item_ = &PelkMan->Acquire(this, name, false, mask);
  for (int i = 0; i < item_->FrameCount(); ++i) {
    items_.push_back(std::make_unique<TVornImageData>(*item_->Frame(i), scene_));
  }
  index_ = 0;
  if (!items_.empty()) remaining_ = AddDelay(items_.front()->GetDelay(), 1);
}

TVornImageData* TVornImageList::GetItem(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<std::size_t>(index)].get();
}

void TVornImageList::SetIndex(std::int32_t index) {
  index_ = std::min(index, Count() - 1);
  if (index_ >= 0) remaining_ = AddDelay(items_[static_cast<std::size_t>(index_)]->GetDelay(), 1);
}

bool TVornImageList::Animate() {
  const int count = Count();
  if (count <= 1) return false;
  remaining_ = AddDelay(remaining_, -std::int64_t{FrameDelta});
  if (remaining_ >= 1) return false;
  while (remaining_ < 1) {
    index_ = static_cast<std::int32_t>((std::int64_t{index_} + 1) % count);
    if (index_ < 0) index_ = 0;
    if (index_ == 0) {
      remaining_ = items_.front()->GetDelay();
      break;
    }
    remaining_ = AddDelay(remaining_, items_[static_cast<std::size_t>(index_)]->GetDelay());
  }
  return true;
}

void TVornImageList::ReleaseAll() {
  for (auto& item : items_) item->ReleaseSurface();
}

void TVornImageList::RestoreAll() {
  for (auto& item : items_) item->RestoreSurface();
}

}  // namespace vorn
