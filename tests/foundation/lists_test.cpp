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
      {"\x81\x81\tz", {"\x81\x81", "z"}},          // a lead byte as the second byte
      {"\x81\x81\x81\tz", {"\x81\x81\x81\tz"}},  // the third lead byte takes the tab
      {"\x81\x41\x81\tz", {"\x81\x41\x81\tz"}},
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

// Every line of up to seven bytes from tabs, plain and lead bytes, against a character-by-character
// scan from the start.
TEST(TTabStrings, AgreesWithAForwardScanOnEveryShortLine) {
  const char alphabet[] = {'\t', 'a', '\x81', '\xE0'};
  auto forward = [](const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    for (std::size_t i = 0; i < line.size(); ++i) {
      const auto b = static_cast<unsigned char>(line[i]);
      const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
      if (lead && i + 1 < line.size()) {
        field += line.substr(i, 2);
        ++i;
      } else if (line[i] == '\t') {
        fields.push_back(field);
        field.clear();
      } else {
        field += line[i];
      }
    }
    if (!field.empty()) fields.push_back(field);
    return fields;
  };
  for (std::size_t length = 0; length <= 7; ++length) {
    std::size_t combinations = 1;
    for (std::size_t i = 0; i < length; ++i) combinations *= 4;
    for (std::size_t n = 0; n < combinations; ++n) {
      std::string line;
      for (std::size_t i = 0, rest = n; i < length; ++i, rest /= 4) line += alphabet[rest % 4];
      TTabStrings tabs;
      tabs.SetLine(line);
      ASSERT_EQ(tabs.Fields(), forward(line)) << testing::PrintToString(line);
    }
  }
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
