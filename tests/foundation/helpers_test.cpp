#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/clip_list.h"
#include "foundation/font_styles.h"
#include "foundation/path_utils.h"
#include "foundation/scale_color.h"
#include "foundation/unescape_string.h"

namespace vorn {
namespace {

TEST(TClipList, MergesNearRectanglesRecursively) {
  struct Case {
    std::vector<TRect> added;
    std::vector<TRect> stored;
  };
  const Case cases[] = {
      {{{0, 0, 10, 10}, {25, 0, 30, 10}}, {{0, 0, 30, 10}}},                    // gap 15: one
      {{{0, 0, 10, 10}, {31, 0, 40, 10}}, {{0, 0, 10, 10}, {31, 0, 40, 10}}},    // gap 21: two
      {{{0, 0, 10, 10}, {30, 0, 40, 10}}, {{0, 0, 40, 10}}},                    // gap 20: near
      {{{0, 0, 10, 10}, {0, 31, 10, 40}}, {{0, 0, 10, 10}, {0, 31, 10, 40}}},    // far below
      {{{0, 0, 10, 10}, {5, 5, 5, 20}}, {{0, 0, 10, 10}}},                      // empty: ignored
      // The union of the third with the first reaches the second, which then joins as well.
      {{{0, 0, 10, 10}, {60, 0, 70, 10}, {25, 0, 45, 10}}, {{0, 0, 70, 10}}},
      {{{0, 0, 100, 100}, {10, 10, 20, 20}}, {{0, 0, 100, 100}}},
  };
  for (const Case& c : cases) {
    TClipList list;
    for (const TRect& r : c.added) list.AddRect(r);
    EXPECT_EQ(list.Rects(), c.stored) << c.added.size();
  }
}

TEST(TClipList, ContainedRectangleLeavesTheChangedFlag) {
  TClipList list;
  list.AddRect({0, 0, 100, 100});
  EXPECT_TRUE(list.Changed());
  list.SetChanged(false);
  list.AddRect({10, 10, 20, 20});
  EXPECT_FALSE(list.Changed());
  list.AddRect({0, 0, 0, 0});
  EXPECT_FALSE(list.Changed());
  list.AddRect({90, 90, 110, 110});
  EXPECT_TRUE(list.Changed());
  EXPECT_EQ(list.GetRect(0), (TRect{0, 0, 110, 110}));
  list.SetChanged(false);
  list.Delete(0);
  EXPECT_TRUE(list.Changed());
  // Near the ends of the int32 range the nearness test must not wrap.
  list.AddRect({0x7FFFFFF0, 0, 0x7FFFFFFF, 10});
  list.AddRect({-0x7FFFFFFF, 0, -0x7FFFFFF0, 10});
  EXPECT_EQ(list.Count(), 2);
}

TEST(PathHelpers, TrailingDelimiter) {
  EXPECT_EQ(IncludeTrailingDelimiter("C:\\x"), "C:\\x\\");
  EXPECT_EQ(IncludeTrailingDelimiter("C:\\x\\"), "C:\\x\\");
  EXPECT_EQ(IncludeTrailingDelimiter("/tmp/"), "/tmp/");
  EXPECT_EQ(IncludeTrailingDelimiter("\x83\x5C"), "\x83\x5C\\");  // ソ ends in a trail byte "\"
  EXPECT_EQ(IncludeTrailingDelimiter("\x95\x5C"), "\x95\x5C\\");  // 表
  EXPECT_EQ(IncludeTrailingDelimiter(""), "\\");
}

TEST(PathHelpers, ParserCutsComponents) {
  struct Case {
    std::string path;
    std::vector<std::string> components;
  };
  const Case cases[] = {
      {"c:\\x\\y.txt", {"C:\\", "X\\", "Y.TXT\\"}},
      {"\\\\srv\\share\\a", {"\\\\SRV\\", "SHARE\\", "A\\"}},
      {"/home/u/", {"/", "HOME/", "U/"}},
      {"a\\\x83\x5C\\b", {"A\\", "\x83\x5C\\", "B\\"}},  // ソ's trail byte does not cut
      {"\x94\x5C\\x", {"\x94\x5C\\", "X\\"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    TPathParser parser;
    parser.Parse(c.path);
    EXPECT_EQ(parser.Components(), c.components) << c.path;
  }
  TPathParser parser;
  parser.Parse("c:\\x\\y");
  EXPECT_EQ(parser.Join(), "C:\\X\\Y\\");
}

TEST(PathHelpers, ExpandRelativePath) {
  struct Case {
    std::string path, base, result;
  };
  const Case cases[] = {
      {"..\\..\\a.txt", "C:\\x\\y\\z\\", "C:\\X\\a.txt"},
      {"a.txt", "C:\\x\\", "C:\\x\\a.txt"},
      {"\\a.txt", "C:\\x\\", "\\a.txt"},
      {"/tmp/a", "C:\\x\\", "/tmp/a"},
      {"d:\\a", "C:\\x\\", "d:\\a"},
      {"a", "C:\\x\\", "a"},
      {"..\\..\\..\\..\\a", "C:\\x\\", "..\\..\\a"},
      {"../b", "/data/sub/", "/DATA/b"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandRelativePath(c.path, c.base), c.result) << c.path;
}

TEST(PathHelpers, SplitPageLabel) {
  struct Case {
    std::string name, rest, label;
  };
  const Case cases[] = {
      {"main.vsb:start", "main.vsb", "start"},
      {"dir.v\\page", "dir.v\\page", ""},
      {"page", "page", ""},
      {":x", ":x", ""},
      {"a:", "a", ""},
      {"a:b:c", "a:b", "c"},
      {"p:x.y", "p:x.y", ""},
      // メ (83 81) before ":": the ":" still splits.
      {"\x83\x81:lbl", "\x83\x81", "lbl"},
      // ン (83 93) before ".": the "." is taken as part of it, so the ":" splits.
      {"p:\x83\x7B\x83\x5E\x83\x93.a", "p", "\x83\x7B\x83\x5E\x83\x93.a"},
      // ソ's trail "\" is no delimiter.
      {"\x83\x5C\\:a", "\x83\x5C\\", "a"},
  };
  for (const Case& c : cases) {
    std::string name = c.name;
    EXPECT_EQ(SplitPageLabel(name), c.label) << c.name;
    EXPECT_EQ(name, c.rest) << c.name;
  }
}

TEST(UnescapeString, ResolvesEscapes) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"a\\nb", "a\r\nb"},        {"\\\"q\\\"", "\"q\""}, {"\\\\n", "\\n"}, {"end\\", "end\\"},
      {"\\x", "\\x"},             {"\x83\x5Cn", "\x83\x5Cn"},  // ソ + n: no escape
      {"\x83\x5C\\n", "\x83\x5C\r\n"}, {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(UnescapeString(c.in), c.out) << c.in;
}

TEST(SmallHelpers, FontStylesAndScaleColor) {
  const TFontStyles styles = TFontStyles().Include(TFontStyle::kBold).Include(TFontStyle::kStrikeOut);
  EXPECT_EQ(FontStylesToInt(styles), 9);
  EXPECT_EQ(IntToFontStyles(9), styles);
  EXPECT_TRUE(IntToFontStyles(2).Has(TFontStyle::kItalic));
  EXPECT_TRUE(IntToFontStyles(4).Has(TFontStyle::kUnderline));
  EXPECT_EQ(FontStylesToInt(IntToFontStyles(0xFF)), 15);

  EXPECT_EQ(ScaleColor(0xFF804020, 128), 0x00402010u);
  EXPECT_EQ(ScaleColor(0x00FFFFFF, 256), 0x00FFFFFFu);
  EXPECT_EQ(ScaleColor(0x00030303, 100), 0x00010101u);  // 3*100/256 = 1.17, truncated
  EXPECT_EQ(ScaleColor(0x00FFFFFF, 0), 0u);
  EXPECT_EQ(ScaleColor(0x00808080, 512), 0x00FFFFFFu);
}

}  // namespace
}  // namespace vorn
