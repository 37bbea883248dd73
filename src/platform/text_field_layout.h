#pragma once

// The lines of a field's text: paragraphs split at CR LF, a lone CR or a lone LF, each wrapped at
// the text width (words first, between characters when one word is longer than a line). An edit
// of the text re-wraps only the paragraphs it touched; the other lines move by the length change.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/text_field_text.h"

namespace vorn::platform {

class TextFieldFont;

struct TextFieldLine {
  std::size_t start = 0;
  std::size_t end = 0;   // the line's characters end here (line-break characters excluded)
  std::size_t next = 0;  // the next line starts here; after end when a break ends the line
  bool HardBreak() const { return next > end; }
};

class TextFieldLayout {
 public:
  // wrap_width <= 0: paragraphs are not wrapped.
  void Build(const std::u32string& text, int wrap_width, TextFieldFont& font);
  void Update(const std::u32string& text, const TextFieldText::Change& change, int wrap_width, TextFieldFont& font);

  const std::vector<TextFieldLine>& lines() const { return lines_; }
  // The line the position belongs to (at a wrap, the line it starts).
  std::size_t LineOf(std::size_t position) const;

 private:
  void WrapRange(const std::u32string& text, std::size_t from, std::size_t to, int wrap_width, TextFieldFont& font,
                 std::vector<TextFieldLine>& out) const;
  void WrapParagraph(const std::u32string& text, std::size_t start, std::size_t end, std::size_t next,
                     int wrap_width, TextFieldFont& font, std::vector<TextFieldLine>& out) const;
  // The first line of the paragraph that holds the line.
  std::size_t ParagraphStart(std::size_t line) const;

  std::vector<TextFieldLine> lines_{TextFieldLine{}};
};

bool IsLineBreak(char32_t c);

}  // namespace vorn::platform
