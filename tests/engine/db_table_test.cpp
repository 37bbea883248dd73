#include "engine/db_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <functional>
#include <vector>

#include "engine/typed_params.h"
#include "foundation/stream_encoding.h"

namespace vorn {
namespace {

std::unique_ptr<TParamStr> Strs(std::vector<std::string> items) {
  auto p = std::make_unique<TParamStr>();
  p->SetCount(static_cast<std::int32_t>(items.size()));
  for (std::size_t i = 0; i < items.size(); ++i) p->SetStrAt(static_cast<std::int32_t>(i), items[i]);
  return p;
}

std::unique_ptr<TParamInt> Ints(std::vector<std::int32_t> items) {
  auto p = std::make_unique<TParamInt>();
  p->SetCount(static_cast<std::int32_t>(items.size()));
  for (std::size_t i = 0; i < items.size(); ++i) p->SetIntAt(static_cast<std::int32_t>(i), items[i]);
  return p;
}

std::unique_ptr<TParamFlag> Flags(std::vector<bool> items) {
  auto p = std::make_unique<TParamFlag>();
  p->SetCount(static_cast<std::int32_t>(items.size()));
  for (std::size_t i = 0; i < items.size(); ++i) p->SetBoolAt(static_cast<std::int32_t>(i), items[i]);
  return p;
}

std::vector<std::uint8_t> Bytes(TMemoryStream& s) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(s.Size()));
  s.Seek(0, SeekOrigin::kBegin);
  if (!out.empty()) s.ReadBuffer(out.data(), static_cast<std::int64_t>(out.size()));
  return out;
}

TEST(DBFieldList, LayoutSizesAndRefusals) {
  TDBTable t;
  EXPECT_EQ(t.Fields().AddField("i", kDBFieldInt, 99), 0);
  EXPECT_EQ(t.Fields().AddField("f", kDBFieldFloat, 0), 1);
  EXPECT_EQ(t.Fields().AddField("b", kDBFieldBool, 0), 2);
  EXPECT_EQ(t.Fields().AddField("s", kDBFieldStr, 5), 3);
  EXPECT_EQ(t.Fields().AddField("x", 5, 5), -1);
  EXPECT_EQ(t.Fields().AddField("x", 0, 5), -1);
  EXPECT_EQ(t.Fields().AddField("neg", kDBFieldStr, -1), -1);
  EXPECT_EQ(t.Fields().AddField("huge", kDBFieldStr, kMaxDBRecordSize), -1);
  EXPECT_EQ(t.Fields().RecordSize(), 4 + 10 + 1 + 6);
  EXPECT_EQ(t.Fields().FieldOffset(3), 15);
  EXPECT_EQ(t.Fields().AddField("I", kDBFieldInt, 0), 4);
  EXPECT_EQ(t.Fields().IndexOfField("I"), 0);  // first of the repeated name, case ignored
  EXPECT_EQ(t.Fields().IndexOfField("none"), -1);
}

TEST(DBFieldList, AddFieldGrowsRecordsWithZeros) {
  TDBTable t;
  t.Fields().AddField("a", kDBFieldInt, 0);
  t.Append();
  t.SetIntAt(0, 0, -1);
  t.Fields().AddField("s", kDBFieldStr, 3);
  const std::uint8_t expected[] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
  ASSERT_EQ(t.Fields().RecordSize(), 8);
  EXPECT_EQ(std::memcmp(t.Record(0), expected, 8), 0);
}

TEST(DBFieldList, AssignAndSameStructure) {
  TDBFieldList a;
  a.AddField("Name", kDBFieldStr, 10);
  a.AddField("n", kDBFieldInt, 0);
  TDBFieldList b;
  b.Assign(a);
  EXPECT_TRUE(a.SameStructure(b));
  EXPECT_EQ(b.Field(0).size, 11);
  TDBFieldList c;
  c.AddField("name", kDBFieldStr, 10);
  c.AddField("n", kDBFieldInt, 0);
  EXPECT_FALSE(a.SameStructure(c));  // names compare case-sensitively here
}

