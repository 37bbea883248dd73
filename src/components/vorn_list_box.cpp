#include "components/vorn_list_box.h"

#include <algorithm>
#include <limits>

#include "components/fixed_point.h"
#include "components/pelk_collection.h"
#include "components/picture_paint.h"
#include "components/vorn_base_list.h"
#include "components/vorn_image_list.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/project.h"
#include "foundation/sjis.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "foundation/vocabulary_codes.h"
#include "foundation/vr_file_manager.h"
#include "graphics/custom_dibx.h"
#include "platform/key_codes.h"

namespace vorn {

namespace {

constexpr std::int32_t kFirstRepeatMs = 300;
constexpr std::int32_t kRepeatMs = 50;
constexpr int kScrollCells = 7;
constexpr int kCheckCells = 2;
constexpr int kUpCell = 0;
constexpr int kDownCell = 2;
constexpr int kTrackCell = 4;
constexpr int kThumbCell = 6;
constexpr std::int32_t kAntiAliasQuality = 3;
constexpr std::uint8_t kIgnoreAll = 1;
constexpr std::int32_t kFirstVersionWithoutSpareByte = 104;
constexpr std::int32_t kFirstVersionWithIdle = 131;
constexpr std::int32_t kFirstVersionWithMapLabels = 134;

bool ValidCell(int cell) { return cell >= 0 && cell < TVornCustomListBox::kCells; }

TPelkItemFrame* FirstFrame(const TVornImageList& list) {
  TVornImageData* data = list.GetItem(0);
  return data != nullptr ? &data->Frame() : nullptr;
}

TRect CellOf(const TPelkItemFrame& frame, int cell, int cells) {
  const int width = frame.Surface().GetWidth() / cells;
  return TRect{cell * width, 0, (cell + 1) * width, frame.Surface().GetHeight()};
}

// Control characters go from the start; from the end goes every last character (two-byte
// characters counted whole) below 32.
std::string StripControls(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size() && static_cast<std::uint8_t>(text[start]) < 32) ++start;
  std::size_t keep = start;
  for (std::size_t i = start; i < text.size();) {
    const std::size_t length = CharLengthAt(text, i);
    if (length == 2 || static_cast<std::uint8_t>(text[i]) >= 32) keep = i + length;
    i += length;
  }
  return text.substr(start, keep - start);
}

// Lines split at CR, LF or CR LF.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  std::size_t begin = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharLengthAt(text, i);
    if (length == 1 && (text[i] == '\r' || text[i] == '\n')) {
      lines.emplace_back(text, begin, i - begin);
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      begin = i + 1;
      i = begin;
      continue;
    }
    i += length;
  }
  lines.emplace_back(text, begin, text.size() - begin);
  return lines;
}

std::int32_t Clamp32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

TVornCustomListBox::TVornCustomListBox(TVornBaseList* owner)
    : TVornControl(owner),
      scroll_(std::make_unique<TVornImageList>(owner)),
      check_(std::make_unique<TVornImageList>(owner)) {
  for (auto& border : borders_) border = std::make_unique<TVornImageList>(owner);
  TVornControl::SetColor(-1);
}

TVornCustomListBox::~TVornCustomListBox() = default;

// ---- text and numbers ----

void TVornCustomListBox::SetText(const std::string& value) {
  text_ = StripControls(value);
  items_ = SplitLines(text_);
  checks_.assign(items_.size(), 0);
  normal_.Clear();
  hover_.Clear();
  for (const std::string& item : items_) {
    normal_.AddLabel()->SetText(item);
    hover_.AddLabel()->SetText(item);
  }
  top_index_ = 0;
  if (hover_index_ >= ItemCount()) hover_index_ = -1;
  dirty_ = true;
  Invalidate();
}

void TVornCustomListBox::SetTopIndex(std::int32_t value) {
  const std::int64_t last = std::max<std::int64_t>(0, std::int64_t{ItemCount()} - row_count_);
  const auto clamped = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, last));
  if (clamped == top_index_) return;
  top_index_ = clamped;
  Invalidate();
}

void TVornCustomListBox::SetRowCount(std::int32_t value) {
  row_count_ = value;
  dirty_ = true;
  Invalidate();
}

void TVornCustomListBox::SetLineSpace(std::int32_t value) {
  line_space_ = value;
  dirty_ = true;
  Invalidate();
}

void TVornCustomListBox::SetMarginX(std::int32_t value) {
  margin_x_ = value;
  dirty_ = true;
  Invalidate();
}

void TVornCustomListBox::SetMarginY(std::int32_t value) {
  margin_y_ = value;
  dirty_ = true;
  Invalidate();
}

