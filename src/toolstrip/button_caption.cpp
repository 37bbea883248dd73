#include "toolstrip/button_caption.h"

#include <algorithm>

#include "toolstrip/toolbar_button97.h"

namespace vorn {
namespace {

// Lines of the text at its breaks, then, with wrapping, words gathered up to the width.
std::vector<std::string> BreakLines(std::string_view text, bool word_wrap, int width,
                                    const std::function<int(std::string_view)>& text_width) {
  std::vector<std::string> paragraphs;
  std::string current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      paragraphs.push_back(current);
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    current.push_back(c);
  }
  paragraphs.push_back(current);
  if (!word_wrap) {
    // A single line: the breaks are shown as nothing.
    std::string joined;
    for (const std::string& p : paragraphs) joined += p;
    return {joined};
  }
  std::vector<std::string> lines;
  for (const std::string& paragraph : paragraphs) {
    std::string line;
    std::size_t start = 0;
    while (start <= paragraph.size()) {
      std::size_t end = paragraph.find(' ', start);
      if (end == std::string::npos) end = paragraph.size();
      const std::string word = paragraph.substr(start, end - start);
      const std::string candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && text_width(candidate) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
      start = end + 1;
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

std::string CaptionDisplayText(std::string_view caption) {
  std::string shown;
  shown.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        shown.push_back('&');
        ++i;
      }
      continue;
    }
    shown.push_back(caption[i]);
  }
  return shown;
}

char CaptionAccelerator(std::string_view caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return caption[i + 1];
  }
  return 0;
}

std::vector<TCaptionLine> LayoutCaption(std::string_view text, int width, int height, const TCaptionPlacement& placement,
                                        const std::function<int(std::string_view)>& text_width, int line_height) {
  const std::vector<std::string> lines = BreakLines(text, placement.word_wrap, width, text_width);
  std::vector<int> widths;
  int block_width = 0;
  for (const std::string& line : lines) {
    widths.push_back(text_width(line));
    block_width = std::max(block_width, widths.back());
  }
  const int block_height = line_height * static_cast<int>(lines.size());

  // Without a glyph the spacing counts as 0, so the free room never splits three ways.
  int left = (width - block_width + 1) / 2;
  int top = (height + 1 - block_height) / 2;
  if (placement.margin >= 0) {
    switch (placement.layout) {
      case TButtonLayout::blGlyphLeft:
        left = placement.margin;
        break;
      case TButtonLayout::blGlyphRight:
        left = width - placement.margin - block_width;
        break;
      case TButtonLayout::blGlyphTop:
        top = placement.margin;
        break;
      case TButtonLayout::blGlyphBottom:
        top = height - placement.margin - block_height;
        break;
    }
  }

  std::vector<TCaptionLine> placed;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    int x = left;
    if (placement.alignment == TAlignment::taRightJustify) x = left + block_width - widths[i];
    if (placement.alignment == TAlignment::taCenter) x = left + (block_width - widths[i]) / 2;
    placed.push_back(TCaptionLine{lines[i], x, top + static_cast<int>(i) * line_height});
  }
  return placed;
}

}  // namespace vorn