TEST(DBTable, FloatFieldBytes) {
  TDBTable t;
  t.Fields().AddField("f", kDBFieldFloat, 0);
  t.Append();
  t.SetFloatAt(0, 0, 1.5L);
  const std::uint8_t expected[] = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F};
  EXPECT_EQ(std::memcmp(t.Record(0), expected, 10), 0);
}

// Every request kind against every field type: set through one kind, read through all four.
TEST(DBTable, ConversionTable) {
  TDBTable t;
  t.Fields().AddField("i", kDBFieldInt, 0);
  t.Fields().AddField("f", kDBFieldFloat, 0);
  t.Fields().AddField("b", kDBFieldBool, 0);
  t.Fields().AddField("s", kDBFieldStr, 4);
  t.Append();
  struct Case {
    const char* what;
    int field;
    std::function<void()> set;
    std::int32_t i;
    TExtended f;
    bool b;
    std::string s;
  };
  const std::vector<Case> cases = {
      {"int into int", 0, [&] { t.SetIntAt(0, 0, -7); }, -7, -7, true, "-7"},
      {"float 2.5 into int", 0, [&] { t.SetFloatAt(0, 0, 2.5L); }, 2, 2, true, "2"},
      {"float 3.5 into int", 0, [&] { t.SetFloatAt(0, 0, 3.5L); }, 4, 4, true, "4"},
      {"bool into int", 0, [&] { t.SetBoolAt(0, 0, true); }, 1, 1, true, "1"},
      {"text into int", 0, [&] { t.SetStrAt(0, 0, "42"); }, 42, 42, true, "42"},
      {"no number into int", 0, [&] { t.SetStrAt(0, 0, "4x"); }, 0, 0, false, "0"},
      {"int into float", 1, [&] { t.SetIntAt(0, 1, 3); }, 3, 3, true, "3"},
      {"float into float", 1, [&] { t.SetFloatAt(0, 1, 2.5L); }, 2, 2.5L, true, "2.5"},
      {"float 3.5 read as int", 1, [&] { t.SetFloatAt(0, 1, 3.5L); }, 4, 3.5L, true, "3.5"},
      {"bool into float", 1, [&] { t.SetBoolAt(0, 1, false); }, 0, 0, false, "0"},
      {"text into float", 1, [&] { t.SetStrAt(0, 1, "0.25"); }, 0, 0.25L, true, "0.25"},
      {"int into bool", 2, [&] { t.SetIntAt(0, 2, -3); }, 1, 1, true, "TRUE"},
      {"float into bool", 2, [&] { t.SetFloatAt(0, 2, 0); }, 0, 0, false, "FALSE"},
      {"bool into bool", 2, [&] { t.SetBoolAt(0, 2, true); }, 1, 1, true, "TRUE"},
      {"TRUE into bool", 2, [&] { t.SetStrAt(0, 2, "TRUE"); }, 1, 1, true, "TRUE"},
      {"True into bool", 2, [&] { t.SetStrAt(0, 2, "True"); }, 0, 0, false, "FALSE"},
      {"int into text", 3, [&] { t.SetIntAt(0, 3, 12); }, 12, 12, false, "12"},
      {"float into text", 3, [&] { t.SetFloatAt(0, 3, 1.5L); }, 0, 1.5L, false, "1.5"},
      {"bool into text", 3, [&] { t.SetBoolAt(0, 3, true); }, 0, 0, true, "TRUE"},
      {"cut text", 3, [&] { t.SetStrAt(0, 3, "abcdefghij"); }, 0, 0, false, "abcd"},
      {"FALSE text", 3, [&] { t.SetStrAt(0, 3, "TRUX"); }, 0, 0, false, "TRUX"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.set();
    std::int32_t i = -99;
    TExtended f = -99;
    bool b = !c.b;
    std::string s;
    ASSERT_TRUE(t.GetIntAt(0, c.field, i));
    ASSERT_TRUE(t.GetFloatAt(0, c.field, f));
    ASSERT_TRUE(t.GetBoolAt(0, c.field, b));
    ASSERT_TRUE(t.GetStrAt(0, c.field, s));
    EXPECT_EQ(i, c.i);
    EXPECT_EQ(f, c.f);
    EXPECT_EQ(b, c.b);
    EXPECT_EQ(s, c.s);
  }
  // The cut text is terminated right after its four bytes.
  EXPECT_EQ(t.Record(0)[4 + 10 + 1 + 4], 0);
}

TEST(DBTable, OutOfRangeAccessTouchesNothing) {
  TDBTable t;
  t.Fields().AddField("i", kDBFieldInt, 0);
  std::int32_t v = 5;
  EXPECT_FALSE(t.GetIntAt(0, 0, v));
  EXPECT_FALSE(t.GetInt("i", v));  // no current record
  t.Append();
  EXPECT_FALSE(t.SetIntAt(0, 1, 1));
  EXPECT_FALSE(t.SetIntAt(1, 0, 1));
  EXPECT_FALSE(t.SetInt("j", 1));
  EXPECT_TRUE(t.SetInt("I", 9));
  EXPECT_TRUE(t.GetInt("i", v));
  EXPECT_EQ(v, 9);
}

TEST(DBTable, Navigation) {
  TDBTable t;
  EXPECT_FALSE(t.First());
  EXPECT_FALSE(t.Last());
  EXPECT_FALSE(t.Next());
  EXPECT_FALSE(t.Prior());
  EXPECT_FALSE(t.Delete());
  t.Append();
  EXPECT_EQ(t.RecNo(), 0);
  t.Append();
  t.Append();
  EXPECT_EQ(t.RecNo(), 2);
  EXPECT_FALSE(t.Next());
  EXPECT_TRUE(t.Prior());
  EXPECT_TRUE(t.Prior());
  EXPECT_FALSE(t.Prior());
  EXPECT_EQ(t.RecNo(), 0);
  EXPECT_FALSE(t.SetRecNo(3));
  EXPECT_EQ(t.RecNo(), 0);
  EXPECT_TRUE(t.SetRecNo(-5));
  EXPECT_EQ(t.RecNo(), -1);
  EXPECT_EQ(t.CurrentRecord(), nullptr);
  EXPECT_FALSE(t.Next());
  EXPECT_TRUE(t.Last());
  EXPECT_TRUE(t.Delete());
  EXPECT_EQ(t.RecNo(), 1);
  EXPECT_TRUE(t.First());
  EXPECT_TRUE(t.Delete());
  EXPECT_EQ(t.RecNo(), 0);
  EXPECT_TRUE(t.Delete());
  EXPECT_EQ(t.RecNo(), -1);
  EXPECT_EQ(t.RecordCount(), 0);
}

class DBFind : public ::testing::Test {
 protected:
  void SetUp() override {
    t.Fields().AddField("name", kDBFieldStr, 20);
    t.Fields().AddField("n", kDBFieldInt, 0);
    t.Fields().AddField("x", kDBFieldFloat, 0);
    const char* names[] = {"apple", "Pear", "", "pea"};
    for (int i = 0; i < 4; ++i) {
      t.Append();
      t.SetStrAt(i, 0, names[i]);
      t.SetIntAt(i, 1, i % 2);
      t.SetFloatAt(i, 2, i * 0.5L);
    }
  }
  std::vector<std::int32_t> Run(const TCustomParam* names, bool partial, bool ignore_case, const TCustomParam* values) {
    TIntList r;
    t.Find(r, names, partial, ignore_case, values);
    return r.Items();
  }
  TDBTable t;
};

TEST_F(DBFind, Criteria) {
  using V = std::vector<std::int32_t>;
  EXPECT_EQ(Run(nullptr, false, false, nullptr), (V{0, 1, 2, 3}));
  EXPECT_EQ(Run(Strs({"N"}).get(), false, false, Ints({1}).get()), (V{1, 3}));
  // The values array's type picks the comparison: the text field read as an integer.
  EXPECT_EQ(Run(Strs({"name"}).get(), false, false, Ints({0}).get()), (V{0, 1, 2, 3}));
  // The float field read as an integer rounds: 0.5 -> 0, 1.0 -> 1, 1.5 -> 2.
  EXPECT_EQ(Run(Strs({"x"}).get(), false, false, Ints({2}).get()), (V{3}));
  EXPECT_EQ(Run(Strs({"name"}).get(), false, false, Strs({"pear"}).get()), (V{}));
  EXPECT_EQ(Run(Strs({"name"}).get(), false, true, Strs({"pear"}).get()), (V{1}));
  // Partial: the field's text occurs within the searched text; an empty field never matches.
  EXPECT_EQ(Run(Strs({"name"}).get(), true, false, Strs({"my pea pod"}).get()), (V{3}));
  EXPECT_EQ(Run(Strs({"name"}).get(), true, true, Strs({"PEARL"}).get()), (V{1, 3}));
  // Pairs up to the shorter array; a missing field empties the result.
  EXPECT_EQ(Run(Strs({"n", "name"}).get(), false, false, Ints({1}).get()), (V{1, 3}));
  EXPECT_EQ(Run(Strs({"n", "zz"}).get(), false, false, Ints({1, 1}).get()), (V{}));
}

TEST(DBTable, SortKeysAndDirections) {
  TDBTable t;
  t.Fields().AddField("s", kDBFieldStr, 8);
  t.Fields().AddField("n", kDBFieldInt, 0);
  const std::vector<std::pair<std::string, std::int32_t>> rows = {
      {"b", 2147483647}, {"a", -2147483647 - 1}, {"b", -5}, {"B", 0}};
  for (const auto& [s, n] : rows) {
    t.Append();
    t.SetStr("s", s);
    t.SetInt("n", n);
  }
  t.SetRecNo(1);
  t.Sort(Strs({"s", "none", "n"}).get(), Flags({true, false, false}).get());
  std::vector<std::string> order;
  for (int r = 0; r < t.RecordCount(); ++r) {
    std::string s;
    std::int32_t n = 0;
    t.GetStrAt(r, 0, s);
    t.GetIntAt(r, 1, n);
    order.push_back(s + std::to_string(n));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"b-5", "b2147483647", "a-2147483648", "B0"}));
  EXPECT_EQ(t.RecNo(), 1);
}

