#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.h"

namespace vorn {

enum class TButtonLayout;
enum class TAlignment;

// The caption as drawn: "&" marks the accelerator and is not shown; "&&" shows one "&".
std::string CaptionDisplayText(std::string_view caption);
// The character after a single "&", or 0 when the caption has none.
char CaptionAccelerator(std::string_view caption);

struct TCaptionLine {
  std::string text;
  int x = 0;  // left edge, in the content rectangle
  int y = 0;
};

struct TCaptionPlacement {
  int margin = -1;
  int spacing = 4;
  TButtonLayout layout;
  TAlignment alignment;
  bool word_wrap = false;
};

// Places the caption in a content area of the given size, with no glyph: centred when margin is
// -1, else that far from the edge the layout names. Word wrap breaks at spaces and line breaks
// to the area's width (a wider word stays whole); each line is aligned within the block.
std::vector<TCaptionLine> LayoutCaption(std::string_view text, int width, int height, const TCaptionPlacement& placement,
                                        const std::function<int(std::string_view)>& text_width, int line_height);

}  // namespace vorn
