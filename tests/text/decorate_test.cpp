#include "text/decorate.h"

#include <gtest/gtest.h>

#include <vector>

#include "text/wd_char.h"
#include "text/wd_operators.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

std::vector<int> Counts(const TDecorateList& list) {
  std::vector<int> counts;
  for (const TDecorate& record : list) counts.push_back(record.count);
  return counts;
}

TDecorateValues Red() {
  TDecorateValues v;
  v.color = 0xFF;
  return v;
}

// The life of two characters' records, step by step: sharing, a split on recolouring, and the
// merge back without an orphan.
TEST(TDecorateList, TwoCharactersShareSplitAndMergeBack) {
  TZkWord doc;
  auto a = std::make_unique<TWdChar>(&doc);
  auto b = std::make_unique<TWdChar>(&doc);
  EXPECT_EQ(a->DecorationRecord(), b->DecorationRecord());
  EXPECT_EQ(Counts(doc.Decorations), (std::vector<int>{2}));

  a->SetColor(0xFF);
  EXPECT_NE(a->DecorationRecord(), b->DecorationRecord());
  EXPECT_EQ(Counts(doc.Decorations), (std::vector<int>{1, 1}));

  a->SetColor(-1);
  EXPECT_EQ(a->DecorationRecord(), b->DecorationRecord());
  EXPECT_EQ(Counts(doc.Decorations), (std::vector<int>{2}));

  b.reset();
  a.reset();
  EXPECT_EQ(doc.Decorations.Count(), 0);
}

TEST(TDecorateList, ChangeOfAnUnsharedRecordHappensInPlace) {
  TDecorateList list;
  TDecorate* holder = list.Acquire(TDecorateValues{});
  TDecorate* before = holder;
  list.Change(holder, Red());
  EXPECT_EQ(holder, before);
  EXPECT_EQ(holder->values, Red());
  // The index follows the new values: acquiring them finds the changed record.
  EXPECT_EQ(list.Acquire(Red()), holder);
  EXPECT_EQ(list.Acquire(TDecorateValues{})->count, 1);
  EXPECT_EQ(list.Count(), 2);
}

TEST(TDecorateList, StringsCompareByteExactly) {
  TDecorateList list;
  TDecorateValues lower;
  lower.face = "abc";
  TDecorateValues upper;
  upper.face = "ABC";
  TDecorateValues ruby;
  ruby.ruby = "abc";
  TDecorate* a = list.Acquire(lower);
  EXPECT_NE(list.Acquire(upper), a);
  EXPECT_NE(list.Acquire(ruby), a);
  EXPECT_EQ(list.Acquire(lower), a);
  EXPECT_EQ(a->count, 2);
}

// Stored tables may hold equal records; the first one answers, and once it is gone the next.
TEST(TDecorateList, AppendedDuplicatesAnswerInListOrder) {
  TDecorateList list;
  TDecorate* first = list.Append(Red(), 1);
  TDecorate* second = list.Append(Red(), 1);
  EXPECT_EQ(list.Acquire(Red()), first);
  list.Release(first);
  list.Release(first);
  EXPECT_EQ(list.Acquire(Red()), second);
  EXPECT_EQ(second->count, 2);
  EXPECT_EQ(list.Count(), 1);
}

TEST(TDecorateList, NewCharacterAndVariableStartOnTheNeutralRecord) {
  TZkWord doc;
  TWdChar ch(&doc);
  TWdOpeVar var(&doc);
  TDecorateValues neutral;
  EXPECT_EQ(neutral.color, -1);
  EXPECT_EQ(neutral.border_color, -1);
  EXPECT_EQ(neutral.shadow_color, -1);
  EXPECT_EQ(neutral.size, 0);
  EXPECT_EQ(neutral.border, 0);
  EXPECT_EQ(neutral.shadow, 0);
  EXPECT_EQ(ch.Decoration(), neutral);
  EXPECT_EQ(var.Decoration(), neutral);
  EXPECT_EQ(Counts(doc.Decorations), (std::vector<int>{2}));
}

TEST(TDecorateList, EachSetterMovesOnlyItsValue) {
  TZkWord doc;
  TWdChar ch(&doc);
  ch.SetFontName("face");
  ch.SetFontSize(20);
  ch.SetStyle(kStyleBold | kStyleItalic);
  ch.SetColor(1);
  ch.SetBorderColor(2);
  ch.SetShadowColor(3);
  ch.SetNoBreak(true);
  ch.SetRuby("r");
  ch.SetBorder(4);
  ch.SetShadow(5);
  TDecorateValues expected{1, 2, 3, 20, kStyleBold | kStyleItalic, "face", 1, "r", 4, 5};
  EXPECT_EQ(ch.Decoration(), expected);
  EXPECT_EQ(Counts(doc.Decorations), (std::vector<int>{1}));

  // A variable operator keeps its style the same way and joins the character's record.
  TWdOpeVar var(&doc);
  var.SetDecoration(expected);
  var.SetColor(9);
  EXPECT_EQ(Counts(doc.Decorations), (std::vector<int>{1, 1}));
  var.SetColor(1);
  EXPECT_EQ(Counts(doc.Decorations), (std::vector<int>{2}));
}

}  // namespace
}  // namespace vorn
