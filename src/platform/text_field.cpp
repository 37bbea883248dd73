#include "platform/text_field.h"

#include <algorithm>

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/cursors.h"
#include "platform/key_codes.h"
#include "platform/panel.h"
#include "platform/text_converter.h"
#include "platform/text_field_host_state.h"

namespace vorn::platform {

namespace {

constexpr int kTextMargin = 1;       // pixels between the field's left edge and its text
constexpr int kWheelLines = 3;       // lines one wheel notch scrolls a memo
constexpr int kMinThumbHeight = 8;

bool IsWordSpace(char32_t c) { return c == U' ' || c == U'\t' || c == U'\u3000' || IsLineBreak(c); }

// Host text as the script will read it: through CP932, so that what cannot be stored shows as
// "?" at once.
std::u32string ThroughCp932(std::string_view utf8) { return Utf8ToCodePoints(Cp932ToUtf8(Utf8ToCp932(utf8))); }

std::int64_t Clamp64(std::int64_t v, std::int64_t lo, std::int64_t hi) { return std::max(lo, std::min(v, hi)); }

}  // namespace

// ---- field ----

TextField::TextField(std::shared_ptr<TextFieldHostState> host, bool multi_line)
    : host_(std::move(host)), multi_line_(multi_line) {
  font_spec_.face = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ Ｐゴシック
  host_->fields.push_back(this);
}

TextField::~TextField() { host_->Forget(this); }

void TextField::MarkDirty() { dirty_ = true; }

void TextField::SetBounds(const Rect& bounds) {
  Rect b = bounds;
  // Keep right and bottom representable.
  b.width = static_cast<int>(std::min<std::int64_t>(b.width, std::int64_t{INT32_MAX} - b.left));
  b.height = static_cast<int>(std::min<std::int64_t>(b.height, std::int64_t{INT32_MAX} - b.top));
  if (b == bounds_) return;
  const bool rewrap = multi_line_ && b.width != bounds_.width;
  bounds_ = b;
  if (rewrap) {
    layout_valid_ = false;
    shown_valid_ = false;
  }
  MarkDirty();
  if (host_->holder == this) host_->UpdateTextInput();
}

void TextField::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (!visible) {
    host_->DropPress(this);
    host_->LoseKeyboard(this);
  }
  MarkDirty();
}

void TextField::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (!enabled) {
    host_->DropPress(this);
    host_->LoseKeyboard(this);
  }
  MarkDirty();
}

void TextField::SetReadOnly(bool read_only) {
  if (read_only == read_only_) return;
  read_only_ = read_only;
  if (read_only) composition_.clear();
  shown_valid_ = false;
  MarkDirty();
  if (host_->holder == this) host_->UpdateTextInput();
}

void TextField::SetText(std::string_view cp932) {
  const std::string_view cut = cp932.substr(0, cp932.find('\0'));
  text_.Set(Utf8ToCodePoints(Cp932ToUtf8(cut)));
  layout_valid_ = false;
  shown_valid_ = false;
  top_line_ = 0;
  scroll_x_ = 0;
  MarkDirty();
  if (host_->holder == this) host_->UpdateTextInput();
}

std::string TextField::Text() const { return Utf8ToCp932(CodePointsToUtf8(text_.text())); }

void TextField::SetFont(const TextFieldFontSpec& font) {
  if (font == font_spec_ && font_ != nullptr) return;
  font_spec_ = font;
  font_.reset();
  layout_valid_ = false;
  shown_valid_ = false;
  MarkDirty();
}

bool TextField::FontFaceKnown() { return Font().face_known(); }

void TextField::SetTextColor(std::uint32_t bgr) {
  if (bgr == text_color_) return;
  text_color_ = bgr;
  MarkDirty();
}

void TextField::SetBackgroundColor(std::uint32_t bgr) {
  if (bgr == back_color_) return;
  back_color_ = bgr;
  MarkDirty();
}

