// Drawing of the text fields: each field is drawn into pixels of its own (only the part inside
// the panel) and put on the window through the panel, above whatever the scene drew there.

#include <algorithm>

#include "platform/clock.h"
#include "platform/face_colors.h"
#include "platform/panel.h"
#include "platform/text_field.h"
#include "platform/text_field_host_state.h"

namespace vorn::platform {

namespace {

constexpr std::uint32_t kCaretBlinkMs = 500;
constexpr std::uint32_t kSelectionBack = 0x6A240A;  // 0x00BBGGRR
constexpr std::uint32_t kSelectionText = 0xFFFFFF;
constexpr std::uint32_t kDisabledText = 0x808080;

std::uint32_t Xrgb(std::uint32_t bgr) { return FaceXrgb(bgr & 0xFFFFFF); }

void Fill(Framebuffer& target, std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height,
          std::uint32_t xrgb) {
  const std::int64_t l = std::max<std::int64_t>(left, 0), t = std::max<std::int64_t>(top, 0);
  const std::int64_t r = std::min<std::int64_t>(left + width, target.width());
  const std::int64_t b = std::min<std::int64_t>(top + height, target.height());
  if (r <= l || b <= t) return;
  target.FillRect(Rect{static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l), static_cast<int>(b - t)}, xrgb);
}

void Bevel(Framebuffer& target, std::int64_t left, std::int64_t top, int size, bool arrow_up) {
  Fill(target, left, top, size, size, Xrgb(kFaceColors.face));
  Fill(target, left, top, size, 1, Xrgb(kFaceColors.highlight));
  Fill(target, left, top, 1, size, Xrgb(kFaceColors.highlight));
  Fill(target, left, top + size - 1, size, 1, Xrgb(kFaceColors.dark_shadow));
  Fill(target, left + size - 1, top, 1, size, Xrgb(kFaceColors.dark_shadow));
  Fill(target, left + 1, top + size - 2, size - 2, 1, Xrgb(kFaceColors.shadow));
  Fill(target, left + size - 2, top + 1, 1, size - 2, Xrgb(kFaceColors.shadow));
  // A small triangle.
  for (int row = 0; row < 4; ++row) {
    const std::int64_t y = arrow_up ? top + 6 + row : top + 9 - row;
    Fill(target, left + size / 2 - row - 1, y, 2 * row + 1, 1, Xrgb(kFaceColors.text));
  }
}

}  // namespace

bool TextField::CaretShown() const {
  if (host_->holder != this || !enabled_ || !visible_) return false;
  const std::uint32_t elapsed = host_->Now() - blink_start_;  // the clock wraps
  return (elapsed / kCaretBlinkMs) % 2 == 0;
}

void TextField::RenderScrollBar(Framebuffer& target, const Rect& visible) {
  const std::int64_t ox = std::int64_t{bounds_.left} - visible.left, oy = std::int64_t{bounds_.top} - visible.top;
  const std::int64_t left = ox + bounds_.width - kTextFieldScrollBarWidth;
  const int size = kTextFieldScrollBarWidth;
  Fill(target, left, oy, size, bounds_.height, Xrgb(kFaceColors.light));
  Bevel(target, left, oy, size, true);
  Bevel(target, left, oy + bounds_.height - size, size, false);
  const auto count = static_cast<std::int64_t>(ShownLayout().lines().size());
  const std::int64_t shown = VisibleLines();
  const std::int64_t track = std::int64_t{bounds_.height} - 2 * size;
  if (count <= shown || track <= 0) return;
  const std::int64_t thumb = std::max<std::int64_t>(8, track * shown / count);
  if (thumb >= track) return;
  const std::int64_t top = size + (track - thumb) * static_cast<std::int64_t>(top_line_) / (count - shown);
  Fill(target, left, oy + top, size, thumb, Xrgb(kFaceColors.face));
  Fill(target, left, oy + top, size, 1, Xrgb(kFaceColors.highlight));
  Fill(target, left, oy + top, 1, thumb, Xrgb(kFaceColors.highlight));
  Fill(target, left, oy + top + thumb - 1, size, 1, Xrgb(kFaceColors.dark_shadow));
  Fill(target, left + size - 1, oy + top, 1, thumb, Xrgb(kFaceColors.dark_shadow));
}