void TVornCustomListBox::SetBorderWidth(std::int32_t value) {
  border_width_ = value;
  dirty_ = true;
  Invalidate();
}

void TVornCustomListBox::SetBorderColor(std::int32_t value) {
  border_color_ = value;
  Invalidate();
}

void TVornCustomListBox::SetAlpha(std::int32_t value) {
  alpha_ = value;
  normal_.opacity = value;
  hover_.opacity = value;
  Invalidate();
}

void TVornCustomListBox::SetHAlign(std::uint8_t value) {
  h_align_ = value;
  Invalidate();
}

std::string TVornCustomListBox::GetBorderSource(int cell) const {
  return ValidCell(cell) ? border_sources_[static_cast<std::size_t>(cell)] : std::string();
}

void TVornCustomListBox::SetBorderSource(int cell, const std::string& value) {
  if (!ValidCell(cell)) return;
  const auto at = static_cast<std::size_t>(cell);
  if (value == border_sources_[at]) return;
  border_sources_[at] = value;
  borders_[at]->Clear();
  if (!value.empty()) borders_[at]->LoadFromFile(value, false);
  dirty_ = true;
  Invalidate();
}

std::uint8_t TVornCustomListBox::GetBorderHAlign(int cell) const {
  return ValidCell(cell) ? border_h_align_[static_cast<std::size_t>(cell)] : 0;
}

void TVornCustomListBox::SetBorderHAlign(int cell, std::uint8_t value) {
  if (!ValidCell(cell)) return;
  border_h_align_[static_cast<std::size_t>(cell)] = value;
  Invalidate();
}

std::uint8_t TVornCustomListBox::GetBorderVAlign(int cell) const {
  return ValidCell(cell) ? border_v_align_[static_cast<std::size_t>(cell)] : 0;
}

void TVornCustomListBox::SetBorderVAlign(int cell, std::uint8_t value) {
  if (!ValidCell(cell)) return;
  border_v_align_[static_cast<std::size_t>(cell)] = value;
  Invalidate();
}

void TVornCustomListBox::SetStrip(std::unique_ptr<TVornImageList>& list, std::string& name, const std::string& value) {
  name = value;
  // A name the project does not have keeps the picture loaded before.
  TProject* project = CurrentProject();
  if (value.empty() || project == nullptr || !project->Files().Exists(value)) return;
  list->LoadFromFile(value, false);
  dirty_ = true;
  Invalidate();
}

void TVornCustomListBox::SetScrollSource(const std::string& value) { SetStrip(scroll_, scroll_source_, value); }

void TVornCustomListBox::SetCheckSource(const std::string& value) { SetStrip(check_, check_source_, value); }

void TVornCustomListBox::SetPaused(bool value) {
  paused_ = value ? 1 : 0;
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr) return;
  if (value) {
    ForgetFocus();
  } else if (scene->GetFocusedControl() == nullptr) {
    scene->RequestFocusChoice();
  }
}

void TVornCustomListBox::SetFontName(const std::string& value) {
  normal_.face = value;
  hover_.face = value;
  normal_.Invalidate();
  hover_.Invalidate();
  dirty_ = true;
  Invalidate();
}

void TVornCustomListBox::SetFontHeight(std::int32_t value) {
  normal_.SetFontSize(value);
  hover_.SetFontSize(value);
  dirty_ = true;
  Invalidate();
}

void TVornCustomListBox::SetAntiAlias(bool value) {
  normal_.quality = value ? kAntiAliasQuality : 0;
  hover_.quality = normal_.quality;
  normal_.Invalidate();
  hover_.Invalidate();
  dirty_ = true;
  Invalidate();
}

void TVornCustomListBox::SetFontStyle(TFontStyleSet value) {
  normal_.flags = static_cast<std::uint8_t>(value.ToBits());
  normal_.Invalidate();
  dirty_ = true;
  Invalidate();
}

void TVornCustomListBox::SetStyleColor(TZkLabelList& list, std::int32_t& field, std::int32_t value) {
  field = value;
  list.Invalidate();
  Invalidate();
}

void TVornCustomListBox::SetStyleSize(std::int32_t& field, std::int32_t value) {
  field = value;
  normal_.Invalidate();
  hover_.Invalidate();
  dirty_ = true;
  Invalidate();
}

bool TVornCustomListBox::GetItemChecked(int item) const {
  return item >= 0 && item < ItemCount() && checks_[static_cast<std::size_t>(item)] != 0;
}

void TVornCustomListBox::SetItemChecked(int item, bool checked) {
  if (item < 0 || item >= ItemCount()) return;
  checks_[static_cast<std::size_t>(item)] = checked ? 1 : 0;
  Invalidate();
}

// ---- geometry ----