void TextField::SetAlignment(int alignment) {
  const auto align = static_cast<TextFieldAlign>(alignment == 1 || alignment == 2 ? alignment : 0);
  if (align == alignment_) return;
  alignment_ = align;
  MarkDirty();
}

void TextField::TakeKeyboard() {
  if (!visible_ || !enabled_ || host_->holder == this) return;
  TextField* previous = host_->holder;
  if (previous != nullptr) previous->MarkDirty();
  // Held before the callback runs: it may ask again (the scene's focus calls back into the field).
  host_->holder = this;
  blink_start_ = host_->Now();
  MarkDirty();
  host_->UpdateTextInput();
  if (on_keyboard_taken) on_keyboard_taken();
}

void TextField::Select(std::size_t anchor, std::size_t caret) {
  composition_.clear();
  text_.Select(anchor, caret);
  shown_valid_ = false;
  CaretMoved();
}

bool TextField::HoldsKeyboard() const { return host_->holder == this; }

std::size_t TextField::line_count() { return multi_line_ ? ShownLayout().lines().size() : 1; }

// ---- layout ----

TextFieldFont& TextField::Font() {
  if (font_ == nullptr) font_ = std::make_unique<TextFieldFont>(font_spec_);
  return *font_;
}

int TextField::TextWidth() const {
  const std::int64_t width = std::int64_t{bounds_.width} - (multi_line_ ? kTextFieldScrollBarWidth : 0) - 2 * kTextMargin;
  return static_cast<int>(std::max<std::int64_t>(0, width));
}

void TextField::RefreshShown() {
  if (composition_.empty() || shown_valid_) return;
  shown_text_ = text_.text();
  shown_text_.replace(text_.SelectionStart(), text_.SelectionEnd() - text_.SelectionStart(), composition_);
  if (multi_line_) shown_layout_.Build(shown_text_, TextWidth(), Font());
  shown_valid_ = true;
}

const std::u32string& TextField::ShownText() {
  RefreshShown();
  return composition_.empty() ? text_.text() : shown_text_;
}

TextFieldLayout& TextField::ShownLayout() {
  if (composition_.empty()) {
    if (!layout_valid_) {
      layout_.Build(text_.text(), multi_line_ ? TextWidth() : 0, Font());
      layout_valid_ = true;
    }
    return layout_;
  }
  RefreshShown();
  return shown_layout_;
}

std::size_t TextField::ShownCaret() const {
  return composition_.empty() ? text_.caret() : text_.SelectionStart() + composition_cursor_;
}

int TextField::VisibleLines() { return std::max(1, bounds_.height / LineHeight()); }

int TextField::LineWidth(const TextFieldLine& line) {
  const std::u32string& text = ShownText();
  std::int64_t width = 0;
  for (std::size_t i = line.start; i < line.end && i < text.size(); ++i) width += Font().Advance(text[i]);
  return static_cast<int>(std::min<std::int64_t>(width, INT32_MAX));
}

int TextField::LineLeft(const TextFieldLine& line) {
  if (!multi_line_) return static_cast<int>(Clamp64(kTextMargin - scroll_x_, INT32_MIN, INT32_MAX));
  const int room = TextWidth();
  switch (alignment_) {
    case TextFieldAlign::kRight: return kTextMargin + std::max(0, room - LineWidth(line));
    case TextFieldAlign::kCentre: return kTextMargin + std::max(0, room - LineWidth(line)) / 2;
    case TextFieldAlign::kLeft: break;
  }
  return kTextMargin;
}

int TextField::CaretX(std::size_t line_index, std::size_t position) {
  const std::u32string& text = ShownText();
  const TextFieldLine line = multi_line_ ? ShownLayout().lines()[line_index] : TextFieldLine{0, text.size(), text.size()};
  std::int64_t x = LineLeft(line);
  for (std::size_t i = line.start; i < std::min(position, line.end); ++i) x += Font().Advance(text[i]);
  return static_cast<int>(Clamp64(x, INT32_MIN / 2, INT32_MAX / 2));
}