void TextField::Render(Framebuffer& target, const Rect& visible) {
  TextFieldFont& font = Font();
  const std::int64_t ox = std::int64_t{bounds_.left} - visible.left, oy = std::int64_t{bounds_.top} - visible.top;
  target.FillRect(target.bounds(), Xrgb(back_color_));
  const std::int64_t text_right = ox + (multi_line_ ? std::int64_t{bounds_.width} - kTextFieldScrollBarWidth : bounds_.width);
  const Rect clip{0, 0, static_cast<int>(std::clamp<std::int64_t>(text_right, 0, target.width())), target.height()};

  const std::u32string& text = ShownText();
  const bool composing = !composition_.empty();
  const std::size_t mark_start = composing ? text_.SelectionStart() : text_.SelectionStart();
  const std::size_t mark_end = composing ? mark_start + composition_.size() : text_.SelectionEnd();
  const bool marks_selection = !composing && mark_end > mark_start;
  const std::uint32_t ink = Xrgb(enabled_ ? text_color_ : kDisabledText);
  const int line_height = LineHeight();

  static const std::vector<TextFieldLine> kNoLines;
  std::vector<TextFieldLine> single;
  if (!multi_line_) single.push_back({0, text.size(), text.size()});
  const std::vector<TextFieldLine>& lines = multi_line_ ? ShownLayout().lines() : single;
  const std::size_t first = multi_line_ ? top_line_ : 0;
  const std::size_t last = std::min(lines.size(), first + static_cast<std::size_t>(VisibleLines()) + 1);
  for (std::size_t index = first; index < last; ++index) {
    const TextFieldLine& line = lines[index];
    const std::int64_t top = oy + static_cast<std::int64_t>(index - first) * line_height;
    if (top >= target.height()) break;
    const std::int64_t baseline = top + font.ascent();
    const std::int64_t line_left = ox + LineLeft(line);
    std::int64_t x = line_left;
    for (std::size_t i = line.start; i < line.end; ++i) {
      const char32_t c = text[i];
      const int advance = font.Advance(c);
      if (x >= clip.right()) break;
      if (x + advance > 0 || x + line_height > 0) {
        const bool marked = i >= mark_start && i < mark_end;
        std::uint32_t colour = ink;
        if (marked && marks_selection) {
          Fill(target, x, top, advance, line_height, Xrgb(kSelectionBack));
          colour = Xrgb(kSelectionText);
        }
        if (x > INT32_MIN / 2 && baseline < INT32_MAX / 2 && baseline > INT32_MIN / 2) {
          font.DrawGlyph(target, static_cast<int>(x), static_cast<int>(baseline), c, colour, clip);
        }
        if (marked && composing) Fill(target, x, top + line_height - 1, advance, 1, ink);
      }
      x += advance;
    }
    if (x > line_left && baseline > INT32_MIN / 2 && baseline < INT32_MAX / 2) {
      font.DrawLines(target, static_cast<int>(std::max<std::int64_t>(line_left, -1)),
                     static_cast<int>(std::min<std::int64_t>(x, target.width() + 1)), static_cast<int>(baseline), ink, clip);
    }
  }

  drawn_caret_ = CaretShown();
  if (drawn_caret_) {
    const std::size_t caret = ShownCaret();
    const std::size_t line = multi_line_ ? ShownLayout().LineOf(caret) : 0;
    if (line >= first && line < last) {
      const std::int64_t cx = ox + CaretX(line, caret);
      const std::int64_t top = oy + static_cast<std::int64_t>(line - first) * line_height;
      if (cx < clip.right()) Fill(target, cx, top, 1, line_height, Xrgb(text_color_));
    }
  }
  if (multi_line_) RenderScrollBar(target, visible);
}

void TextFieldHost::Draw(bool all) {
  TextFieldHostState& s = *state_;
  if (s.panel == nullptr) return;
  const Rect area = s.PanelArea();
  for (TextField* field : s.fields) {
    if (!field->visible_ || field->bounds_.empty()) continue;
    if (!all && !field->dirty_ && field->CaretShown() == field->drawn_caret_) continue;
    const Rect visible = Intersect(field->bounds_, area);
    field->dirty_ = false;
    if (visible.empty()) continue;
    field->pixels_.Resize(visible.width, visible.height);
    field->Render(field->pixels_, visible);
    SourcePixels source;
    source.top = reinterpret_cast<const std::uint8_t*>(field->pixels_.data());
    source.pitch = static_cast<std::ptrdiff_t>(visible.width) * 4;
    source.width = visible.width;
    source.height = visible.height;
    source.format = SourceFormat::kXrgb8888;
    s.panel->Blit(source, Rect{0, 0, visible.width, visible.height}, visible);
  }
}

}  // namespace vorn::platform