TVornCustomListBox::TBorders TVornCustomListBox::BorderSizes() const {
  std::array<std::int64_t, kCells> widths{};
  std::array<std::int64_t, kCells> heights{};
  for (int cell = 0; cell < kCells; ++cell) {
    if (const TPelkItemFrame* frame = FirstFrame(*borders_[static_cast<std::size_t>(cell)])) {
      widths[static_cast<std::size_t>(cell)] = frame->Surface().GetWidth();
      heights[static_cast<std::size_t>(cell)] = frame->Surface().GetHeight();
    }
  }
  TBorders b;
  b.left = std::max({widths[0], widths[3], widths[6]});
  b.right = std::max({widths[2], widths[5], widths[8]});
  b.top = std::max({heights[0], heights[1], heights[2]});
  b.bottom = std::max({heights[6], heights[7], heights[8]});
  return b;
}

TRect64 TVornCustomListBox::FrameRect() const {
  const std::int64_t left = GetScreenLeft();
  const std::int64_t top = GetScreenTop();
  return {left + border_width_, top + border_width_, left + GetWidth() - border_width_,
          top + GetHeight() - border_width_};
}

TRect64 TVornCustomListBox::CellRect(int cell) const {
  if (!ValidCell(cell)) return {};
  const TRect64 f = FrameRect();
  const TBorders b = BorderSizes();
  std::int64_t width = 0;
  std::int64_t height = 0;
  if (const TPelkItemFrame* frame = FirstFrame(*borders_[static_cast<std::size_t>(cell)])) {
    width = frame->Surface().GetWidth();
    height = frame->Surface().GetHeight();
  }
  TRect64 r;
  switch (cell % 3) {
    case 0:
      r.right = f.left + b.left;
      r.left = r.right - width;
      break;
    case 1:
      r.left = f.left + b.left;
      r.right = f.right - b.right;
      break;
    default:
      r.left = f.right - b.right;
      r.right = r.left + width;
      break;
  }
  switch (cell / 3) {
    case 0:
      r.bottom = f.top + b.top;
      r.top = r.bottom - height;
      break;
    case 1:
      r.top = f.top + b.top;
      r.bottom = f.bottom - b.bottom;
      break;
    default:
      r.top = f.bottom - b.bottom;
      r.bottom = r.top + height;
      if (f.Height() < b.top) r.bottom = r.top;
      break;
  }
  r.top = std::max(r.top, f.top);
  r.bottom = std::min(r.bottom, f.bottom);
  return r;
}

std::int64_t TVornCustomListBox::TileOrigin(std::uint8_t align, std::int64_t cell, std::int64_t image) {
  if (image <= 0) return 0;
  switch (align) {
    case 1:
      return image < cell ? -((cell % image) / 2) : (cell - image) / 2;
    case 2:
      return image < cell ? -(cell % image) : cell - image;
    default:
      return 0;
  }
}

std::int64_t TVornCustomListBox::RowHeight() const {
  std::int64_t height = 0;
  if (const TZkLabelDIB* label = normal_.GetLabel(0)) height = label->Height();
  if (const TZkLabelDIB* label = hover_.GetLabel(0)) height = std::max<std::int64_t>(height, label->Height());
  return height;
}

std::int64_t TVornCustomListBox::ScrollWidth() const {
  const TPelkItemFrame* frame = FirstFrame(*scroll_);
  return frame != nullptr ? frame->Surface().GetWidth() / kScrollCells : 0;
}

std::int64_t TVornCustomListBox::ScrollHeight() const {
  const TPelkItemFrame* frame = FirstFrame(*scroll_);
  return frame != nullptr ? frame->Surface().GetHeight() : 0;
}

std::int64_t TVornCustomListBox::CheckWidth() const {
  const TPelkItemFrame* frame = FirstFrame(*check_);
  return frame != nullptr ? frame->Surface().GetWidth() / kCheckCells : 0;
}

std::int64_t TVornCustomListBox::CheckHeight() const {
  const TPelkItemFrame* frame = FirstFrame(*check_);
  return frame != nullptr ? frame->Surface().GetHeight() : 0;
}

std::int64_t TVornCustomListBox::ThumbTop() const {
  const TBorders b = BorderSizes();
  const std::int64_t sh = ScrollHeight();
  const std::int64_t travel = std::int64_t{GetHeight()} - 2 * std::int64_t{border_width_} - b.top - b.bottom - 3 * sh;
  const std::int64_t hidden = std::int64_t{ItemCount()} - row_count_;
  const std::int64_t base = std::int64_t{GetScreenTop()} + border_width_ + b.top + sh;
  return hidden > 0 ? base + travel * top_index_ / hidden : base;
}