std::size_t TextField::PositionAt(int x, int y) {
  const std::u32string& text = ShownText();
  TextFieldLine line{0, text.size(), text.size()};
  if (multi_line_) {
    const auto& lines = ShownLayout().lines();
    const std::int64_t row = static_cast<std::int64_t>(top_line_) + (y < 0 ? -1 - (-1 - y) / LineHeight() : y / LineHeight());
    line = lines[static_cast<std::size_t>(Clamp64(row, 0, static_cast<std::int64_t>(lines.size()) - 1))];
  }
  std::int64_t cx = LineLeft(line);
  for (std::size_t i = line.start; i < line.end; ++i) {
    const int advance = Font().Advance(text[i]);
    if (x < cx + advance / 2) return i;
    cx += advance;
  }
  return line.end;
}

void TextField::KeepCaretInView() {
  if (!multi_line_) {
    const std::u32string& text = ShownText();
    std::int64_t x = 0;
    const std::size_t caret = ShownCaret();
    for (std::size_t i = 0; i < caret && i < text.size(); ++i) x += Font().Advance(text[i]);
    const std::int64_t room = std::max<std::int64_t>(1, std::int64_t{bounds_.width} - 2 * kTextMargin - 1);
    if (x < scroll_x_) scroll_x_ = x;
    if (x - scroll_x_ > room) scroll_x_ = x - room;
    return;
  }
  const std::size_t line = ShownLayout().LineOf(ShownCaret());
  const auto visible = static_cast<std::size_t>(VisibleLines());
  if (line < top_line_) top_line_ = line;
  if (line >= top_line_ + visible) top_line_ = line - visible + 1;
}

void TextField::ScrollLines(std::int64_t lines) {
  if (!multi_line_) return;
  const auto count = static_cast<std::int64_t>(ShownLayout().lines().size());
  const std::int64_t last_top = std::max<std::int64_t>(0, count - VisibleLines());
  const auto top = static_cast<std::size_t>(Clamp64(static_cast<std::int64_t>(top_line_) + lines, 0, last_top));
  if (top == top_line_) return;
  top_line_ = top;
  MarkDirty();
  if (host_->holder == this) host_->UpdateTextInput();
}

// ---- editing ----

void TextField::EditChanged() {
  if (multi_line_ && layout_valid_) layout_.Update(text_.text(), text_.last_change(), TextWidth(), Font());
  shown_valid_ = false;
  CaretMoved();
}

void TextField::CaretMoved() {
  blink_start_ = host_->Now();
  KeepCaretInView();
  MarkDirty();
  if (host_->holder == this) host_->UpdateTextInput();
}