// Float keys order by the sign of their difference, boolean keys by theirs. A float field can hold
// a NaN (a saved table is only bytes), which has no sign against anything: it sorts after every
// number, so the order stays a strict one and the sort cannot run off the records.
TEST(DBTable, SortFloatAndBooleanKeys) {
  const TExtended nan = std::numeric_limits<TExtended>::quiet_NaN();
  const TExtended inf = std::numeric_limits<TExtended>::infinity();
  TDBTable t;
  t.Fields().AddField("x", kDBFieldFloat, 0);
  t.Fields().AddField("b", kDBFieldBool, 0);
  std::vector<TExtended> values;
  for (int i = 0; i < 200; ++i) {
    values.push_back(i % 3 == 0 ? nan : i % 7 == 0 ? -inf : static_cast<TExtended>((i * 37) % 101) - 50.25L);
  }
  values.push_back(inf);
  for (std::size_t i = 0; i < values.size(); ++i) {
    t.Append();
    t.SetFloatAt(t.RecNo(), 0, values[i]);
    t.SetBoolAt(t.RecNo(), 1, i % 2 == 0);
  }
  for (bool descending : {false, true}) {
    SCOPED_TRACE(descending);
    t.Sort(Strs({"x"}).get(), Flags({descending}).get());
    std::vector<TExtended> numbers;
    int nans = 0;
    for (int r = 0; r < t.RecordCount(); ++r) {
      TExtended x = 0;
      ASSERT_TRUE(t.GetFloatAt(r, 0, x));
      if (std::isnan(x)) {
        ++nans;
        // NaNs come last ascending, first descending.
        EXPECT_TRUE(descending ? r < 67 : r >= t.RecordCount() - 67) << r;
      } else {
        numbers.push_back(x);
      }
    }
    EXPECT_EQ(nans, 67);
    EXPECT_TRUE(descending ? std::is_sorted(numbers.rbegin(), numbers.rend()) : std::is_sorted(numbers.begin(), numbers.end()));
  }
  t.Sort(Strs({"b", "x"}).get(), Flags({true, false}).get());
  bool b = false;
  ASSERT_TRUE(t.GetBoolAt(0, 1, b));
  EXPECT_TRUE(b);
  ASSERT_TRUE(t.GetBoolAt(t.RecordCount() - 1, 1, b));
  EXPECT_FALSE(b);
  TExtended first = 0;
  ASSERT_TRUE(t.GetFloatAt(0, 0, first));
  EXPECT_EQ(first, -inf);
}

