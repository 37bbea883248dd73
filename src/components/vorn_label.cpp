#include "components/vorn_label.h"

#include <algorithm>
#include <climits>

#include "components/picture_paint.h"
#include "components/picture_surface.h"
#include "components/saved_records.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "graphics/custom_dibx.h"
#include "graphics/dibx.h"
#include "graphics/surface_clip.h"
#include "text/font_pixel.h"
#include "text/zk_label_list.h"

namespace vorn {

namespace {

constexpr std::int64_t kUnitZoom = 256;
constexpr std::uint8_t kAlignCentre = 1;
constexpr std::uint8_t kAlignRight = 2;
constexpr char kLineBreak[] = "\r\n";


// Lines at CR LF, CR or LF; a break at the very end adds no line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

TVornLabel::TVornLabel(TVornBaseList* owner) : TVornControl(owner), font_name_(texts::kDefaultLabelFace) {}

TVornLabel::~TVornLabel() = default;

void TVornLabel::Destroying() {
  Invalidate();
  TVornControl::Destroying();
}

TCustomDIBX* TVornLabel::ColorSurface() const { return color_.get(); }
TCustomDIBX* TVornLabel::AlphaSurface() const { return alpha_plane_.get(); }

// ---- properties that lay out ----

template <typename Field, typename Value>
void TVornLabel::ChangeLayout(Field& field, Value value) {
  if (field == value) return;
  field = value;
  Layout();
}

std::string TVornLabel::GetText() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += kLineBreak;
    text += lines_[i];
  }
  return text;
}

void TVornLabel::SetText(const std::string& value) {
  std::vector<std::string> lines = SplitLines(value);
  if (lines == lines_) return;
  lines_ = std::move(lines);
  Layout();
}

void TVornLabel::SetFontName(const std::string& value) { ChangeLayout(font_name_, value); }
void TVornLabel::SetFontHeight(std::int32_t value) { ChangeLayout(font_height_, value); }
void TVornLabel::SetFontStyle(TFontStyleSet value) {
  ChangeLayout(font_style_, static_cast<std::uint8_t>(value.ToBits()));
}
void TVornLabel::SetLineSpace(std::int32_t value) { ChangeLayout(line_space_, value); }
void TVornLabel::SetFontColor(std::int32_t value) { ChangeLayout(font_color_, value); }
void TVornLabel::SetHAlign(std::uint8_t value) { ChangeLayout(h_align_, value); }
void TVornLabel::SetAntiAlias(bool value) { ChangeLayout(anti_alias_, static_cast<std::uint8_t>(value ? 1 : 0)); }

// ---- properties that only repaint ----

void TVornLabel::SetAlpha(std::int32_t value) {
  if (value == alpha_) return;
  alpha_ = value;
  Invalidate();
}

void TVornLabel::SetZoomX(std::int32_t value) {
  Invalidate();
  zoom_x_ = value <= 0 ? 1 : value;
  StoreWidth(surface_clip::Saturate32(std::int64_t{natural_width_} * zoom_x_ / kUnitZoom));
  Invalidate();
}

void TVornLabel::SetZoomY(std::int32_t value) {
  Invalidate();
  zoom_y_ = value <= 0 ? 1 : value;
  StoreHeight(surface_clip::Saturate32(std::int64_t{natural_height_} * zoom_y_ / kUnitZoom));
  Invalidate();
}

void TVornLabel::SetAngle(std::int32_t value) {
  Invalidate();
  angle_ = value;
  Invalidate();
}

void TVornLabel::SetFlipH(bool value) {
  Invalidate();
  flip_h_ = value ? 1 : 0;
  Invalidate();
}

void TVornLabel::SetFlipV(bool value) {
  Invalidate();
  flip_v_ = value ? 1 : 0;
  Invalidate();
}

// ---- motion ----

void TVornLabel::SetSource(const std::string& value) {
  if (value == source_) return;
  source_ = value;
  FreeMotion();
  if (IsMotionFileName(value)) LoadMotion(value);
}

void TVornLabel::SetRepeat(bool value) {
  const bool turned_on = value && repeat_ == 0;
  repeat_ = value ? 1 : 0;
  if (turned_on && GetMotion() != nullptr && GetMotion()->IsEnded()) RestartMotion();
}

// ---- layout ----

void TVornLabel::Layout() {
  ++layouts_;
  // The old area too: a shorter text leaves nothing behind.
  Invalidate();
  Measure();
  UpdateBounds();
  Render();
  Invalidate();
}

