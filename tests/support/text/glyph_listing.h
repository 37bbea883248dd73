#pragma once

#include <string>
#include <string_view>

#include "text/zk_word.h"

namespace vorn::test {

// A text document's glyphs as text, one line each, for tables of expected results:
//   C 'a' <colour,border colour,shadow colour,size,flags,'face',no-break,'ruby',border,shadow> w30 ''
// (kind letter or name, code or text, the ten style values, wait, link). Bytes outside
// printable ASCII are written \xHH.
std::string ListGlyph(const TWdGlyph& glyph);
std::string ListGlyphs(const TZkWord& document);
// A page list: "page N h H" then per row "  row T h H: x x x" (top, height, x of each child).
std::string ListPages(const TWdPageList& pages);
// The row texts of a page list, rows joined by " / " and pages by " | ", each child written as
// its text ("_" for a non-character), for compact line-breaking tables.
std::string RowTexts(const TWdPageList& pages);
// Printable form of CP932 bytes.
std::string Printable(std::string_view bytes);

}  // namespace vorn::test