TEST(DBTable, LoadTsvHeaderAndRows) {
  TDBTable t;
  // Cells: "id int", "\x96\xbc\x91\x4f" (a Japanese name alone), "rate float"; rows with escapes.
  const std::vector<std::string> lines = {
      "id int\t\x96\xbc\x91\x4f\trate float",
      "1\t\x88\xea\x97\x97\x95\x5c\t0.5\textra",
      "",
      "2\ta\\\\b\\n",
      "7",
  };
  ASSERT_TRUE(t.LoadTsv(lines));
  ASSERT_EQ(t.Fields().Count(), 3);
  EXPECT_EQ(t.Fields().Field(0).field_type, kDBFieldInt);
  EXPECT_EQ(t.Fields().Field(1).field_type, kDBFieldStr);
  EXPECT_EQ(t.Fields().Field(1).size, 81);
  EXPECT_EQ(t.Fields().Field(2).field_type, kDBFieldFloat);
  ASSERT_EQ(t.RecordCount(), 3);
  std::string s;
  t.GetStrAt(0, 1, s);
  EXPECT_EQ(s, "\x88\xea\x97\x97\x95\x5c");  // trail byte 5C is no escape
  t.GetStrAt(1, 1, s);
  EXPECT_EQ(s, "a\\b\r\n");
  TExtended x = 0;
  t.GetFloatAt(0, 2, x);
  EXPECT_EQ(x, 0.5L);
  std::int32_t v = 0;
  t.GetIntAt(2, 0, v);
  EXPECT_EQ(v, 7);
  t.GetStrAt(2, 1, s);
  EXPECT_EQ(s, "");
}