std::int64_t TVornCustomListBox::ItemLeft() const {
  return FrameRect().left + BorderSizes().left + margin_x_ + CheckWidth();
}

std::int64_t TVornCustomListBox::ItemWidth() const {
  const std::int64_t width = FrameRect().right - BorderSizes().right - margin_x_ - ItemLeft();
  return Scrolling() ? width - ScrollWidth() : width;
}

std::int64_t TVornCustomListBox::ItemTop() const { return FrameRect().top + BorderSizes().top + margin_y_; }

int TVornCustomListBox::ItemAt(std::int64_t x, std::int64_t y) const {
  const TBorders b = BorderSizes();
  const std::int64_t h = std::min<std::int64_t>(line_space_ / 2, margin_y_);
  const std::int64_t left = std::int64_t{GetScreenLeft()} + border_width_ + b.left;
  std::int64_t right = std::int64_t{GetScreenLeft()} + GetWidth() - border_width_ - b.right;
  if (Scrolling()) right -= ScrollWidth();
  const std::int64_t top = std::int64_t{GetScreenTop()} + border_width_ + b.top + margin_y_ - h;
  const std::int64_t bottom = std::int64_t{GetScreenTop()} + GetHeight() - border_width_ - b.bottom - margin_y_ + h;
  if (x < left || x >= right || y < top || y >= bottom) return -1;
  const std::int64_t step = RowHeight() + line_space_;
  if (step <= 0) return -1;
  const std::int64_t first = ItemTop() - line_space_ / 2;
  if (y < first) return -1;
  const std::int64_t row = (y - first) / step;
  if (row > row_count_) return -1;
  const std::int64_t index = top_index_ + row;
  // Rows past the last item point at nothing.
  return index < ItemCount() ? static_cast<int>(index) : -1;
}

TVornCustomListBox::TScrollPart TVornCustomListBox::ScrollPartAt(std::int64_t x, std::int64_t y) const {
  if (!Scrolling() || scroll_->Count() == 0) return TScrollPart::kNone;
  const TRect64 f = FrameRect();
  const TBorders b = BorderSizes();
  const std::int64_t sw = ScrollWidth();
  const std::int64_t sh = ScrollHeight();
  const std::int64_t bar_left = f.right - b.right - sw;
  if (x < bar_left || x >= bar_left + sw) return TScrollPart::kNone;
  const std::int64_t up_top = f.top + b.top;
  const std::int64_t down_top = f.bottom - b.bottom - sh;
  const std::int64_t thumb = ThumbTop();
  if (y >= thumb && y < thumb + sh) return TScrollPart::kThumb;
  if (y >= up_top && y < up_top + sh) return TScrollPart::kUpArrow;
  if (y >= down_top && y < down_top + sh) return TScrollPart::kDownArrow;
  if (y >= up_top + sh && y < thumb) return TScrollPart::kTrackUp;
  if (y >= thumb + sh && y < down_top) return TScrollPart::kTrackDown;
  return TScrollPart::kNone;
}

void TVornCustomListBox::UpdateSize() {
  dirty_ = false;
  normal_.Measure();
  hover_.Measure();
  const TBorders b = BorderSizes();
  std::int64_t width = std::max<std::int64_t>(normal_.MaxWidth(), hover_.MaxWidth()) + 2 * std::int64_t{border_width_} +
                       b.left + b.right + 2 * std::int64_t{margin_x_} + CheckWidth();
  if (Scrolling()) width += ScrollWidth();
  const std::int64_t rows = std::min<std::int64_t>(row_count_, ItemCount());
  const std::int64_t v = std::max<std::int64_t>(
      2 * std::int64_t{normal_.border_width} + normal_.font_size + normal_.shadow_offset,
      2 * std::int64_t{hover_.border_width} + hover_.font_size + hover_.shadow_offset);
  const std::int64_t height = rows * v + (rows - 1) * line_space_ + 2 * std::int64_t{border_width_} + b.top + b.bottom +
                              2 * std::int64_t{margin_y_};
  SetWidth(Wrap32(width));
  SetHeight(Wrap32(height));
  Invalidate();
}

// ---- tick and paint ----

void TVornCustomListBox::AnimateBorders() {
  if (GetAniPaused()) return;
  for (int cell = 0; cell < kCells; ++cell) {
    if (!borders_[static_cast<std::size_t>(cell)]->Animate()) continue;
    TVornBase* layer = GetBase();
    TRect rect;
    if (layer != nullptr && GetVisible() &&
        ClipRect64(CellRect(cell), TRect{0, 0, layer->GetWidth(), layer->GetHeight()}, rect)) {
      layer->InvalidateRect(rect);
    }
  }
}

bool TVornCustomListBox::Tick() {
  if (dirty_) UpdateSize();
  AnimateBorders();
  return false;
}

