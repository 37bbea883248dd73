#include "components/vorn_custom_image.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "components/fixed_point.h"
#include "components/pelk_collection.h"
#include "components/picture_paint.h"
#include "components/picture_surface.h"
#include "components/vorn_base_list.h"
#include "foundation/stream_encoding.h"
#include "graphics/custom_dibx.h"
#include "graphics/dibx.h"

namespace vorn {

namespace {

constexpr std::int32_t kUnitZoom = 256;
constexpr std::int64_t kFixedOne = 65536;
constexpr std::int64_t kFixedHalf = 32767;
constexpr int kMaskHitThreshold = 127;

}  // namespace

TVornCustomImage::TVornCustomImage(TVornBaseList* owner)
    : TVornControl(owner), own_(MakePictureSurface(owner)) {}

TVornCustomImage::~TVornCustomImage() = default;

void TVornCustomImage::Destroying() {
  Invalidate();
  TVornControl::Destroying();
}

TCustomDIBX* TVornCustomImage::GetImage() const { return external_ != nullptr ? external_ : own_.get(); }

void TVornCustomImage::ResetOwnSurface() { own_ = MakePictureSurface(GetOwner()); }

// ---- geometry ----

void TVornCustomImage::GetDrawOrigin(TPoint& position, TPoint& pivot) const {
  position = GetScreenAnchor();
  pivot = {GetOffsetX(), GetOffsetY()};
  const TCustomDIBX* image = GetImage();
  if (image == nullptr) return;
  auto* picture = const_cast<TCustomDIBX*>(image);
  if (flip_h_) pivot.x = Wrap32(std::int64_t{picture->GetWidth()} - pivot.x - 1);
  if (flip_v_) pivot.y = Wrap32(std::int64_t{picture->GetHeight()} - pivot.y - 1);
}

TRect TVornCustomImage::GetScreenRect() const {
  TCustomDIBX* image = GetImage();
  if (AngleByte() == 0 || image == nullptr) return TVornObject::GetScreenRect();
  TPoint position;
  TPoint pivot;
  GetDrawOrigin(position, pivot);
  // The blit setup mirrors the pivot itself: it gets the offsets as they stand.
  TRect box{};
  RotatedBlitSetup(position.x, position.y, GetOffsetX(), GetOffsetY(), AngleByte(), image->GetBoundsRect(),
                   std::max<std::int32_t>(1, zoom_x_), std::max<std::int32_t>(1, zoom_y_), image->GetWidth(),
                   image->GetHeight(), flip_h_, flip_v_, box);
  return box;
}

void TVornCustomImage::Invalidate() {
  TCustomDIBX* image = GetImage();
  if (image == nullptr || image->IsEmpty()) return;
  TVornControl::Invalidate();
}

// ---- painting ----

void TVornCustomImage::Paint() {
  TCustomDIBX* image = GetImage();
  if (image == nullptr || GetWidth() <= 0 || GetHeight() <= 0) return;
  if (!image->IsEmpty()) PaintImage();
  TVornControl::Paint();
}

void TVornCustomImage::PaintImage() {
  TCustomDIBX* target = GetSurface();
  TCustomDIBX* image = GetImage();
  if (target == nullptr || image == nullptr || alpha_ < 1 || GetWidth() < 1 || GetHeight() < 1) return;
  TPicturePlacement placement;
  placement.alpha = alpha_;
  placement.angle = angle_;
  placement.zoom_x = zoom_x_;
  placement.zoom_y = zoom_y_;
  placement.flip_h = flip_h_;
  placement.flip_v = flip_v_;
  GetDrawOrigin(placement.position, placement.pivot);
  placement.screen = TVornObject::GetScreenRect();
  placement.use_content_rects = true;
  PaintPicture(*target, *image, GetMaskPlane(), placement);
}

// ---- auto size ----

std::int32_t TVornCustomImage::AutoSize(bool vertical) const {
  TCustomDIBX* image = GetImage();
  const std::int32_t zoom = vertical ? zoom_y_ : zoom_x_;
  const std::int32_t current = vertical ? GetHeight() : GetWidth();
  const TVornControl* parent = GetParent();
  if (GetPosZoomed() && parent != nullptr && !parent->IsLayer() && parent->GetOwnSurface() != nullptr &&
      (vertical ? parent->GetZoomY() : parent->GetZoomX()) == zoom && image != nullptr && !HasMotion() &&
      (vertical ? parent->GetHeight() : parent->GetWidth()) != 0) {
    // Placed in the parent's picture: both edges mapped through the parent's 16.16 scale, so
    // neighbouring children meet without gaps.
    TCustomDIBX& parent_image = *parent->GetOwnSurface();
    const std::int64_t parent_picture = vertical ? parent_image.GetHeight() : parent_image.GetWidth();
    const std::int64_t parent_size = vertical ? parent->GetHeight() : parent->GetWidth();
    const std::int64_t step = std::max<std::int64_t>(1, RoundDivHalfEven(parent_picture * kFixedOne, parent_size));
    const std::int64_t position = vertical ? GetTop() : GetLeft();
    const std::int64_t offset = vertical ? GetOffsetY() : GetOffsetX();
    const std::int64_t own = vertical ? image->GetHeight() : image->GetWidth();
    const bool flipped = vertical ? flip_v_ : flip_h_;
    const std::int64_t a = flipped ? parent_picture + offset - position - own : position - offset;
    const std::int64_t b = flipped ? parent_picture + offset - position : own + position - offset;
    std::int64_t start = a * kFixedOne / step;
    if (a * kFixedOne % step > kFixedHalf) start += 1;
    std::int64_t end = b * kFixedOne / step;
    if (b * kFixedOne % step > 0) end += 1;
    return Wrap32(end - start);
  }
  if (image == nullptr) return 0;
  // An explicit size turned the zoom to 0: the size stays until a zoom is set again.
  if (zoom == 0) return current;
  const std::int64_t size = vertical ? image->GetHeight() : image->GetWidth();
  return Wrap32(size * zoom / kUnitZoom);
}

void TVornCustomImage::UpdateAutoWidth() {
  if (!AutoSizeEnabled()) return;
  if (GetSource().empty() && external_ == nullptr) {
    StoreWidth(0);
    StoreHeight(0);
    return;
  }
  StoreWidth(AutoSize(false));
}

void TVornCustomImage::UpdateAutoHeight() {
  if (!AutoSizeEnabled()) return;
  if (GetSource().empty() && external_ == nullptr) {
    StoreWidth(0);
    StoreHeight(0);
    return;
  }
  StoreHeight(AutoSize(true));
}

bool TVornCustomImage::Tick() {
  const bool scrap = TVornControl::Tick();
  if (auto_size_pending_) {
    auto_size_pending_ = false;
    Invalidate();
    UpdateAutoWidth();
    UpdateAutoHeight();
    Invalidate();
  }
  return scrap;
}

// ---- properties ----

void TVornCustomImage::MarkPendingWithChildren() {
  auto_size_pending_ = true;
  for (TVornControl* child : Children()) {
    if (auto* picture = dynamic_cast<TVornCustomImage*>(child); picture != nullptr && picture->GetPosZoomed()) {
      picture->auto_size_pending_ = true;
    }
  }
}

void TVornCustomImage::SetAlpha(std::int32_t value) {
  if (value == alpha_) return;
  alpha_ = value;
  Invalidate();
}

void TVornCustomImage::SetZoomX(std::int32_t value) {
  Invalidate();
  zoom_x_ = value <= 0 ? 1 : value;
  MarkPendingWithChildren();
}

void TVornCustomImage::SetZoomY(std::int32_t value) {
  Invalidate();
  zoom_y_ = value <= 0 ? 1 : value;
  MarkPendingWithChildren();
}

void TVornCustomImage::SetAngle(std::int32_t value) {
  Invalidate();
  angle_ = value;
  Invalidate();
}

void TVornCustomImage::SetFlipH(bool value) {
  Invalidate();
  flip_h_ = value;
  UpdateAutoWidth();
  Invalidate();
}

void TVornCustomImage::SetFlipV(bool value) {
  Invalidate();
  flip_v_ = value;
  UpdateAutoHeight();
  Invalidate();
}

std::int32_t TVornCustomImage::GetOrigWidth() const {
  TCustomDIBX* image = GetImage();
  return image != nullptr ? image->GetWidth() : 0;
}

std::int32_t TVornCustomImage::GetOrigHeight() const {
  TCustomDIBX* image = GetImage();
  return image != nullptr ? image->GetHeight() : 0;
}

void TVornCustomImage::SetPosZoomed(bool value) {
  Invalidate();
  TVornControl::SetPosZoomed(value);
  MarkPendingWithChildren();
}

void TVornCustomImage::SetWidth(std::int32_t value) {
  TVornControl::SetWidth(value);
  if (AutoSizeEnabled()) zoom_x_ = 0;
}

void TVornCustomImage::SetHeight(std::int32_t value) {
  TVornControl::SetHeight(value);
  if (AutoSizeEnabled()) zoom_y_ = 0;
}

// ---- hits ----

bool TVornCustomImage::HitBoundsContain(TPoint point, std::int32_t screen_left, std::int32_t screen_top) const {
  if (AngleByte() == 0 || GetImage() == nullptr) return TVornControl::HitBoundsContain(point, screen_left, screen_top);
  const TRect box = GetScreenRect();
  return point.x >= box.left && point.x < box.right && point.y >= box.top && point.y < box.bottom;
}

bool TVornCustomImage::HitsSelf(TPoint point, std::uint32_t mask) const {
  if (!TVornControl::HitsSelf(point, mask)) return false;
  const TPoint turned = TurnPointBack(point, GetScreenAnchor(), AngleByte());
  const std::int64_t x = turned.x;
  const std::int64_t y = turned.y;
  const TRect rect = TVornObject::GetScreenRect();
  if (x < rect.left || x >= rect.right || y < rect.top || y >= rect.bottom) return false;
  TCustomDIBX* plane = GetMaskPlane();
  if (!capture_mask_ || plane == nullptr) return true;
  TCustomDIBX* image = GetImage();
  const std::int64_t mask_width = plane->GetWidth();
  const std::int64_t mask_height = plane->GetHeight();
  const std::int64_t image_width = image != nullptr ? image->GetWidth() : mask_width;
  const std::int64_t image_height = image != nullptr ? image->GetHeight() : mask_height;
  // An explicit size leaves the zoom at 0: map by the image's size over the control's instead.
  auto map = [](std::int64_t distance, std::int32_t zoom, std::int64_t image_size, std::int64_t size) {
    if (zoom > 0) return distance * kUnitZoom / zoom;
    return size > 0 ? distance * image_size / size : std::int64_t{-1};
  };
  std::int64_t mx = map(x - rect.left, zoom_x_, image_width, GetWidth());
  std::int64_t my = map(y - rect.top, zoom_y_, image_height, GetHeight());
  if (flip_h_) mx = mask_width - mx - 1;
  if (flip_v_) my = mask_height - my - 1;
  if (mx < 0 || my < 0 || mx >= mask_width || my >= mask_height) return false;
  return plane->GetPixel(static_cast<int>(mx), static_cast<int>(my)) > kMaskHitThreshold;
}

// ---- record ----

void TVornCustomImage::SaveClassFields(TStream& stream) const {
  TVornControl::SaveClassFields(stream);
  WriteIntToStream(stream, alpha_);
  WriteIntToStream(stream, zoom_x_);
  WriteIntToStream(stream, angle_);
  WriteBoolToStream(stream, flip_h_);
  WriteBoolToStream(stream, flip_v_);
  WriteBoolToStream(stream, capture_mask_);
  WriteIntToStream(stream, zoom_y_);
}

void TVornCustomImage::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornControl::LoadClassFields(stream, version);
  alpha_ = ReadIntFromStream(stream);
  zoom_x_ = ReadIntFromStream(stream);
  angle_ = ReadIntFromStream(stream);
  flip_h_ = ReadBoolFromStream(stream);
  flip_v_ = ReadBoolFromStream(stream);
  capture_mask_ = ReadBoolFromStream(stream);
  // Older saves have no vertical zoom: the current one stays.
  if (version > 103) zoom_y_ = ReadIntFromStream(stream);
}

