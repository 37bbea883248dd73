#include "components/box.h"

#include "components/picture_paint.h"
#include "components/saved_records.h"
#include "components/tile_paint.h"
#include "engine/script_text.h"
#include "foundation/sjis.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "graphics/custom_dibx.h"

namespace vorn {

namespace {

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
  if (alpha_ > 0 && alpha_ <= kMaxOpacityMode && GetVisible()) PaintOwn();
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
    if (border_color_ >= 0) FrameByAlpha(*surface, box, width, border_color_, alpha_);
    if (color >= 0) {
      const TRect inner{Wrap32(std::int64_t{box.left} + width), Wrap32(std::int64_t{box.top} + width),
                        Wrap32(std::int64_t{box.right} - width), Wrap32(std::int64_t{box.bottom} - width)};
      const bool inside = std::int64_t{box.left} + width < std::int64_t{box.right} - width &&
                          std::int64_t{box.top} + width < std::int64_t{box.bottom} - width;
      if (inside) FillByAlpha(*surface, inner, color, alpha_);
    }
  } else if (color >= 0) {
    FillByAlpha(*surface, box, color, alpha_);
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