void TVornCustomListBox::ReleaseSurfaces() {
  for (auto& border : borders_) border->ReleaseAll();
}

void TVornCustomListBox::RestoreSurfaces() {
  for (auto& border : borders_) border->RestoreAll();
  normal_.Invalidate();
  hover_.Invalidate();
  Invalidate();
}

void TVornCustomListBox::Paint() {
  TCustomDIBX* surface = GetSurface();
  if (surface != nullptr && GetVisible() && DrawsAtOpacity(alpha_) && GetWidth() > 0 && GetHeight() > 0) {
    const TRect saved = surface->GetDirtyRect();
    TRect visible;
    if (ClipRect64(TRect64::Bounds(GetScreenLeft(), GetScreenTop(), GetWidth(), GetHeight()), saved, visible)) {
      surface->ResetDirtyRect();
      surface->SetDirtyRect(visible);
      PaintOwn(*surface);
      surface->ResetDirtyRect();
      surface->SetDirtyRect(saved);
    }
  }
  TVornControl::Paint();
}

void TVornCustomListBox::PaintOwn(TCustomDIBX& surface) {
  normal_.target = &surface;
  hover_.target = &surface;
  const TRect bounds = GetScreenRect();
  if (border_width_ > 0 && border_color_ != -1 && GetHeight() >= border_width_) {
    FrameByAlpha(surface, bounds, border_width_, border_color_, alpha_);
  }
  TRect inner;
  if (GetColor() != -1 && ClipRect64(FrameRect(), surface.GetDirtyRect(), inner)) {
    FillByAlpha(surface, inner, GetColor(), alpha_);
  }
  PaintCells(surface);
  if (open_state_ != 0) return;
  PaintScrollBar(surface);
  PaintItems(surface);
}

void TVornCustomListBox::PaintCells(TCustomDIBX& surface) {
  for (int cell = 0; cell < kCells; ++cell) {
    TVornImageList& list = *borders_[static_cast<std::size_t>(cell)];
    TVornImageData* data = list.Current();
    if (data == nullptr) continue;
    TRect64 rect = CellRect(cell);
    if (cell == 4 && Scrolling() && open_state_ == 0) rect.right -= ScrollWidth();
    if (rect.IsEmpty()) continue;
    const TPelkItemFrame& frame = data->Frame();
    const std::int64_t image_w = frame.Surface().GetWidth();
    const std::int64_t image_h = frame.Surface().GetHeight();
    const std::int64_t origin_x = TileOrigin(border_h_align_[static_cast<std::size_t>(cell)], rect.Width(), image_w);
    const std::int64_t origin_y = TileOrigin(border_v_align_[static_cast<std::size_t>(cell)], rect.Height(), image_h);
    PaintTiled(surface, frame, frame.Surface().GetBoundsRect(), rect, alpha_, false, false, -origin_x, -origin_y);
  }
}

void TVornCustomListBox::PaintScrollBar(TCustomDIBX& surface) {
  const TPelkItemFrame* frame = FirstFrame(*scroll_);
  if (!Scrolling() || frame == nullptr) return;
  const TRect64 f = FrameRect();
  const TBorders b = BorderSizes();
  const std::int64_t sw = ScrollWidth();
  const std::int64_t sh = ScrollHeight();
  if (sw <= 0 || sh <= 0) return;
  const std::int64_t x = f.right - b.right - sw;
  const std::int64_t up_top = f.top + b.top;
  const std::int64_t down_top = f.bottom - b.bottom - sh;
  const std::int64_t thumb = ThumbTop();
  auto held = [this](TMouseState state) { return mouse_state_ == state && on_pressed_part_; };
  auto draw = [&](int cell, std::int64_t top) {
    TRect visible;
    if (!ClipRect64(TRect64::Bounds(x, top, sw, sh), surface.GetDirtyRect(), visible)) return;
    frame->Draw(surface, static_cast<int>(x), static_cast<int>(top), alpha_, false, false,
                CellOf(*frame, cell, kScrollCells));
  };
  draw(held(kUpArrow) ? kUpCell + 1 : kUpCell, up_top);
  draw(held(kDownArrow) ? kDownCell + 1 : kDownCell, down_top);
  const TRect64 upper{x, up_top + sh, x + sw, thumb};
  const TRect64 lower{x, thumb + sh, x + sw, down_top};
  PaintTiled(surface, *frame, CellOf(*frame, held(kTrackUp) ? kTrackCell + 1 : kTrackCell, kScrollCells), upper,
             alpha_, false, false, 0, 0);
  // The lower track continues the upper one's pattern.
  PaintTiled(surface, *frame, CellOf(*frame, held(kTrackDown) ? kTrackCell + 1 : kTrackCell, kScrollCells), lower,
             alpha_, false, false, 0, lower.top - upper.top);
  draw(kThumbCell, thumb);
}

