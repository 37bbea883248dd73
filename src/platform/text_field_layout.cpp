#include "platform/text_field_layout.h"

#include <algorithm>

#include "platform/text_field_font.h"

namespace vorn::platform {

bool IsLineBreak(char32_t c) { return c == U'\r' || c == U'\n'; }

namespace {

bool IsSpace(char32_t c) { return c == U' ' || c == U'\t' || c == U'\u3000'; }

}  // namespace

void TextFieldLayout::WrapParagraph(const std::u32string& text, std::size_t start, std::size_t end, std::size_t next,
                                    int wrap_width, TextFieldFont& font, std::vector<TextFieldLine>& out) const {
  if (wrap_width <= 0) {
    out.push_back({start, end, next});
    return;
  }
  std::size_t pos = start;
  do {
    std::int64_t x = 0;
    std::size_t i = pos;
    std::size_t word_break = 0;  // after the last space run that fits
    while (i < end) {
      const int advance = font.Advance(text[i]);
      if (x + advance > wrap_width && i > pos && !IsSpace(text[i])) break;
      x += advance;
      ++i;
      if (IsSpace(text[i - 1]) && (i == end || !IsSpace(text[i]))) word_break = i;
    }
    if (i >= end) {
      out.push_back({pos, end, next});
      return;
    }
    const std::size_t line_end = word_break > pos ? word_break : i;
    out.push_back({pos, line_end, line_end});
    pos = line_end;
  } while (pos < end);
}

void TextFieldLayout::WrapRange(const std::u32string& text, std::size_t from, std::size_t to, int wrap_width,
                                TextFieldFont& font, std::vector<TextFieldLine>& out) const {
  std::size_t pos = from;
  while (pos < to) {
    std::size_t end = pos;
    while (end < to && !IsLineBreak(text[end])) ++end;
    std::size_t next = end;
    if (end < to) next = text[end] == U'\r' && end + 1 < text.size() && text[end + 1] == U'\n' ? end + 2 : end + 1;
    WrapParagraph(text, pos, end, next, wrap_width, font, out);
    pos = next;
  }
  // A text that ends with a break (or is empty) has one more, empty line for the caret.
  if (to == text.size() && (text.empty() || IsLineBreak(text.back()))) out.push_back({to, to, to});
}

void TextFieldLayout::Build(const std::u32string& text, int wrap_width, TextFieldFont& font) {
  lines_.clear();
  WrapRange(text, 0, text.size(), wrap_width, font, lines_);
}

std::size_t TextFieldLayout::LineOf(std::size_t position) const {
  const auto it = std::upper_bound(lines_.begin(), lines_.end(), position,
                                   [](std::size_t pos, const TextFieldLine& line) { return pos < line.start; });
  return it == lines_.begin() ? 0 : static_cast<std::size_t>(it - lines_.begin()) - 1;
}

std::size_t TextFieldLayout::ParagraphStart(std::size_t line) const {
  while (line > 0 && !lines_[line - 1].HardBreak()) --line;
  return line;
}

void TextFieldLayout::Update(const std::u32string& text, const TextFieldText::Change& change, int wrap_width,
                             TextFieldFont& font) {
  if (lines_.empty()) {
    Build(text, wrap_width, font);
    return;
  }
  // Old coordinates: the paragraphs from the one before the edit (a break may join the one before)
  // to the one holding the edit's end.
  const std::size_t first = ParagraphStart(LineOf(change.at > 0 ? change.at - 1 : 0));
  std::size_t last = LineOf(change.at + change.removed);
  while (last + 1 < lines_.size() && !lines_[last].HardBreak()) ++last;
  const std::int64_t delta = static_cast<std::int64_t>(change.inserted) - static_cast<std::int64_t>(change.removed);
  const auto old_size = static_cast<std::size_t>(static_cast<std::int64_t>(text.size()) - delta);
  // Reaching the end of the text takes the empty last line along, which the wrap makes again.
  if (lines_[last].next >= old_size) last = lines_.size() - 1;
  const std::size_t new_end =
      last + 1 == lines_.size() ? text.size() : static_cast<std::size_t>(static_cast<std::int64_t>(lines_[last].next) + delta);

  std::vector<TextFieldLine> fresh;
  WrapRange(text, lines_[first].start, new_end, wrap_width, font, fresh);
  for (std::size_t i = last + 1; i < lines_.size(); ++i) {
    lines_[i].start = static_cast<std::size_t>(static_cast<std::int64_t>(lines_[i].start) + delta);
    lines_[i].end = static_cast<std::size_t>(static_cast<std::int64_t>(lines_[i].end) + delta);
    lines_[i].next = static_cast<std::size_t>(static_cast<std::int64_t>(lines_[i].next) + delta);
  }
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(first), lines_.begin() + static_cast<std::ptrdiff_t>(last) + 1);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(first), fresh.begin(), fresh.end());
  if (lines_.empty()) lines_.push_back({});
}

}  // namespace vorn::platform