TEST(DBTable, LoadTsvFailures) {
  TDBTable t;
  EXPECT_FALSE(t.LoadTsv({}));
  EXPECT_FALSE(t.LoadTsv({"a int\t int\tc"}));
  EXPECT_EQ(t.Fields().Count(), 0);
  EXPECT_FALSE(t.LoadTsv({"a str -2"}));
  EXPECT_EQ(t.Fields().Count(), 0);
  // A record beyond the size bound would be refused by the field list: so is the whole header.
  EXPECT_FALSE(t.LoadTsv({"a int\tb str 16777216", "1\tx"}));
  EXPECT_EQ(t.Fields().Count(), 0);
  EXPECT_EQ(t.RecordCount(), 0);
  // Rows under huge string sizes may not fill more than the table bound: 17 rows of 16 MB each.
  std::vector<std::string> huge = {"a str 16000000"};
  huge.insert(huge.end(), 17, "x");
  EXPECT_FALSE(t.LoadTsv(huge));
  EXPECT_EQ(t.Fields().Count(), 0);
  EXPECT_EQ(t.RecordCount(), 0);
  huge.resize(16);  // 15 rows: within the bound
  EXPECT_TRUE(t.LoadTsv(huge));
  EXPECT_EQ(t.RecordCount(), 15);
  ASSERT_TRUE(t.LoadTsv({"a bool\tb text 3\tc x y"}));
  EXPECT_EQ(t.Fields().Field(0).field_type, kDBFieldBool);
  EXPECT_EQ(t.Fields().Field(1).size, 4);
  EXPECT_EQ(t.Fields().Field(2).size, 81);  // "y" is no number
}