void TVornCustomListBox::PaintItems(TCustomDIBX& surface) {
  const TRect clip = surface.GetDirtyRect();
  const TRect64 f = FrameRect();
  const TBorders b = BorderSizes();
  const std::int64_t x0 = ItemLeft();
  const std::int64_t width = ItemWidth();
  const std::int64_t row_height = RowHeight();
  const std::int64_t cw = CheckWidth();
  const std::int64_t ch = CheckHeight();
  const std::int32_t hover_color = GetHoverColor();
  const std::int64_t h = std::min<std::int64_t>(line_space_ / 2, margin_y_);
  const TPelkItemFrame* check = FirstFrame(*check_);
  std::int64_t y = ItemTop();
  for (std::int64_t k = 0; k < row_count_; ++k) {
    const std::int64_t index = top_index_ + k;
    if (index >= ItemCount()) break;
    // Rows below the drawing rectangle cannot show (a negative step would bring them back).
    if (y >= clip.bottom && row_height + line_space_ >= 0) break;
    const bool hovered = index == hover_index_;
    if (hovered && hover_color != -1) {
      TRect bar;
      if (ClipRect64(TRect64::Bounds(f.left + b.left + 1, y - h, 2 * std::int64_t{margin_x_} + width + cw - 2,
                                     row_height + 2 * h),
                     clip, bar)) {
        FillByAlpha(surface, bar, hover_color, alpha_);
      }
    }
    TZkLabelDIB* label = (hovered ? hover_ : normal_).GetLabel(static_cast<int>(index));
    if (label != nullptr) {
      std::int64_t x = x0;
      if (h_align_ == 1) x = x0 + (width - label->Width()) / 2;
      if (h_align_ == 2) x = x0 + width - label->Width();
      TRect shown;
      if (ClipRect64(TRect64::Bounds(x, y, label->Width(), label->Height()), clip, shown)) {
        label->Draw(surface, Clamp32(x), Clamp32(y));
      }
    }
    if (checks_[static_cast<std::size_t>(index)] != 0 && check != nullptr) {
      const std::int64_t cx = x0 - cw;
      const std::int64_t cy = y + (row_height - ch) / 2;
      TRect shown;
      if (ClipRect64(TRect64::Bounds(cx, cy, cw, ch), clip, shown)) {
        check->Draw(surface, static_cast<int>(cx), static_cast<int>(cy), alpha_, false, false,
                    CellOf(*check, hovered ? 1 : 0, kCheckCells));
      }
    }
    y += row_height + line_space_;
  }
}

// ---- events ----

void TVornCustomListBox::PostItemEvent(const std::string& label, std::uint8_t code, const std::string& text,
                                       std::int32_t number) {
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr || !CanPostEvent(scene->Events(), *this, label, code, TPostKind::kDeduplicated)) return;
  TArrayString arguments;
  arguments.Add(text);
  arguments.Add(std::to_string(number));
  scene->Events().PostEvent(this, label, &arguments, code);
}

void TVornCustomListBox::SetHover(int index) {
  if (index == hover_index_) return;
  if (index == -1 && hover_index_ >= 0 && hover_index_ < ItemCount()) {
    PostItemEvent(on_map_out_, PR_ONMAPOUT, Item(hover_index_), index_);
  }
  hover_index_ = index;
  index_ = -1;
  Invalidate();
  if (index >= 0 && index < ItemCount()) PostItemEvent(on_map_in_, PR_ONMAPIN, Item(index), index_);
}

void TVornCustomListBox::Select(int index) {
  if (index < 0 || index >= ItemCount()) return;
  index_ = index;
  if (TParamCollection* params = CurrentParams()) {
    params->SetSelectedText(Item(index));
    params->SetSelectedIndex(index);
  }
  PostItemEvent(on_select_, PR_ONSELECT, Item(index), index);
  AfterSelect();
}

// ---- mouse ----

TPoint TVornCustomListBox::Pointer() const {
  TVornBase* layer = GetBase();
  if (layer == nullptr && GetOwner() != nullptr) layer = GetOwner()->ActiveLayer();
  if (layer == nullptr) return {};
  return {layer->Mouse().x, layer->Mouse().y};
}

bool TVornCustomListBox::PointerOnPressedPart() const {
  const TPoint p = Pointer();
  const TScrollPart part = ScrollPartAt(p.x, p.y);
  switch (mouse_state_) {
    case kUpArrow:
      return part == TScrollPart::kUpArrow;
    case kDownArrow:
      return part == TScrollPart::kDownArrow;
    case kTrackUp:
      return part == TScrollPart::kTrackUp;
    case kTrackDown:
      return part == TScrollPart::kTrackDown;
    default:
      return false;
  }
}

