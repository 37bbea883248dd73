#include "foundation/hash_collection.h"

#include <gtest/gtest.h>

#include "foundation/list_error.h"

namespace vorn {
namespace {

TEST(HashName, FollowsTheFormulaOverFoldedBytes) {
  EXPECT_EQ(HashName(""), 0);
  EXPECT_EQ(HashName("Z"), 16);
  EXPECT_EQ(HashName("ab"), (2 * 16 + 'a' + 'a') % 256);
  EXPECT_EQ(HashName("ABC"), HashName("abc"));
  EXPECT_EQ(HashName("ABC"), (3 * 16 + 'a' + 'b') % 256);
  EXPECT_EQ(HashName("axbc"), HashName("aybc"));
  // Ａｂ: first byte of the folded Ａ (82) plus the folded Ａ's trail byte (81)?  No: the
  // second-to-last byte of "\x82\x60\x82\x82" is the lead 82 of ｂ.
  EXPECT_EQ(HashName("\x82\x60\x82\x82"), (4 * 16 + 0x82 + 0x82) % 256);
  // The second-to-last byte is a trail byte of a folded character: Ａ (82 60) folds to ａ (82 81).
  EXPECT_EQ(HashName("\x82\x60x"), (3 * 16 + 0x82 + 0x81) % 256);
  EXPECT_EQ(HashName("\x82\x60x"), HashName("\x82\x81X"));
}

TEST(THashCollection, LookupIgnoresCaseAndFindsTheLastLinked) {
  THashCollection c;
  AddNamedItem(c, "axbc");
  AddNamedItem(c, "aybc");
  AddNamedItem(c, "ABC");
  EXPECT_EQ(c.IndexOf("axbc"), 0);
  EXPECT_EQ(c.IndexOf("AYBC"), 1);
  EXPECT_EQ(c.IndexOf("abc"), 2);
  EXPECT_EQ(c.IndexOf("azbc"), -1);
  AddNamedItem(c, "abc");
  EXPECT_EQ(c.IndexOf("Abc"), 3);
  EXPECT_EQ(c.Item(3).Bucket(), HashName("abc"));
}

TEST(THashCollection, DeletingKeepsCachedIndexesRight) {
  THashCollection c;
  for (const char* name : {"n0", "n1", "n2", "n3", "n4"}) AddNamedItem(c, name);
  c.Delete(2);
  EXPECT_EQ(c.Count(), 4);
  EXPECT_EQ(c.IndexOf("n2"), -1);
  EXPECT_EQ(c.IndexOf("n3"), 2);
  EXPECT_EQ(c.IndexOf("n4"), 3);
  EXPECT_EQ(c.Item(3).Index(), 3);
  c.Item(0).SetIndex(3);
  EXPECT_EQ(c.IndexOf("n0"), 3);
  EXPECT_EQ(c.IndexOf("n1"), 0);
  EXPECT_EQ(c.IndexOf("n4"), 2);
  c.Clear();
  EXPECT_EQ(c.IndexOf("n1"), -1);
  EXPECT_THROW(c.Item(0), EListError);
}

TEST(THashCollection, SetNameRelinksOnlyOnACaseSensitiveChange) {
  THashCollection c;
  THashCollectionItem& a = AddNamedItem(c, "same");
  AddNamedItem(c, "SAME");
  EXPECT_EQ(c.IndexOf("same"), 1);
  a.SetName("same");  // identical: stays where it is in its chain
  EXPECT_EQ(c.IndexOf("same"), 1);
  a.SetName("Same");  // case change: linked again, now at the head
  EXPECT_EQ(c.IndexOf("same"), 0);
  a.SetName("other");
  EXPECT_EQ(c.IndexOf("same"), 1);
  EXPECT_EQ(c.IndexOf("OTHER"), 0);
  THashCollectionItem& b = c.Add();
  EXPECT_EQ(b.DisplayName(), "THashCollectionItem");
  b.Assign(a);
  EXPECT_EQ(b.Name(), "other");
  EXPECT_EQ(c.IndexOf("other"), 2);
}

struct Variable : THashCollectionItem {
  explicit Variable(int v) : value(v) {}
  int value;
};

class VariableSet : public THashCollection {
 protected:
  std::unique_ptr<THashCollectionItem> CreateItem() override { return std::make_unique<Variable>(-1); }
};

TEST(THashCollection, DerivedItemKinds) {
  VariableSet set;
  set.Emplace<Variable>(7).SetName("seven");
  auto& made = static_cast<Variable&>(AddNamedItem(set, "made"));
  EXPECT_EQ(made.value, -1);
  EXPECT_EQ(set.ItemAs<Variable>(set.IndexOf("SEVEN")).value, 7);
}

}  // namespace
}  // namespace vorn