// ---- surfaces ----

void TVornCustomImage::ReleaseSurfaces() {
  own_.reset();
  external_ = nullptr;
  TVornControl::ReleaseSurfaces();
}

void TVornCustomImage::RestoreSurfaces() {
  ResetOwnSurface();
  TVornControl::RestoreSurfaces();
}

// ---- the still picture ----

TVornImage::TVornImage(TVornBaseList* owner) : TVornCustomImage(owner) {}

TVornImage::~TVornImage() = default;

void TVornImage::SetSource(const std::string& value) {
  if (value == source_) return;
  source_ = value;
  LoadSource();
}

void TVornImage::SetBrightness(std::int32_t value) {
  value = std::clamp(value, 0, 255);
  if (value == brightness_) return;
  brightness_ = value;
  LoadSource();
}

void TVornImage::LoadSource() {
  Invalidate();
  if (PelkMan == nullptr) throw std::logic_error("no layered-image cache to load " + source_ + " from");
  TPelkItem& item = PelkMan->Acquire(this, source_, false, false);
  try {
    StoreWidth(Wrap32(std::int64_t{GetZoomX()} * item.Width() / 256));
    StoreHeight(Wrap32(std::int64_t{GetZoomY()} * item.Height() / 256));
    if (OwnPicture() == nullptr) ResetOwnSurface();
    TCustomDIBX& own = *OwnPicture();
    SetOwnMask(nullptr);
    mask_.reset();
    if (const TPelkItemFrame* frame = item.Frame(0)) {
      TCustomDIBX& picture = frame->Surface();
      own.SetSize(picture.GetWidth(), picture.GetHeight(), picture.GetBitCount());
      own.ResetDirtyRect();
      own.Draw(picture);
      own.ColorKey = picture.ColorKey;
      own.Rects1 = picture.Rects1;
      own.Rects2 = picture.Rects2;
      SetImageColorKey(frame->TransparentColor());
      if (TCustomDIBX* plane = frame->Mask()) {
        mask_ = std::make_unique<TDIBX>();
        mask_->SetSize(plane->GetWidth(), plane->GetHeight(), 8);
        mask_->Draw(*plane);
        SetOwnMask(mask_.get());
      }
    }
  } catch (...) {
    item.Release(this);
    throw;
  }
  item.Release(this);
  TCustomDIBX& own = *OwnPicture();
  if (!own.IsEmpty() && brightness_ < 255) {
    const std::int32_t level = 255 - brightness_;
    own.SubColorRect(own.GetBoundsRect(),
                     static_cast<std::uint32_t>(own.ColorToPixel(level | (level << 8) | (level << 16))));
  }
  Invalidate();
}