void TVornCustomListBox::ScrollStep() {
  const std::int64_t top = top_index_;
  switch (mouse_state_) {
    case kUpArrow:
      SetTopIndex(Clamp32(top - 1));
      break;
    case kDownArrow:
      if (top + row_count_ < ItemCount()) SetTopIndex(Clamp32(top + 1));
      break;
    case kTrackUp:
      SetTopIndex(Clamp32(top - row_count_));
      break;
    case kTrackDown:
      SetTopIndex(Clamp32(top + row_count_));
      break;
    default:
      break;
  }
}

void TVornCustomListBox::DragThumb(std::int64_t y) {
  const TBorders b = BorderSizes();
  const std::int64_t sh = ScrollHeight();
  const std::int64_t travel = std::int64_t{GetHeight()} - 2 * std::int64_t{border_width_} - b.top - b.bottom - 3 * sh;
  if (travel <= 0) return;
  const std::int64_t hidden = std::int64_t{ItemCount()} - row_count_;
  const std::int64_t offset = y - drag_offset_ - GetScreenTop() - border_width_ - b.top - sh - sh / 2;
  SetTopIndex(Clamp32(MulDivHalfEven(hidden, offset, travel)));
}

void TVornCustomListBox::LBtnDown() {
  TVornBase* layer = GetBase();
  if (paused_ == 0 && layer != nullptr) {
    const TPoint p = Pointer();
    switch (ScrollPartAt(p.x, p.y)) {
      case TScrollPart::kThumb:
        mouse_state_ = kThumb;
        drag_offset_ = std::int64_t{p.y} - ThumbTop() - ScrollHeight() / 2;
        break;
      case TScrollPart::kUpArrow:
        mouse_state_ = kUpArrow;
        break;
      case TScrollPart::kDownArrow:
        mouse_state_ = kDownArrow;
        break;
      case TScrollPart::kTrackUp:
        mouse_state_ = kTrackUp;
        break;
      case TScrollPart::kTrackDown:
        mouse_state_ = kTrackDown;
        break;
      case TScrollPart::kNone:
        mouse_state_ = kItems;
        break;
    }
    layer->Mouse().capture |= kLeftCapture;
    layer->Mouse().left_pressed = 0;
    if (mouse_state_ >= kUpArrow && mouse_state_ <= kTrackDown) {
      on_pressed_part_ = PointerOnPressedPart();
      if (on_pressed_part_) ScrollStep();
      countdown_ = kFirstRepeatMs;
      Invalidate();
    }
  }
  TVornControl::LBtnDown();
}

void TVornCustomListBox::MouseStepEnd() {
  if (mouse_state_ < kUpArrow || mouse_state_ > kTrackDown) return;
  const bool on = PointerOnPressedPart();
  if (on != on_pressed_part_) {
    on_pressed_part_ = on;
    Invalidate();
  }
  std::int64_t countdown = std::int64_t{countdown_} - FrameDelta;
  const bool due = countdown <= 0;
  // One step per input step at most, however long the frame was.
  if (due) countdown += kRepeatMs;
  countdown_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      countdown, std::int64_t{std::numeric_limits<std::int32_t>::min()} + kRepeatMs, kFirstRepeatMs));
  if (due && on) ScrollStep();
}

void TVornCustomListBox::MouseMove() {
  if (mouse_state_ == kThumb) {
    DragThumb(Pointer().y);
  } else if ((mouse_state_ == kItems || mouse_state_ == kIdle) && paused_ == 0) {
    const TPoint p = Pointer();
    SetHover(ItemAt(p.x, p.y));
  }
  TVornControl::MouseMove();
}

void TVornCustomListBox::MouseOut(TVornObject* next) {
  if (paused_ == 0 && GetIgnoreMouse() != kIgnoreAll) SetHover(-1);
  TVornControl::MouseOut(next);
}

void TVornCustomListBox::LBtnUp() {
  const bool selects = !IsEventBlocked() && mouse_state_ == kItems && hover_index_ >= 0;
  const std::int32_t released = mouse_state_;
  mouse_state_ = kIdle;
  on_pressed_part_ = false;
  if (released >= kUpArrow && released <= kTrackDown) Invalidate();
  const TObjectHandle self(this);
  if (selects) Select(hover_index_);
  if (self.Get() == nullptr) return;
  TVornControl::LBtnUp();
  if (TVornBase* layer = GetBase()) layer->Mouse().capture &= ~kLeftCapture;
}

// ---- keys ----