void TextField::KeyDown(int key, unsigned shift) {
  const bool with_shift = (shift & kShiftKey) != 0;
  const bool with_ctrl = (shift & kCtrlKey) != 0;
  const std::u32string& text = text_.text();
  const auto line_of_caret = [&] { return multi_line_ ? ShownLayout().LineOf(text_.caret()) : std::size_t{0}; };
  const auto move_vertically = [&](std::int64_t rows) {
    const auto& lines = ShownLayout().lines();
    const std::size_t line = line_of_caret();
    const int x = CaretX(line, text_.caret());
    const auto target = static_cast<std::size_t>(Clamp64(static_cast<std::int64_t>(line) + rows, 0, static_cast<std::int64_t>(lines.size()) - 1));
    const std::int64_t top_delta = static_cast<std::int64_t>(target) - static_cast<std::int64_t>(line);
    if (rows != 1 && rows != -1) ScrollLines(top_delta);
    const std::int64_t row_on_screen = static_cast<std::int64_t>(target) - static_cast<std::int64_t>(top_line_);
    text_.MoveCaret(PositionAt(x, static_cast<int>(Clamp64(row_on_screen * LineHeight(), INT32_MIN / 2, INT32_MAX / 2))), with_shift);
  };
  bool edited = false;
  composition_.clear();
  switch (key) {
    case kVkLeft:
      if (text_.HasSelection() && !with_shift) {
        text_.MoveCaret(text_.SelectionStart(), false);
      } else {
        std::size_t to = text_.caret() > 0 ? text_.caret() - 1 : 0;
        // A CR LF pair is one step.
        if (to > 0 && text[to] == U'\n' && text[to - 1] == U'\r') --to;
        text_.MoveCaret(to, with_shift);
      }
      break;
    case kVkRight:
      if (text_.HasSelection() && !with_shift) {
        text_.MoveCaret(text_.SelectionEnd(), false);
      } else {
        std::size_t to = std::min(text.size(), text_.caret() + 1);
        if (to < text.size() && text[to - 1] == U'\r' && text[to] == U'\n') ++to;
        text_.MoveCaret(to, with_shift);
      }
      break;
    case kVkHome:
      text_.MoveCaret(with_ctrl || !multi_line_ ? 0 : ShownLayout().lines()[line_of_caret()].start, with_shift);
      break;
    case kVkEnd:
      text_.MoveCaret(with_ctrl || !multi_line_ ? text.size() : ShownLayout().lines()[line_of_caret()].end, with_shift);
      break;
    case kVkUp:
      if (multi_line_) move_vertically(-1);
      break;
    case kVkDown:
      if (multi_line_) move_vertically(1);
      break;
    case kVkPrior:
      if (multi_line_) move_vertically(-VisibleLines());
      break;
    case kVkNext:
      if (multi_line_) move_vertically(VisibleLines());
      break;
    case kVkBack:
      edited = Writable() && text_.DeleteBackward();
      break;
    case kVkDelete:
      if (with_shift) {
        Copy();
        edited = Writable() && text_.HasSelection() && (text_.ReplaceSelection({}), true);
      } else {
        edited = Writable() && text_.DeleteForward();
      }
      break;
    case kVkInsert:
      if (with_ctrl) {
        Copy();
      } else if (with_shift) {
        Paste();
        return;
      }
      break;
    case kVkReturn:
      if (multi_line_ && Writable()) {
        text_.ReplaceSelection(U"\r\n");
        edited = true;
      }
      break;
    default:
      if (!with_ctrl) break;
      if (key == 'A') {
        text_.Select(0, text.size());
      } else if (key == 'C') {
        Copy();
      } else if (key == 'X') {
        Copy();
        edited = Writable() && text_.HasSelection() && (text_.ReplaceSelection({}), true);
      } else if (key == 'V') {
        Paste();
        return;
      } else if (key == 'Z') {
        edited = Writable() && text_.Undo();
      }
      break;
  }
  if (edited) {
    EditChanged();
  } else {
    shown_valid_ = false;
    CaretMoved();
  }
}

void TextField::InsertTyped(std::string_view utf8) {
  if (!Writable()) return;
  std::u32string typed = ThroughCp932(utf8);
  std::erase_if(typed, [](char32_t c) { return c < 0x20 || c == 0x7F; });
  composition_.clear();
  if (typed.empty()) {
    shown_valid_ = false;
    CaretMoved();
    return;
  }
  text_.ReplaceSelection(typed, true);
  EditChanged();
}

void TextField::Compose(std::string_view utf8, int cursor) {
  if (!Writable()) return;
  composition_ = ThroughCp932(utf8);
  std::erase_if(composition_, [](char32_t c) { return c < 0x20 || c == 0x7F; });
  composition_cursor_ = static_cast<std::size_t>(std::clamp<std::int64_t>(cursor, 0, static_cast<std::int64_t>(composition_.size())));
  shown_valid_ = false;
  CaretMoved();
}