void TVornImage::RestoreSurfaces() {
  TVornCustomImage::RestoreSurfaces();
  if (GetExternalSurface() == nullptr && !source_.empty()) LoadSource();
}

// ---- film frames ----

void ApplyImageFrame(TVornCustomImage& control, const TImageFrame& frame) {
  if (frame.surface != nullptr) {
    if (control.GetZoomX() == 256) control.StoreWidth(frame.surface->GetWidth());
    if (control.GetZoomY() == 256) control.StoreHeight(frame.surface->GetHeight());
  }
  if (frame.parent != nullptr) control.SetParent(frame.parent);
  control.SetExternalSurface(frame.surface);
  control.SetExternalMask(frame.mask);
  control.SetImageColorKey(frame.color_key);
  if (frame.surface != nullptr) {
    frame.surface->ColorKey = frame.color_key < 0 ? -1 : frame.surface->ColorToPixel(frame.color_key);
  }
  control.SetZoomX(frame.zoom_x);
  control.SetZoomY(frame.zoom_y);
  control.SetPriority(frame.priority);
  control.SetFlipH(frame.flip_h);
  control.SetFlipV(frame.flip_v);
  control.SetOffsetX(frame.offset_x);
  control.SetOffsetY(frame.offset_y);
  control.SetLeft(frame.left);
  control.SetTop(frame.top);
  control.SetAngle(frame.angle);
  control.SetAlpha(frame.alpha);
  control.SetClipLeft(frame.clip.left);
  control.SetClipTop(frame.clip.top);
  control.SetClipWidth(Wrap32(std::int64_t{frame.clip.right} - frame.clip.left));
  control.SetClipHeight(Wrap32(std::int64_t{frame.clip.bottom} - frame.clip.top));
}

}  // namespace vorn