void TVornLabel::Measure() {
  advances_.clear();
  line_widths_.clear();
  TFontPixelManager* cache = FontPixelManager();
  if (cache != nullptr) cache->SetQuality(anti_alias_ != 0 ? 3 : 0);
  std::int64_t widest = 0;
  for (const std::string& line : lines_) {
    std::vector<std::int32_t> advances;
    std::int64_t width = 0;
    for (const std::uint16_t code : CharCodesOf(line)) {
      std::int64_t advance = 0;
      if (cache != nullptr) {
        const TFontPixel* glyph = cache->GetGlyph(code, font_name_, font_style_, font_height_);
        advance = std::int64_t{glyph->originX} + glyph->bitmapWidth + glyph->advanceExtra;
      }
      advances.push_back(surface_clip::Saturate32(advance));
      width += advances.back();
    }
    advances_.push_back(std::move(advances));
    line_widths_.push_back(surface_clip::Saturate32(width));
    widest = std::max(widest, std::int64_t{line_widths_.back()});
  }
  natural_width_ = surface_clip::Saturate32(widest);
  natural_height_ = surface_clip::Saturate32((std::int64_t{font_height_} + line_space_) * static_cast<std::int64_t>(lines_.size()));
}

void TVornLabel::UpdateBounds() {
  StoreWidth(surface_clip::Saturate32(std::int64_t{natural_width_} * zoom_x_ / kUnitZoom));
  StoreHeight(surface_clip::Saturate32(std::int64_t{natural_height_} * zoom_y_ / kUnitZoom));
}

void TVornLabel::Render() {
  ink_.clear();
  const TCustomDIBX* layer = GetSurface();
  const int bits = layer != nullptr ? const_cast<TCustomDIBX*>(layer)->GetBitCount() : PictureBitCount(GetOwner());
  if (!PixelStoreFits(natural_width_, natural_height_, bits)) {
    color_.reset();
    alpha_plane_.reset();
    return;
  }
  if (color_ == nullptr || color_->GetWidth() != natural_width_ || color_->GetHeight() != natural_height_ ||
      color_->GetBitCount() != bits) {
    color_ = std::make_unique<TDIBX>();
    color_->SetSize(natural_width_, natural_height_, bits);
    alpha_plane_ = std::make_unique<TDIBX>();
    alpha_plane_->SetSize(natural_width_, natural_height_, 8);
  }
  alpha_plane_->Fill(0);
  TFontPixelManager* cache = FontPixelManager();
  if (cache == nullptr) return;
  cache->SetQuality(anti_alias_ != 0 ? 3 : 0);
  const auto ink = static_cast<std::uint32_t>(color_->ColorToPixel(font_color_));
  const TRect surface = color_->GetBoundsRect();
  const std::int64_t step = std::int64_t{font_height_} + line_space_;
  std::int64_t y = 0;
  for (std::size_t i = 0; i < lines_.size(); ++i, y += step) {
    if (y >= natural_height_ || y + font_height_ <= 0) continue;
    std::int64_t x = 0;
    const std::int64_t free = std::int64_t{natural_width_} - line_widths_[i];
    if (h_align_ == kAlignCentre) x = free / 2;
    if (h_align_ == kAlignRight) x = free;
    const std::vector<std::uint16_t> codes = CharCodesOf(lines_[i]);
    TRect touched{};
    for (std::size_t j = 0; j < codes.size() && j < advances_[i].size(); ++j) {
      const std::int32_t advance = advances_[i][j];
      if (x < natural_width_ && x + advance > 0) {
        TFontPixel* glyph = cache->GetGlyph(codes[j], font_name_, font_style_, font_height_);
        TRect drawn{};
        glyph->DrawTo(*color_, *alpha_plane_, false, drawn, 0, 0, ink, j + 1 == codes.size(), j == 0, 0, 0,
                      static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), advance, font_height_);
        if (!RectIsEmpty(drawn) && RectsOverlap(drawn, surface)) {
          const TRect inside = ClipRectTo(drawn, surface);
          touched = RectIsEmpty(touched) ? inside : UnionRect(touched, inside);
        }
      }
      x += advance;
    }
    if (!RectIsEmpty(touched)) ink_.push_back(touched);
  }
}

// ---- painting ----

void TVornLabel::GetDrawOrigin(TPoint& position, TPoint& pivot) const {
  position = GetScreenAnchor();
  pivot = {GetOffsetX(), GetOffsetY()};
  if (color_ == nullptr) return;
  if (flip_h_ != 0) pivot.x = Wrap32(std::int64_t{natural_width_} - pivot.x - 1);
  if (flip_v_ != 0) pivot.y = Wrap32(std::int64_t{natural_height_} - pivot.y - 1);
}

TRect TVornLabel::GetScreenRect() const {
  if ((angle_ & 0xFF) == 0 || color_ == nullptr) return TVornObject::GetScreenRect();
  TPoint position;
  TPoint pivot;
  GetDrawOrigin(position, pivot);
  TRect box{};
  // The blit setup mirrors the pivot itself: it gets the offsets as they stand.
  RotatedBlitSetup(position.x, position.y, GetOffsetX(), GetOffsetY(), angle_ & 0xFF, color_->GetBoundsRect(),
                   std::max<std::int32_t>(1, zoom_x_), std::max<std::int32_t>(1, zoom_y_), natural_width_,
                   natural_height_, flip_h_ != 0, flip_v_ != 0, box);
  return box;
}

void TVornLabel::Invalidate() {
  if (lines_.empty()) return;
  TVornControl::Invalidate();
}