TEST(DBManager, TablesByName) {
  TDBManager m;
  EXPECT_EQ(m.CreateTable("", 0), -1);
  EXPECT_EQ(m.CreateTable("A", 0), 0);
  EXPECT_EQ(m.CreateTable("a", 1), -1);
  EXPECT_EQ(m.CreateTable("B", 0x101), 1);
  EXPECT_EQ(m.Table(1).Status(), 1);
  EXPECT_EQ(m.CurrentIndex(), 1);
  EXPECT_TRUE(m.SelectTable("a"));
  m.CreateTable("C", 0);
  m.SelectTable("B");
  EXPECT_TRUE(m.DeleteTable("a"));
  EXPECT_EQ(m.CurrentIndex(), 0);
  EXPECT_EQ(m.CurrentTable()->Name(), "B");
  EXPECT_TRUE(m.DeleteTable("b"));
  EXPECT_EQ(m.CurrentIndex(), -1);
  m.CreateTable("S", 1);
  m.ClearGameTables();
  ASSERT_EQ(m.Count(), 1);
  EXPECT_EQ(m.Table(0).Name(), "S");
  EXPECT_EQ(m.CurrentIndex(), -1);
}

TEST(DBManager, CopyAppendAndLookup) {
  TDBManager m;
  m.CreateTable("dst", 0);
  m.CreateTable("src", 0);
  TDBTable& src = *m.CurrentTable();
  src.Fields().AddField("k", kDBFieldStr, 4);
  src.Fields().AddField("v", kDBFieldInt, 0);
  for (int i = 0; i < 3; ++i) {
    src.Append();
    src.SetStr("k", std::string(1, static_cast<char>('a' + i)));
    src.SetInt("v", i * 10);
  }
  EXPECT_FALSE(m.CopyRecordsTo("src", std::vector<std::int32_t>{0}));
  EXPECT_FALSE(m.CopyRecordsTo("none", std::vector<std::int32_t>{0}));
  ASSERT_TRUE(m.CopyRecordsTo("dst", std::vector<std::int32_t>{2, 0, 9}));
  TDBTable& dst = m.Table(0);
  ASSERT_EQ(dst.RecordCount(), 2);
  EXPECT_EQ(std::memcmp(dst.Record(0), src.Record(2), 9), 0);
  ASSERT_TRUE(m.AppendRecordsFrom("SRC", std::vector<std::int32_t>{1, 1}));  // from itself
  EXPECT_EQ(src.RecordCount(), 5);
  EXPECT_EQ(std::memcmp(src.Record(4), src.Record(1), 9), 0);
  m.SelectTable("dst");
  dst.Fields().AddField("w", kDBFieldBool, 0);
  EXPECT_FALSE(m.AppendRecordsFrom("src", std::vector<std::int32_t>{0}));

  auto names = Strs({"k"});
  auto values = Strs({"c"});
  EXPECT_EQ(m.LookupInt("src", names.get(), false, false, values.get(), "V", -1), 20);
  EXPECT_EQ(m.LookupInt("src", names.get(), false, false, values.get(), "nope", -1), -1);
  EXPECT_EQ(m.LookupStr("none", names.get(), false, false, values.get(), "v", "d"), "d");
  EXPECT_TRUE(m.LookupSetFloat("src", names.get(), false, false, values.get(), "v", 7.5L));
  EXPECT_EQ(m.LookupInt("src", names.get(), false, false, values.get(), "v", -1), 8);
  EXPECT_FALSE(m.LookupSetBool("src", names.get(), false, false, Strs({"zz"}).get(), "v", true));
}

