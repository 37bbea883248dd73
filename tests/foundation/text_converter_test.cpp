#include "platform/text_converter.h"

#include <gtest/gtest.h>

#include "foundation/system_texts.h"

namespace vorn::platform {
namespace {

TEST(TextConverter, EverySystemTextMatchesTheTable) {
  for (int i = 0; i < texts::kSystemTextCount; ++i) {
    const texts::SystemTextEntry& entry = texts::kAllSystemTexts[i];
    EXPECT_EQ(Utf8ToCp932(entry.utf8), entry.cp932) << entry.name;
    EXPECT_EQ(Cp932ToUtf8(entry.cp932), entry.utf8) << entry.name;
  }
}

TEST(TextConverter, IsCp932NotPlainShiftJis) {
  // Python: "表～\\".encode("cp932") == b"\x95\x5c\x81\x60\x5c"
  EXPECT_EQ(Utf8ToCp932("\xE8\xA1\xA8\xEF\xBD\x9E\\"), "\x95\x5C\x81\x60\x5C");
  EXPECT_EQ(Cp932ToUtf8("\x5C\x7E"), "\\~");
}

TEST(TextConverter, UnconvertibleBytesAreReplacedNotDropped) {
  EXPECT_EQ(Cp932ToUtf8("a\x81"), "a\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToCp932("a\xF0\x9F\x98\x80" "b"), "a?b");
  EXPECT_EQ(Utf8ToCp932("\xFF"), "?");
}

}  // namespace
}  // namespace vorn::platform