void TVornLabel::Paint() {
  if (lines_.empty() || alpha_ == 0) return;
  PaintOwn();
  TVornControl::Paint();
}

void TVornLabel::PaintOwn() {
  TCustomDIBX* target = GetSurface();
  if (target == nullptr || color_ == nullptr || !DrawsAtOpacity(alpha_)) return;
  const TRect bounds = TVornObject::GetScreenRect();
  if ((angle_ & 0xFF) != 0) {
    TPicturePlacement placement;
    placement.alpha = alpha_;
    placement.angle = angle_;
    placement.zoom_x = zoom_x_;
    placement.zoom_y = zoom_y_;
    placement.flip_h = flip_h_ != 0;
    placement.flip_v = flip_v_ != 0;
    GetDrawOrigin(placement.position, placement.pivot);
    placement.screen = bounds;
    PaintPicture(*target, *color_, alpha_plane_.get(), placement);
    return;
  }
  if (GetWidth() == natural_width_ && GetHeight() == natural_height_) {
    // At natural size the text colour goes straight through the alpha surface: no flips, and the
    // opacity as it stands (the blit draws everything from 255 up as opaque).
    const auto ink = static_cast<std::uint32_t>(target->ColorToPixel(font_color_));
    for (const TRect& r : ink_) {
      target->DrawColorMask(surface_clip::Saturate32(std::int64_t{bounds.left} + r.left), surface_clip::Saturate32(std::int64_t{bounds.top} + r.top),
                            alpha_plane_.get(), r, false, false, ink, static_cast<std::uint32_t>(alpha_));
    }
    return;
  }
  if (GetWidth() > 0 && GetHeight() > 0) {
    StretchPicture(*target, bounds, *color_, alpha_plane_.get(), alpha_, flip_h_ != 0, flip_v_ != 0);
  }
}

// ---- hits ----

bool TVornLabel::HitsSelf(TPoint point, std::uint32_t mask) const {
  if (!TVornControl::HitsSelf(point, mask)) return false;
  const TPoint turned = TurnPointBack(point, GetScreenAnchor(), angle_);
  const TRect rect = TVornObject::GetScreenRect();
  return PointInRect(turned, rect);
}

// ---- surfaces ----

void TVornLabel::ReleaseSurfaces() {
  color_.reset();
  alpha_plane_.reset();
  ink_.clear();
  TVornControl::ReleaseSurfaces();
}

void TVornLabel::RestoreSurfaces() {
  TVornControl::RestoreSurfaces();
  Layout();
}

// ---- record ----

void TVornLabel::SaveClassFields(TStream& stream) const {
  TVornControl::SaveClassFields(stream);
  WriteStrToStream(stream, font_name_);
  WriteIntToStream(stream, font_height_);
  WriteIntToStream(stream, line_space_);
  WriteByteToStream(stream, font_style_);
  WriteIntToStream(stream, alpha_);
  WriteIntToStream(stream, font_color_);
  WriteByteToStream(stream, h_align_);
  WriteByteToStream(stream, anti_alias_);
  WriteByteToStream(stream, flip_h_);
  WriteByteToStream(stream, flip_v_);
  WriteIntToStream(stream, angle_);
  WriteIntToStream(stream, zoom_x_);
  WriteStrToStream(stream, GetText());
  WriteStrToStream(stream, on_idle_);
  WriteStrToStream(stream, source_);
  WriteByteToStream(stream, repeat_);
  WriteByteToStream(stream, auto_scrap_);
  WriteStrToStream(stream, on_play_end_);
  WriteByteToStream(stream, paused_);
  WriteIntToStream(stream, zoom_y_);
}

void TVornLabel::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornControl::LoadClassFields(stream, version);
  ReadStrFromStream(stream, font_name_);
  font_height_ = ReadIntFromStream(stream);
  line_space_ = ReadIntFromStream(stream);
  font_style_ = ReadByteFromStream(stream);
  alpha_ = ReadIntFromStream(stream);
  font_color_ = ReadIntFromStream(stream);
  h_align_ = ReadByteFromStream(stream);
  anti_alias_ = ReadByteFromStream(stream);
  flip_h_ = ReadByteFromStream(stream);
  flip_v_ = ReadByteFromStream(stream);
  angle_ = ReadIntFromStream(stream);
  zoom_x_ = ReadIntFromStream(stream);
  // The text lays out once every field it depends on is in (the zooms among them).
  lines_ = SplitLines(ReadStrFromStream(stream));
  if (version >= kFirstVersionWithSubPriority) {
    ReadStrFromStream(stream, on_idle_);
    SetSource(ReadStrFromStream(stream));
    repeat_ = ReadByteFromStream(stream);
    auto_scrap_ = ReadByteFromStream(stream);
    ReadStrFromStream(stream, on_play_end_);
    paused_ = ReadByteFromStream(stream);
    zoom_y_ = ReadIntFromStream(stream);
  }
  Layout();
}

}  // namespace vorn