TEST(DBManager, StreamBytesSpelledOut) {
  TDBManager m;
  m.CreateTable("S", 1);
  m.CreateTable("G", 0);
  TDBTable& g = *m.CurrentTable();
  g.Fields().AddField("n", kDBFieldInt, 0);
  g.Fields().AddField("s", kDBFieldStr, 2);
  g.Append();
  g.SetIntAt(0, 0, 258);
  g.SetStrAt(0, 1, "xyz");
  TMemoryStream out;
  m.SaveToStream(out, 0);
  const std::vector<std::uint8_t> expected = {
      100, 0, 0, 0,  1, 0, 0, 0,                   // version, one game table
      0,                                           // kind
      1, 0, 0, 0, 'G', 0,                          // name, status
      2, 0, 0, 0,                                  // fields
      4, 0, 0, 0, 1, 0, 0, 0, 'n', 1,              //
      3, 0, 0, 0, 1, 0, 0, 0, 's', 4,              //
      1, 0, 0, 0,                                  // records
      2, 1, 0, 0, 'x', 'y', 0,                     //
      0, 0, 0, 0,                                  // current
      1, 0, 0, 0, 'G'};                            // current table
  EXPECT_EQ(Bytes(out), expected);

  TMemoryStream status;
  m.SaveToStream(status, 1);
  EXPECT_EQ(status.Size(), 4 + 4 + 1 + 5 + 1 + 4 + 4 + 4);
}

TEST(DBManager, GameLoadKeepsStatusTables) {
  TDBManager saved;
  saved.CreateTable("G1", 0);
  saved.CreateTable("G2", 0);
  saved.SelectTable("G1");
  TMemoryStream game;
  saved.SaveToStream(game, 0);

  TDBManager m;
  m.CreateTable("S", 1);
  m.CreateTable("Old", 0);
  game.Seek(0, SeekOrigin::kBegin);
  m.LoadFromStream(game, 0);
  ASSERT_EQ(m.Count(), 3);
  EXPECT_EQ(m.Table(0).Name(), "S");
  EXPECT_EQ(m.IndexOfTable("Old"), -1);
  EXPECT_EQ(m.CurrentTable()->Name(), "G1");
}

// The status entry's stream holds status tables, but a table whose own flag says game table is
// taken as it is: from then on it belongs to the game.
TEST(DBManager, StatusStreamTableFlaggedAsGameBecomesAGameTable) {
  const std::vector<std::uint8_t> stream = {
      100, 0, 0, 0, 2, 0, 0, 0,              // version, two tables
      0, 1, 0, 0, 0, 'S', 1, 0, 0, 0, 0,     // kind, "S", status 1, no fields
      0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,    // no records, no current record
      0, 1, 0, 0, 0, 'G', 0, 0, 0, 0, 0,     // kind, "G", status 0, no fields
      0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};   // (no current table name: a status stream)
  TDBManager m;
  m.CreateTable("OldStatus", 1);
  m.CreateTable("Game", 0);
  TMemoryStream s(stream);
  m.LoadFromStream(s, 1);
  EXPECT_EQ(m.IndexOfTable("OldStatus"), -1);
  ASSERT_EQ(m.Count(), 3);
  EXPECT_EQ(m.Table(m.IndexOfTable("S")).Status(), 1);
  EXPECT_EQ(m.Table(m.IndexOfTable("G")).Status(), 0);
  m.ClearGameTables();
  EXPECT_EQ(m.Count(), 1);
  EXPECT_EQ(m.Table(0).Name(), "S");
}

