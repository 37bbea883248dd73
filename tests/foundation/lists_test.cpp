#include <gtest/gtest.h>

#include <vector>

#include "foundation/array_string.h"
#include "foundation/errors.h"
#include "foundation/folder_disk_list.h"
#include "foundation/int_list.h"
#include "foundation/list_error.h"
#include "foundation/obj_list.h"
#include "foundation/tab_strings.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Counted {
  explicit Counted(int* alive) : alive(alive) { ++*alive; }
  ~Counted() { --*alive; }
  int* alive;
};

TEST(TObjList, OwnsItsObjects) {
  int alive = 0;
  {
    TObjList<Counted> list;
    for (int i = 0; i < 4; ++i) list.Add(std::make_unique<Counted>(&alive));
    EXPECT_EQ(alive, 4);
    list.Delete(1);
    EXPECT_EQ(alive, 3);
    auto taken = list.Extract(0);
    EXPECT_EQ(alive, 3);
    EXPECT_EQ(list.Count(), 2);
    list.Clear();
    EXPECT_EQ(alive, 1);
    list.Add(std::make_unique<Counted>(&alive));
    EXPECT_THROW(list.Delete(1), EListError);
  }
  EXPECT_EQ(alive, 0);
}

TEST(TIntList, SetItemGrowsWithZeros) {
  TIntList list;
  list.SetItem(5, 42);
  EXPECT_EQ(list.Count(), 6);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(list.GetItem(i), 0);
  EXPECT_EQ(list.GetItem(5), 42);
  EXPECT_THROW(list.GetItem(6), EListError);
  EXPECT_THROW(list.SetItem(-1, 0), EListError);
  TIntArray array;
  array.Add(3);
  EXPECT_EQ(array.GetCount(), 1);
  EXPECT_EQ(array.GetItem(0), 3);
}

TEST(TTabStrings, SplitsAtSeparatorsOutsideCharacters) {
  struct Case {
    std::string line;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {"a\t\tb", {"a", "", "b"}},
      {"a\t", {"a"}},
      {"\t", {""}},
      {"", {}},
      {"\t\tx", {"", "", "x"}},
      {"x\x83", {"x\x83"}},  // a lead byte at the end
  };
  for (const Case& c : cases) {
    TTabStrings tabs;
    tabs.SetLine(c.line);
    EXPECT_EQ(tabs.Fields(), c.fields) << c.line;
  }
  // A separator equal to a trail byte (here "\", as in ソ 83 5C) stays inside its field; a tab
  // trail byte cannot occur in CP932, so a separator "A" after ア (83 41) shows the same rule.
  TTabStrings tabs;
  tabs.SetSeparator('\\');
  tabs.SetLine("\x83\x5C\\b");
  EXPECT_EQ(tabs.Fields(), (std::vector<std::string>{"\x83\x5C", "b"}));
  tabs.SetSeparator('A');
  tabs.SetLine("\x83\x41" "A" "c");
  EXPECT_EQ(tabs.Fields(), (std::vector<std::string>{"\x83\x41", "c"}));
  tabs.SetSeparator('\t');
  tabs.SetLine("\x81\x09x\ty");  // a lead byte followed by a tab byte keeps the tab
  EXPECT_EQ(tabs.Fields(), (std::vector<std::string>{"\x81\x09x", "y"}));
  tabs.SetLine("a\tb\tc");
  EXPECT_EQ(tabs.GetField(5), "");
  std::string text;
  tabs.GetField(1, text);
  EXPECT_EQ(text, "b");
}

TEST(TArrayString, StreamLayoutAndBadInput) {
  TArrayString array;
  array.Add("ab");
  array.Add("");
  TMemoryStream stream;
  array.SaveToStream(stream);
  EXPECT_EQ(stream.Bytes(), (Bytes{2, 0, 0, 0, 2, 0, 0, 0, 'a', 'b', 0, 0, 0, 0}));
  stream.SetPosition(0);
  TArrayString loaded;
  loaded.Add("old");
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded, array);
  TArrayString copy;
  copy.Assign(array);
  EXPECT_EQ(copy, array);

  TMemoryStream huge(Bytes{0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0});
  EXPECT_THROW(loaded.LoadFromStream(huge), EReadError);
  TMemoryStream cut(Bytes{2, 0, 0, 0, 1, 0, 0, 0, 'x', 5, 0, 0, 0, 'y'});
  EXPECT_THROW(loaded.LoadFromStream(cut), EReadError);
  cut.SetPosition(0);
  EXPECT_FALSE(loaded.TryLoadFromStream(cut));
  ASSERT_EQ(loaded.Count(), 1);
  EXPECT_EQ(loaded[0], "x");
}

TEST(TFolderDiskList, GetDiskWalksUpTheFolders) {
  TFolderDiskList list;
  list.AddDisk("DATA\\BGM", 2);
  list.AddDisk("movie\\", 3);
  EXPECT_EQ(list.GetDisk("data\\bgm\\op.ogg"), 2);
  EXPECT_EQ(list.GetDisk("data\\bgm"), 2);
  EXPECT_EQ(list.GetDisk("other.dat"), 0);
  EXPECT_EQ(list.GetDisk("MOVIE\\a\\b.avi"), 3);
  EXPECT_EQ(list.GetDisk("data\\bgmx\\a"), 0);
  EXPECT_EQ(list.IndexOfName("Movie"), 1);

  TMemoryStream stream;
  list.SaveToStream(stream);
  EXPECT_EQ(stream.Bytes(), (Bytes{2, 0, 0, 0, 8, 0, 0, 0, 'D', 'A', 'T', 'A', '\\', 'B', 'G', 'M', 2, 0, 0, 0,
                                   6, 0, 0, 0, 'm', 'o', 'v', 'i', 'e', '\\', 3, 0, 0, 0}));
  stream.SetPosition(0);
  TFolderDiskList loaded;
  loaded.AddDisk("x", 1);
  loaded.LoadFromStream(stream);
  EXPECT_EQ(loaded.Entries(), list.Entries());
  TMemoryStream huge(Bytes{0x00, 0x00, 0x00, 0x10, 1, 0, 0, 0});
  EXPECT_THROW(loaded.LoadFromStream(huge), EReadError);
}

}  // namespace
}  // namespace vorn
