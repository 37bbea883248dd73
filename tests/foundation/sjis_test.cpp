#include "foundation/sjis.h"

#include <gtest/gtest.h>

#include <string>

namespace vorn {
namespace {

// Characters whose trail byte looks like an ASCII sign.
const std::string kSo = "\x83\x5C";     // ソ, trail "\"
const std::string kHyo = "\x95\x5C";    // 表, trail "\"
const std::string kNou = "\x94\x5C";    // 能, trail "\"
const std::string kA = "\x83\x41";      // ア, trail "A"
const std::string kMe = "\x83\x81";     // メ, trail in the lead range
const std::string kKanji = "\x8A\xBF";  // 漢
const std::string kZenSpace = "\x81\x40";

TEST(Sjis, TrailByteTestAgreesWithAForwardScan) {
  struct Case {
    std::string text;
    int index;
    bool trail;
  };
  const Case cases[] = {
      {kSo + "\\", 2, true},   {kSo + "\\", 3, false},  {kHyo, 2, true},       {kNou + "x", 2, true},
      {kA, 2, true},           {"a" + kA, 2, false},    {"a" + kA, 3, true},   {kMe + kMe, 2, true},
      {kMe + kMe, 3, false},   {kMe + kMe, 4, true},    {kMe + ":", 3, false}, {"\\", 1, false},
      {kKanji + kSo, 4, true},
  };
  for (const Case& c : cases) EXPECT_EQ(JIsTrailByte(c.text, c.index), c.trail) << c.index;
  EXPECT_THROW(JIsTrailByte("abc", 0), EStringIndexError);
  EXPECT_THROW(JIsTrailByte("abc", 4), EStringIndexError);
  try {
    JIsTrailByte("", 1);
  } catch (const EStringIndexError& e) {
    EXPECT_STREQ(e.what(), "Illegal Index");
  }
}

TEST(Sjis, CharacterCounting) {
  EXPECT_EQ(JLength(kKanji + kSo + kHyo), 3);
  EXPECT_EQ(JLength(""), 0);
  EXPECT_EQ(JLength("a\x83"), 2);  // a lead byte at the end counts as a character
  EXPECT_EQ(JCharToByteIndex("a" + kSo + "b", 3), 4);
  EXPECT_EQ(JCharToByteIndex("ab", 9), 3);
  EXPECT_EQ(JCharCodeAt("a" + kSo, 2), 0x835C);
  EXPECT_EQ(JCharCodeAt("a" + kSo, 1), 'a');
  EXPECT_EQ(JCharCodeAt("a", 2), 0);
}

TEST(Sjis, PosTestsOnlyCharacterStarts) {
  EXPECT_EQ(JPos("\\", kSo + "\\"), 2);
  EXPECT_EQ(JPos("A", kA + "A"), 2);
  EXPECT_EQ(JPos("b", "a" + kKanji + "b"), 3);
  EXPECT_EQ(JPos("x", "abc"), 0);
  EXPECT_EQ(JPos("", "abc"), 0);
  EXPECT_EQ(JPos(kKanji, "ab" + kKanji), 3);
}

TEST(Sjis, CopyInsertDeleteWorkOnWholeCharactersAndClamp) {
  const std::string mixed = "a" + kKanji + "b" + kSo + "c";
  EXPECT_EQ(JCopy(mixed, 2, 2), kKanji + "b");
  EXPECT_EQ(JCopy(mixed, 0, 2), "a" + kKanji);
  EXPECT_EQ(JCopy(mixed, -5, 1), "a");
  EXPECT_EQ(JCopy(mixed, 4, 1000000), kSo + "c");
  EXPECT_EQ(JCopy(mixed, 4, 0x7FFFFFFF), kSo + "c");
  EXPECT_EQ(JCopy(mixed, 9, 1), "");
  EXPECT_EQ(JCopy(mixed, 2, -1), "");

  struct DeleteCase {
    int index, count;
    std::string result;
  };
  const DeleteCase deletes[] = {
      {2, 1, "ab" + kSo + "c"}, {0, 1, kKanji + "b" + kSo + "c"}, {4, 100, "a" + kKanji + "b"},
      {6, 1, mixed},            {3, -4, mixed},                    {1, 0x7FFFFFFF, ""},
  };
  for (const DeleteCase& d : deletes) {
    std::string s = mixed;
    JDelete(s, d.index, d.count);
    EXPECT_EQ(s, d.result) << d.index << "," << d.count;
  }

  std::string s = kKanji + "b";
  JInsert("x", s, 2);
  EXPECT_EQ(s, kKanji + "xb");
  JInsert("<", s, -3);
  EXPECT_EQ(s, "<" + kKanji + "xb");
  JInsert(">", s, 100);
  EXPECT_EQ(s, "<" + kKanji + "xb>");
}

TEST(Sjis, FetchTokenSkipsTrailBytes) {
  std::string s = kSo + "a\\b\\c";
  EXPECT_EQ(JFetchToken(s, "\\"), kSo + "a");
  EXPECT_EQ(s, "b\\c");
  std::string head;
  JFetchToken(s, ",\\", head);
  EXPECT_EQ(head, "b");
  EXPECT_EQ(JFetchToken(s, "\\"), "c");
  EXPECT_EQ(s, "");
  EXPECT_EQ(JFetchToken(s, "\\"), "");
  s = "a,b";
  EXPECT_EQ(JFetchToken(s, ""), "a,b");
  EXPECT_EQ(s, "");
  s = kA + "A";
  EXPECT_EQ(JFetchToken(s, "A"), kA);
  EXPECT_EQ(s, "");
}

TEST(Sjis, TrimRemovesAsciiAndFullWidthSpaces) {
  EXPECT_EQ(JTrim("  " + kZenSpace + " a b" + kZenSpace + " "), "a b");
  EXPECT_EQ(JTrim(kZenSpace + " " + kZenSpace), "");
  EXPECT_EQ(JTrimLeft(" a "), "a ");
  EXPECT_EQ(JTrimRight(" a "), " a");
  // メ@ ends in 81 40, but that 81 is a trail byte: no full-width space there.
  EXPECT_EQ(JTrimRight(kMe.substr(0, 1) + kZenSpace), kMe.substr(0, 1) + kZenSpace);
  EXPECT_EQ(JTrimRight("\x83\x81\x40"), "\x83\x81\x40");
  EXPECT_EQ(JTrimRight("\x81\x81\x40"), "\x81\x81\x40");
  EXPECT_EQ(JTrimRight("x\x81\x40"), "x");
}

TEST(Sjis, HanToZenAndBack) {
  struct Case {
    std::string han, zen;
  };
  const Case cases[] = {
      {"\xB6\xDE", "\x83\x4B"},                   // ｶﾞ -> ガ
      {"\xCA\xDF", "\x83\x70"},                   // ﾊﾟ -> パ
      {"\xCA\xDE", "\x83\x6F"},                   // ﾊﾞ -> バ
      {"\xB3\xDE", "\x83\x45\x81\x4A"},           // ｳﾞ stays two characters
      {"\xDE\xDF", "\x81\x4A\x81\x4B"},           // the marks alone
      {"~", "\x81\x60"},  {"\"", "\x81\x68"}, {"'", "\x81\x66"}, {"\\", "\x81\x8F"}, {"`", "\x81\x65"},
      {" ", "\x81\x40"},  {"A1", "\x82\x60\x82\x50"}, {"\xB1", "\x83\x41"},  // ｱ -> ア
      {"\xA1\xA2", "\x81\x42\x81\x75"},                                       // ｡｢
  };
  for (const Case& c : cases) EXPECT_EQ(HanToZen(c.han), c.zen) << c.han;
  EXPECT_EQ(HanToZen("\t\r\n\x7F\x80\xA0"), "");
  EXPECT_EQ(HanToZen(kKanji), kKanji);

  EXPECT_EQ(ZenToHan("\x83\x4B"), "\xB6\xDE");
  EXPECT_EQ(ZenToHan("\x83\x70"), "\xCA\xDF");
  EXPECT_EQ(ZenToHan(kKanji + "a"), "a");
  EXPECT_EQ(ZenToHan("\x83\x94"), "");  // ヴ has no half-width form of its own
  EXPECT_EQ(ZenToHan("\x81\x67\x81\x68"), "\"\"");
  std::string ascii;
  for (int c = 0x20; c < 0x7F; ++c) ascii.push_back(static_cast<char>(c));
  EXPECT_EQ(ZenToHan(HanToZen(ascii)), ascii);
}

TEST(Sjis, CaseFoldUsesCp932CharactersNotBytes) {
  EXPECT_EQ(Cp932LowerCase("ABC" + kA), "abc" + kA);  // ア (83 41) must not become ヂ (83 61)
  EXPECT_EQ(Cp932UpperCase("abc" + kSo), "ABC" + kSo);
  EXPECT_EQ(Cp932LowerCase("\x82\x60"), "\x82\x81");  // Ａ -> ａ
  EXPECT_EQ(Cp932UpperCase("\x82\x81"), "\x82\x60");
  EXPECT_EQ(Cp932LowerCase("\x83\x9F"), "\x83\xBF");  // Α -> α
  EXPECT_EQ(Cp932LowerCase("\x84\x40"), "\x84\x70");  // А -> а
  EXPECT_EQ(Cp932LowerCase("\x84\x4F"), "\x84\x80");  // О -> о, across the 84 7F gap
  // Ⅰ by its NEC and its IBM code fold alike.
  EXPECT_EQ(Cp932LowerCase("\x87\x54"), Cp932LowerCase("\xFA\x4A"));
  EXPECT_EQ(Cp932UpperCase(Cp932LowerCase("\x87\x54")), "\x87\x54");
  EXPECT_EQ(Cp932LowerCase("\xB1"), "\xB1");
  EXPECT_TRUE(Cp932SameText("Flag" + kKanji, "fLAG" + kKanji));
  EXPECT_FALSE(Cp932SameText(kA, "\x83\x61"));
  EXPECT_LT(Cp932CompareText("abc", "ABD"), 0);
  EXPECT_GT(Cp932CompareText("abcd", "ABC"), 0);
  EXPECT_EQ(Cp932CompareText("", ""), 0);
}

}  // namespace
}  // namespace vorn