void TextField::Copy() {
  if (host_->clipboard == nullptr || !text_.HasSelection()) return;
  const std::string bytes = Utf8ToCp932(CodePointsToUtf8(text_.Selected()));
  host_->clipboard->SetData(kClipboardFormatText, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

void TextField::Paste() {
  if (host_->clipboard == nullptr || !Writable()) {
    CaretMoved();
    return;
  }
  const auto data = host_->clipboard->GetData(kClipboardFormatText);
  if (!data) {
    CaretMoved();
    return;
  }
  std::string_view bytes(reinterpret_cast<const char*>(data->data()), data->size());
  bytes = bytes.substr(0, bytes.find('\0'));
  const std::u32string pasted = Utf8ToCodePoints(Cp932ToUtf8(bytes));
  std::u32string insert;
  if (!multi_line_) {
    insert = pasted.substr(0, std::min(pasted.find(U'\r'), pasted.find(U'\n')));
  } else {
    insert.reserve(pasted.size());
    for (std::size_t i = 0; i < pasted.size(); ++i) {
      if (pasted[i] == U'\r' || pasted[i] == U'\n') {
        if (pasted[i] == U'\r' && i + 1 < pasted.size() && pasted[i + 1] == U'\n') ++i;
        insert += U"\r\n";
      } else {
        insert.push_back(pasted[i]);
      }
    }
  }
  text_.ReplaceSelection(insert);
  EditChanged();
}

// ---- pointer ----

bool TextField::TakesPointerAt(int x, int y) const { return visible_ && enabled_ && bounds_.Contains(x, y); }

bool TextField::OnScrollBar(int x) const { return multi_line_ && x >= bounds_.width - kTextFieldScrollBarWidth; }

void TextField::Press(int x, int y, unsigned shift, bool double_click) {
  const int lx = x - bounds_.left, ly = y - bounds_.top;
  if (OnScrollBar(lx)) {
    ScrollBarPress(ly);
    return;
  }
  composition_.clear();
  shown_valid_ = false;
  TakeKeyboard();
  const std::size_t position = PositionAt(lx, ly);
  if (double_click) {
    const std::u32string& text = text_.text();
    std::size_t start = position, end = position;
    while (start > 0 && !IsWordSpace(text[start - 1])) --start;
    while (end < text.size() && !IsWordSpace(text[end])) ++end;
    text_.Select(start, end);
  } else {
    text_.MoveCaret(position, (shift & kShiftKey) != 0);
    selecting_ = true;
  }
  CaretMoved();
}

void TextField::Drag(int x, int y) {
  const int lx = x - bounds_.left, ly = y - bounds_.top;
  if (thumb_drag_) {
    const auto count = static_cast<std::int64_t>(ShownLayout().lines().size());
    const std::int64_t visible = VisibleLines();
    const std::int64_t track = std::int64_t{bounds_.height} - 2 * kTextFieldScrollBarWidth;
    if (count <= visible || track <= 0) return;
    const std::int64_t thumb = std::max<std::int64_t>(kMinThumbHeight, track * visible / count);
    if (track <= thumb) return;
    const std::int64_t thumb_top = std::int64_t{ly} - thumb_grab_ - kTextFieldScrollBarWidth;
    const std::int64_t top = Clamp64(thumb_top * (count - visible) / (track - thumb), 0, count - visible);
    ScrollLines(top - static_cast<std::int64_t>(top_line_));
    return;
  }
  if (!selecting_) return;
  text_.MoveCaret(PositionAt(lx, ly), true);
  CaretMoved();
}

void TextField::Release() {
  selecting_ = false;
  thumb_drag_ = false;
}

void TextField::ScrollBarPress(int y) {
  const int height = bounds_.height;
  if (y < kTextFieldScrollBarWidth) {
    ScrollLines(-1);
    return;
  }
  if (y >= height - kTextFieldScrollBarWidth) {
    ScrollLines(1);
    return;
  }
  const auto count = static_cast<std::int64_t>(ShownLayout().lines().size());
  const std::int64_t visible = VisibleLines();
  const std::int64_t track = std::int64_t{height} - 2 * kTextFieldScrollBarWidth;
  if (count <= visible || track <= 0) return;
  const std::int64_t thumb = std::max<std::int64_t>(kMinThumbHeight, track * visible / count);
  const std::int64_t thumb_top = kTextFieldScrollBarWidth +
                                 (track - thumb) * static_cast<std::int64_t>(top_line_) / (count - visible);
  if (y < thumb_top) {
    ScrollLines(-visible);
  } else if (y >= thumb_top + thumb) {
    ScrollLines(visible);
  } else {
    thumb_drag_ = true;
    thumb_grab_ = static_cast<int>(y - thumb_top);
  }
}

// ---- host ----

TextFieldHost::TextFieldHost() : state_(std::make_shared<TextFieldHostState>()) {}

TextFieldHost::TextFieldHost(Panel& panel, Clock* clock, IClipboard* clipboard, Cursors* cursors)
    : TextFieldHost() {
  state_->panel = &panel;
  state_->clock = clock;
  state_->clipboard = clipboard;
  state_->cursors = cursors;
}

TextFieldHost::~TextFieldHost() {
  if (state_->text_input && state_->panel != nullptr) state_->panel->window().StopTextInput();
  if (state_->over_text && state_->cursors != nullptr) state_->cursors->SetPointerOverText(false);
  // Fields that outlive the host keep their state and draw nothing.
  state_->panel = nullptr;
  state_->clock = nullptr;
  state_->clipboard = nullptr;
  state_->cursors = nullptr;
}

std::unique_ptr<TextField> TextFieldHost::CreateField(bool multi_line) {
  return std::unique_ptr<TextField>(new TextField(state_, multi_line));
}

TextField* TextFieldHost::keyboard_holder() const { return state_->holder; }

bool TextFieldHost::has_window() const { return state_->panel != nullptr; }

bool TextFieldHost::HandleEvent(const Event& event) {
  TextFieldHostState& s = *state_;
  if (s.panel == nullptr) return false;
  const Rect panel = s.panel->bounds();
  const int x = static_cast<int>(Clamp64(std::int64_t{event.x} - panel.left, INT32_MIN, INT32_MAX));
  const int y = static_cast<int>(Clamp64(std::int64_t{event.y} - panel.top, INT32_MIN, INT32_MAX));
  switch (event.type) {
    case EventType::kTextInput:
      if (s.holder != nullptr) s.holder->InsertTyped(event.text);
      return true;
    case EventType::kTextEditing:
      if (s.holder != nullptr) s.holder->Compose(event.text, event.text_cursor);
      return true;
    case EventType::kKeyDown: {
      TextField* field = s.holder;
      if (field == nullptr) return false;
      if (event.key >= 0 && event.key < kFirstHostOnlyKey && field->on_key_down) field->on_key_down(event.key);
      // The script's handler cannot run here, but stay safe should the field be gone.
      if (s.holder == field) field->KeyDown(event.key, event.shift);
      return true;
    }
    case EventType::kKeyUp:
      return s.holder != nullptr;
    case EventType::kMouseDown: {
      if (s.pressed != nullptr) return true;
      TextField* field = s.FieldAt(x, y);
      if (field == nullptr) return false;
      s.pressed = field;
      s.pressed_button = event.button;
      s.panel->window().CaptureMouse(true);
      if (event.button == MouseButton::kLeft) field->Press(x, y, event.shift, event.double_click);
      return true;
    }
    case EventType::kMouseMove: {
      if (s.pressed != nullptr) {
        if (s.pressed_button == MouseButton::kLeft) s.pressed->Drag(x, y);
        return true;
      }
      const bool over = s.FieldAt(x, y) != nullptr;
      s.SetOverText(over);
      return over;
    }
    case EventType::kMouseUp: {
      if (s.pressed != nullptr) {
        if (event.button != s.pressed_button) return true;
        s.pressed->Release();
        s.pressed = nullptr;
        s.panel->window().CaptureMouse(false);
        s.SetOverText(s.FieldAt(x, y) != nullptr);
        return true;
      }
      return s.FieldAt(x, y) != nullptr;
    }
    case EventType::kMouseWheel: {
      TextField* field = s.FieldAt(x, y);
      if (field == nullptr) return false;
      field->ScrollLines(-std::int64_t{kWheelLines} * event.wheel);
      return true;
    }
    case EventType::kMouseLeave:
      s.SetOverText(false);
      return false;
    default:
      return false;
  }
}

}  // namespace vorn::platform
