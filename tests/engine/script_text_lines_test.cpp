// The one line splitter behind text files, table files, list texts and menu texts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/script_text.h"

namespace vorn {
namespace {

struct LinesCase {
  std::string text;
  std::vector<std::string> lines;
};

TEST(ScriptTextLines, EveryBreakKindEndsOneLine) {
  const std::vector<LinesCase> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\n", {"a"}},                       // a break at the very end opens no further line
      {"a\r\n", {"a"}},
      {"a\n\nb", {"a", "", "b"}},           // an empty line between two breaks counts
      {"a\r\rb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},           // LF then CR are two breaks, not one
      {"\r\n", {""}},
      {"\n\n", {"", ""}},
      {std::string("\x82\xa0\n\x82\xa2", 5), {"\x82\xa0", "\x82\xa2"}},
  };
  for (const LinesCase& c : cases) EXPECT_EQ(script_text::SplitLines(c.text), c.lines) << c.text;
}

}  // namespace
}  // namespace vorn