// The smallest table record: no name, no fields, no records, 18 bytes with its kind byte. What
// loads must load again once saved.
TEST(DBManager, SmallestTableRecordLoadsAndReloads) {
  const std::vector<std::uint8_t> stream = {
      100, 0, 0, 0, 1, 0, 0, 0,                        // version, one table
      0, 0, 0, 0, 0, 1, 0, 0, 0, 0,                    // kind, "", status 1, no fields
      0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};             // no records, no current record
  TDBManager m;
  TMemoryStream s(stream);
  m.LoadFromStream(s, 1);
  ASSERT_EQ(m.Count(), 1);
  TMemoryStream saved;
  m.SaveToStream(saved, 1);
  EXPECT_EQ(Bytes(saved), stream);
  saved.Seek(0, SeekOrigin::kBegin);
  TDBManager again;
  again.LoadFromStream(saved, 1);
  EXPECT_EQ(again.Count(), 1);
}

TEST(DBManager, DamagedStreamsRaiseAndKeepTables) {
  auto table_bytes = [](std::int32_t size, std::uint8_t type, std::int32_t records, std::int32_t current,
                        std::int32_t pad) {
    TMemoryStream s;
    WriteIntToStream(s, 100);
    WriteIntToStream(s, 1);
    WriteByteToStream(s, 0);
    WriteStrToStream(s, "T");
    WriteByteToStream(s, 0);
    WriteIntToStream(s, 1);
    WriteIntToStream(s, size);
    WriteStrToStream(s, "f");
    WriteByteToStream(s, type);
    WriteIntToStream(s, records);
    for (std::int32_t i = 0; i < pad; ++i) WriteByteToStream(s, 'a');
    WriteIntToStream(s, current);
    WriteStrToStream(s, "T");
    return Bytes(s);
  };
  struct Case {
    const char* what;
    std::int32_t size;
    std::uint8_t type;
    std::int32_t records;
    std::int32_t current;
    std::int32_t pad;
    bool ok;
  };
  const std::vector<Case> cases = {
      {"sound", 4, kDBFieldInt, 2, 1, 8, true},
      {"string without terminator", 3, kDBFieldStr, 1, 0, 3, true},
      {"type 5", 4, 5, 1, 0, 4, false},
      {"type 0", 4, 0, 1, 0, 4, false},
      {"integer of size 8", 8, kDBFieldInt, 1, 0, 8, false},
      {"float of size 4", 4, kDBFieldFloat, 1, 0, 4, false},
      {"string of size 0", 0, kDBFieldStr, 1, 0, 0, false},
      {"huge string", 0x7FFFFFFF, kDBFieldStr, 0, -1, 0, false},
      {"records beyond the bytes", 4, kDBFieldInt, 0x10000000, 0, 8, false},
      {"negative records", 4, kDBFieldInt, -1, -1, 0, false},
      {"current past the end", 4, kDBFieldInt, 1, 1, 4, false},
      {"current below -1", 4, kDBFieldInt, 1, -2, 4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TDBManager m;
    m.CreateTable("Keep", 0);
    TMemoryStream s(table_bytes(c.size, c.type, c.records, c.current, c.pad));
    if (c.ok) {
      EXPECT_NO_THROW(m.LoadFromStream(s, 0));
      EXPECT_EQ(m.IndexOfTable("Keep"), -1);
    } else {
      EXPECT_THROW(m.LoadFromStream(s, 0), EReadError);
      EXPECT_EQ(m.IndexOfTable("Keep"), 0);
    }
  }
  TDBManager m;
  TMemoryStream s(table_bytes(3, kDBFieldStr, 1, 0, 3));
  m.LoadFromStream(s, 0);
  std::string text;
  ASSERT_TRUE(m.CurrentTable()->GetStrAt(0, 0, text));
  EXPECT_EQ(text, "aa");
}

}  // namespace
}  // namespace vorn