void TVornCustomListBox::HandleListKeys() {
  TVornBaseList* scene = GetOwner();
  const std::int64_t count = ItemCount();
  if (scene == nullptr || count == 0) return;
  const std::int64_t last = count - 1;
  const std::int64_t hover = hover_index_;
  std::int64_t next = hover;
  if (scene->GetKeyPush(platform::kVkUp)) {
    next = hover == -1 ? last : hover - 1;
  } else if (scene->GetKeyPush(platform::kVkDown)) {
    next = hover == -1 ? 0 : std::min(hover + 1, last);
  } else if (scene->GetKeyPush(platform::kVkPrior)) {
    next = hover == -1 ? last : std::max<std::int64_t>(hover - row_count_, 0);
  } else if (scene->GetKeyPush(platform::kVkNext)) {
    next = hover == -1 ? 0 : std::min(hover + row_count_, last);
  }
  next = std::clamp<std::int64_t>(next, -1, last);
  if (next == hover) return;
  SetHover(static_cast<int>(next));
  if (next < top_index_) {
    SetTopIndex(Clamp32(next));
  } else if (next >= std::int64_t{top_index_} + row_count_) {
    SetTopIndex(Clamp32(next - row_count_ + 1));
  }
}

void TVornCustomListBox::KeyRepeat() {
  HandleListKeys();
  TVornControl::KeyRepeat();
}

// ---- record ----

void TVornCustomListBox::SaveClassFields(TStream& stream) const {
  TVornControl::SaveClassFields(stream);
  normal_.SaveToStream(stream);
  hover_.SaveToStream(stream);
  WriteStrToStream(stream, text_);
  for (const std::int32_t value : {line_space_, alpha_, margin_x_, margin_y_, border_width_, border_color_, row_count_}) {
    WriteIntToStream(stream, value);
  }
  for (std::size_t cell = 0; cell < kCells; ++cell) {
    WriteStrToStream(stream, border_sources_[cell]);
    WriteByteToStream(stream, border_h_align_[cell]);
    WriteByteToStream(stream, border_v_align_[cell]);
  }
  WriteStrToStream(stream, scroll_source_);
  WriteStrToStream(stream, check_source_);
  WriteIntToStream(stream, top_index_);
  WriteByteToStream(stream, h_align_);
  for (const std::uint8_t check : checks_) WriteByteToStream(stream, check);
  WriteStrToStream(stream, on_select_);
  WriteByteToStream(stream, paused_);
  WriteIntToStream(stream, index_);
  WriteIntToStream(stream, open_state_);
  WriteStrToStream(stream, on_idle_);
  WriteStrToStream(stream, on_map_in_);
  WriteStrToStream(stream, on_map_out_);
}

void TVornCustomListBox::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornControl::LoadClassFields(stream, version);
  normal_.LoadFromStream(stream, version);
  hover_.LoadFromStream(stream, version);
  SetText(ReadStrFromStream(stream));
  line_space_ = ReadIntFromStream(stream);
  SetAlpha(ReadIntFromStream(stream));
  margin_x_ = ReadIntFromStream(stream);
  margin_y_ = ReadIntFromStream(stream);
  border_width_ = ReadIntFromStream(stream);
  border_color_ = ReadIntFromStream(stream);
  row_count_ = ReadIntFromStream(stream);
  for (int cell = 0; cell < kCells; ++cell) {
    SetBorderSource(cell, ReadStrFromStream(stream));
    border_h_align_[static_cast<std::size_t>(cell)] = ReadByteFromStream(stream);
    border_v_align_[static_cast<std::size_t>(cell)] = ReadByteFromStream(stream);
  }
  SetScrollSource(ReadStrFromStream(stream));
  SetCheckSource(ReadStrFromStream(stream));
  const std::int32_t top = ReadIntFromStream(stream);
  if (version < kFirstVersionWithoutSpareByte) ReadByteFromStream(stream);
  h_align_ = ReadByteFromStream(stream);
  // Exactly one check byte per item the text gave.
  for (std::uint8_t& check : checks_) check = ReadByteFromStream(stream);
  ReadStrFromStream(stream, on_select_);
  paused_ = ReadByteFromStream(stream);
  index_ = ReadIntFromStream(stream);
  open_state_ = ReadIntFromStream(stream);
  if (version >= kFirstVersionWithIdle) ReadStrFromStream(stream, on_idle_);
  if (version >= kFirstVersionWithMapLabels) {
    ReadStrFromStream(stream, on_map_in_);
    ReadStrFromStream(stream, on_map_out_);
  }
  top_index_ = 0;
  SetTopIndex(top);
  hover_index_ = -1;
  mouse_state_ = kIdle;
  dirty_ = true;
}

}  // namespace vorn
