#include "foundation/hash_collection.h"

#include <gtest/gtest.h>
#include "foundation/sjis.h"
#include <vector>
#include <string>
#include <random>

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
// Many names in few buckets, duplicates, renames and deletions in a random order: every lookup
// agrees with a plain scan for the last linked item of the name (case folded).
TEST(THashCollection, LookupsMatchAPlainScanThroughAddsRenamesAndDeletes) {
  THashCollection c;
  std::mt19937 gen(17);
  std::vector<std::pair<std::string, int>> model;  // name, link order of each item in index order
  int links = 0;
  const auto name = [&gen] {
    // Same length and same first and second-to-last bytes: one bucket for all of them.
    return "pic" + std::to_string(gen() % 3000) + std::string(gen() % 2 ? "x" : "X") + ".bmp";
  };
  const auto expect = [&](const std::string& n) {
    int best = -1, order = -1;
    for (std::size_t i = 0; i < model.size(); ++i)
      if (Cp932SameText(model[i].first, n) && model[i].second > order) {
        order = model[i].second;
        best = static_cast<int>(i);
      }
    return best;
  };
  for (int step = 0; step < 20000; ++step) {
    const int op = static_cast<int>(gen() % 10);
    if (op < 6 || model.empty()) {
      const std::string n = name();
      AddNamedItem(c, n);
      model.emplace_back(n, ++links);
    } else if (op < 8) {
      const int i = static_cast<int>(gen() % model.size());
      c.Delete(i);
      model.erase(model.begin() + i);
    } else {
      const int i = static_cast<int>(gen() % model.size());
      const std::string n = name();
      if (n != model[static_cast<std::size_t>(i)].first) {
        c.Item(i).SetName(n);
        model[static_cast<std::size_t>(i)] = {n, ++links};
      }
    }
    if (step % 7 == 0) {
      const std::string probe = name();
      ASSERT_EQ(c.IndexOf(probe), expect(probe)) << probe << " at step " << step;
    }
  }
  ASSERT_EQ(c.Count(), static_cast<int>(model.size()));
  for (std::size_t i = 0; i < model.size(); i += 13) ASSERT_EQ(c.IndexOf(model[i].first), expect(model[i].first));
  c.Clear();
  EXPECT_EQ(c.IndexOf("pic1x.bmp"), -1);
}

}  // namespace vorn
