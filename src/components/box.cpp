#include "components/box.h"

#include "components/saved_records.h"
#include "engine/script_text.h"
#include "foundation/sjis.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "graphics/custom_dibx.h"

namespace vorn {

namespace {

constexpr std::int32_t kOpaqueAlpha = 255;
// From here on the colour is added, scaled by (alpha - kAdditiveAlpha) / 256.
constexpr std::int32_t kAdditiveAlpha = 256;
constexpr std::int32_t kAlphaLimit = 512;

// How a colour reaches the surface for one alpha.
struct TBoxInk {
  enum class TMode { kOpaque, kBlended, kAdded } mode;
  std::uint32_t pixel;
  std::uint32_t opacity;
};

TBoxInk MakeInk(TCustomDIBX& surface, std::int32_t color, std::int32_t alpha) {
  if (alpha == kOpaqueAlpha) return {TBoxInk::TMode::kOpaque, static_cast<std::uint32_t>(surface.ColorToPixel(color)), 0};
  if (alpha < kOpaqueAlpha) {
    return {TBoxInk::TMode::kBlended, static_cast<std::uint32_t>(surface.ColorToPixel(color)),
            static_cast<std::uint32_t>(alpha)};
  }
  const auto strength = static_cast<std::uint32_t>(alpha - kAdditiveAlpha);
  const auto rgb = static_cast<std::uint32_t>(color);
  std::uint32_t scaled = 0;
  for (int shift = 0; shift < 24; shift += 8) scaled |= ((((rgb >> shift) & 0xFF) * strength) >> 8) << shift;
  return {TBoxInk::TMode::kAdded, static_cast<std::uint32_t>(surface.ColorToPixel(static_cast<std::int32_t>(scaled))), 0};
}

void FillWith(TCustomDIBX& surface, const TRect& rect, const TBoxInk& ink) {
  switch (ink.mode) {
    case TBoxInk::TMode::kOpaque:
      surface.FillRect(rect, ink.pixel);
      break;
    case TBoxInk::TMode::kBlended:
      surface.FillRectOpacity(rect, ink.pixel, ink.opacity);
      break;
    case TBoxInk::TMode::kAdded:
      surface.AddColorRect(rect, ink.pixel);
      break;
  }
}

void FrameWith(TCustomDIBX& surface, const TRect& rect, int width, const TBoxInk& ink) {
  switch (ink.mode) {
    case TBoxInk::TMode::kOpaque:
      surface.FrameRect(rect, width, ink.pixel);
      break;
    case TBoxInk::TMode::kBlended:
      surface.FrameRectOpacity(rect, width, ink.pixel, ink.opacity);
      break;
    case TBoxInk::TMode::kAdded:
      surface.FrameRectAdd(rect, width, ink.pixel);
      break;
  }
}

bool IsMotionFile(const std::string& name) { return Cp932SameText(script_text::ExtractFileExt(name), ".vmn"); }

}  // namespace

TVornBox::~TVornBox() = default;

void TVornBox::SetBorderWidth(std::int32_t value) {
  if (value == border_width_) return;
  border_width_ = value;
  Invalidate();
}

void TVornBox::SetBorderColor(std::int32_t value) {
  if (value == border_color_) return;
  border_color_ = value;
  Invalidate();
}

void TVornBox::SetAlpha(std::int32_t value) {
  if (value == alpha_) return;
  alpha_ = value;
  Invalidate();
}

void TVornBox::SetSource(const std::string& value) {
  if (value == source_) return;
  source_ = value;
  FreeMotion();
  if (IsMotionFile(value)) LoadMotion(value);
}

void TVornBox::SetRepeat(bool value) {
  const bool turned_on = value && repeat_ == 0;
  repeat_ = value ? 1 : 0;
  if (turned_on && GetMotion() != nullptr && GetMotion()->IsEnded()) RestartMotion();
}

void TVornBox::Paint() {
  if (alpha_ > 0 && alpha_ < kAlphaLimit && GetVisible()) PaintOwn();
  TVornControl::Paint();
}

void TVornBox::PaintOwn() {
  TCustomDIBX* surface = GetSurface();
  if (surface == nullptr) return;
  const TRect box = GetScreenRect();
  // The drawing rectangle is the parent's: a frame band wider than the box would reach past it,
  // outside what was invalidated, and stay there when the box moves.
  const TRect saved = surface->GetDirtyRect();
  if (RectIsEmpty(box) || RectIsEmpty(saved) || !RectsOverlap(box, saved)) return;
  surface->ResetDirtyRect();
  surface->SetDirtyRect(ClipRectTo(box, saved));
  const std::int32_t width = border_width_;
  const std::int32_t color = GetColor();
  if (width > 0) {
    if (border_color_ >= 0) FrameWith(*surface, box, width, MakeInk(*surface, border_color_, alpha_));
    if (color >= 0) {
      const TRect inner{Wrap32(std::int64_t{box.left} + width), Wrap32(std::int64_t{box.top} + width),
                        Wrap32(std::int64_t{box.right} - width), Wrap32(std::int64_t{box.bottom} - width)};
      const bool inside = std::int64_t{box.left} + width < std::int64_t{box.right} - width &&
                          std::int64_t{box.top} + width < std::int64_t{box.bottom} - width;
      if (inside) FillWith(*surface, inner, MakeInk(*surface, color, alpha_));
    }
  } else if (color >= 0) {
    FillWith(*surface, box, MakeInk(*surface, color, alpha_));
  }
  surface->ResetDirtyRect();
  surface->SetDirtyRect(saved);
}

void TVornBox::SaveClassFields(TStream& stream) const {
  TVornControl::SaveClassFields(stream);
  WriteIntToStream(stream, border_width_);
  WriteIntToStream(stream, border_color_);
  WriteIntToStream(stream, alpha_);
  WriteStrToStream(stream, on_idle_);
  WriteStrToStream(stream, source_);
  WriteByteToStream(stream, repeat_);
  WriteByteToStream(stream, auto_scrap_);
  WriteStrToStream(stream, on_play_end_);
  WriteByteToStream(stream, paused_);
  WriteBoolToStream(stream, GetAniPaused());
}

void TVornBox::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornControl::LoadClassFields(stream, version);
  border_width_ = ReadIntFromStream(stream);
  border_color_ = ReadIntFromStream(stream);
  alpha_ = ReadIntFromStream(stream);
  if (version < kFirstVersionWithSubPriority) return;
  ReadStrFromStream(stream, on_idle_);
  // Through the setter: a motion file is loaded again and starts from its beginning.
  SetSource(ReadStrFromStream(stream));
  repeat_ = ReadByteFromStream(stream);
  auto_scrap_ = ReadByteFromStream(stream);
  ReadStrFromStream(stream, on_play_end_);
  paused_ = ReadByteFromStream(stream);
  // The control's own copy was read before the children; this one wins.
  SetAniPaused(ReadBoolFromStream(stream));
}

}  // namespace vorn
