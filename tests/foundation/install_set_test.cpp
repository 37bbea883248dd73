#include "foundation/install_set.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/file_stream.h"
#include "support/temp_folder.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Spells out a record field by field, from the layout table, without our writer.
struct Spell {
  Bytes b;
  Spell& Raw(std::string_view s) {
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  Spell& I32(std::int64_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i)));
    return *this;
  }
  Spell& U64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
  Spell& Str(std::string_view s) { return I32(static_cast<std::int64_t>(s.size())).Raw(s); }
  Spell& Byte(std::uint8_t v) {
    b.push_back(v);
    return *this;
  }
};

// Fields 2 to 15 of the layout: DiscIndex .. S8, with N = n.
Spell Head(Spell s, std::int32_t n, bool negative_s3 = true) {
  return s.I32(1)         // DiscIndex
      .Str("GAME-ID")     // Id
      .Str("s2")          // S2
      .I32(negative_s3 ? -1 : 0)  // S3: a negative length is the empty string
      .Str("s4")          // S4
      .Byte(0x11)         // B1
      .Str("s5")          // S5
      .Byte(0x22)         // B2
      .I32(n)             // N
      .Str("s6")          // S6
      .I32(-2)            // I1
      .Byte(0x33)         // B3
      .Byte(0x44)         // B4
      .Str("s7")          // S7
      .Str("s8");         // S8
}

TVornInstallSet Load(const Bytes& bytes) {
  TVornInstallSet set;
  set.B6 = 0x66;
  set.AllInstalled = 1;
  set.S9 = "kept";
  set.Files = {"stale"};
  TMemoryStream stream(bytes);
  set.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), stream.Size());
  return set;
}

TEST(TVornInstallSet, ReadsVersion0WithoutMagic) {
  Spell s = Head(Spell{}, 1);
  s.I32(0x11).I32(0x22).I32(0x33).I32(-1)  // A1[0]..A4[0], four bytes each
      .I32(1).I32(2).I32(3).I32(4)          // V1..V4
      .Byte(0x55);                          // B5
  const TVornInstallSet set = Load(s.b);
  EXPECT_EQ(set.LoadedVersion(), 0);
  EXPECT_EQ(set.DiscIndex, 1u);
  EXPECT_EQ(set.Id, "GAME-ID");
  EXPECT_EQ(set.S3, "");
  EXPECT_EQ(set.I1, -2);
  ASSERT_EQ(set.Count(), 1);
  EXPECT_EQ(set.Arrays[3][0], 0xFFFFFFFFu);  // zero-extended
  EXPECT_EQ(set.Values[3], 4u);
  EXPECT_EQ(set.B5, 0x55);
  // Fields of later versions keep their values; the lists are emptied.
  EXPECT_EQ(set.B6, 0x66);
  EXPECT_EQ(set.AllInstalled, 1);
  EXPECT_EQ(set.S9, "kept");
  EXPECT_TRUE(set.Files.empty());
}

TEST(TVornInstallSet, ReadsVersion99WithFourByteValuesAndStopsAfterB5) {
  Spell s = Head(Spell{}.Raw("is099"), 2);
  for (int i = 0; i < 8; ++i) s.I32(i + 1);  // two records of A1..A4
  s.I32(9).I32(10).I32(11).I32(12).Byte(0x55);
  const TVornInstallSet set = Load(s.b);
  EXPECT_EQ(set.LoadedVersion(), 99);
  EXPECT_EQ(set.Arrays[0], (std::vector<std::uint64_t>{1, 5}));
  EXPECT_EQ(set.Arrays[3], (std::vector<std::uint64_t>{4, 8}));
  EXPECT_EQ(set.Values[0], 9u);
  EXPECT_EQ(set.B6, 0x66);
}

// One record per version around every point where a field starts: each reads exactly its own
// bytes, and the fields of later versions keep their values.
TEST(TVornInstallSet, EachVersionReadsTheFieldsItHasAndNoMore) {
  for (int version = 99; version <= 107; ++version) {
    SCOPED_TRACE(version);
    char magic[6];
    std::snprintf(magic, sizeof magic, "is%03d", version);
    Spell s = Head(Spell{}.Raw(magic), 1);
    const bool wide = version >= 100;  // array and V values: 8 bytes from 100, 4 before
    for (std::uint64_t v = 1; v <= 8; ++v) wide ? s.U64(v) : s.I32(static_cast<std::int64_t>(v));  // A1..A4, V1..V4
    s.Byte(0x55);                                      // B5
    if (version >= 101) s.Byte(0x56);                  // B6
    if (version >= 102) s.I32(1).Str("f.dat");         // Files
    if (version >= 103) s.Byte(0);                     // AllInstalled
    if (version >= 104) s.Byte(0x77);                  // B7
    if (version >= 105) s.Byte(0x88);                  // B8
    if (version >= 106) s.I32(1).Str("g.dat");         // Files2
    if (version >= 107) s.Str("s9");                   // S9
    const TVornInstallSet set = Load(s.b);
    EXPECT_EQ(set.LoadedVersion(), version);
    EXPECT_EQ(set.Arrays[3][0], 4u);
    EXPECT_EQ(set.Values[3], 8u);
    EXPECT_EQ(set.B5, 0x55);
    EXPECT_EQ(set.B6, version >= 101 ? 0x56 : 0x66);
    EXPECT_EQ(set.Files, version >= 102 ? std::vector<std::string>{"f.dat"} : std::vector<std::string>{});
    EXPECT_EQ(set.AllInstalled, version >= 103 ? 0 : 1);
    EXPECT_EQ(set.Files2, version >= 106 ? std::vector<std::string>{"g.dat"} : std::vector<std::string>{});
    EXPECT_EQ(set.S9, version >= 107 ? "s9" : "kept");
  }
}

TEST(TVornInstallSet, NonDigitVersionCountsAsZeroAfterTheMagic) {
  for (const char* magic : {"is$12", "is-01", "is 99", "isabc"}) {
    Spell s = Head(Spell{}.Raw(magic), 0);
    s.I32(1).I32(2).I32(3).I32(4).Byte(0x55);
    const TVornInstallSet set = Load(s.b);
    EXPECT_EQ(set.LoadedVersion(), 0) << magic;
    EXPECT_EQ(set.Id, "GAME-ID") << magic;
  }
}

Bytes Version105() {
  Spell s = Head(Spell{}.Raw("is105"), 1);
  s.U64(0x0102030405060708ULL).U64(2).U64(3).U64(4)  // A1[0]..A4[0]
      .U64(5).U64(6).U64(7).U64(0xFFFFFFFFFFFFFFFFULL)  // V1..V4
      .Byte(0x55)                                       // B5
      .Byte(0x56)                                       // B6
      .I32(3).Str("a.dat").I32(0).Str("B.DAT")          // Files, the empty entry is skipped
      .Byte(1)                                          // AllInstalled
      .Byte(0x77)                                       // B7
      .Byte(0x88);                                      // B8
  return s.b;
}

TEST(TVornInstallSet, Version105IsWrittenAgainAs107) {
  TVornInstallSet set = Load(Version105());
  EXPECT_EQ(set.Files, (std::vector<std::string>{"a.dat", "B.DAT"}));
  EXPECT_EQ(set.Values[3], 0xFFFFFFFFFFFFFFFFULL);
  set.Files2 = {"stale"};
  set.S9.clear();
  TMemoryStream again(Version105());
  set.LoadFromStream(again);
  EXPECT_TRUE(set.Files2.empty());

  TMemoryStream out;
  set.SaveToStream(out);
  // S3 was stored with a negative length; it is written back as the empty string.
  Spell want = Head(Spell{}.Raw("is107"), 1, false);
  want.U64(0x0102030405060708ULL).U64(2).U64(3).U64(4)
      .U64(5).U64(6).U64(7).U64(0xFFFFFFFFFFFFFFFFULL)
      .Byte(0x55).Byte(0x56)
      .I32(2).Str("a.dat").Str("B.DAT")
      .Byte(1).Byte(0x77).Byte(0x88)
      .I32(0)      // Files2
      .Str("");    // S9
  EXPECT_EQ(out.Bytes(), want.b);
}

TEST(TVornInstallSet, Version107SurvivesReadAndWriteByteForByte) {
  Spell s = Spell{}.Raw("is107").I32(3).Str("ID").Str("a").Str("b").Str("c").Byte(1).Str("d").Byte(2).I32(2)
                .Str("e").I32(-7).Byte(3).Byte(4).Str("f").Str("g");
  for (int i = 0; i < 8; ++i) s.U64(0x1000000000ULL * static_cast<std::uint64_t>(i + 1));
  s.U64(1).U64(2).U64(3).U64(4).Byte(5).Byte(6).I32(2).Str("x\\y.dat").Str("z.pel").Byte(0).Byte(7).Byte(8)
      .I32(2).Str("f2").Str("").Str("last");
  TVornInstallSet set = Load(s.b);
  EXPECT_EQ(set.Files2, (std::vector<std::string>{"f2", ""}));
  TMemoryStream out;
  set.SaveToStream(out);
  EXPECT_EQ(out.Bytes(), s.b);
}

TEST(TVornInstallSet, BadRecordsRaiseNamingTheFile) {
  std::vector<Bytes> bad;
  bad.push_back(Head(Spell{}.Raw("is107"), -1).b);                     // negative array count
  bad.push_back(Head(Spell{}.Raw("is107"), 0x7FFFFFFF).b);             // array count beyond the data
  {
    Spell s = Head(Spell{}.Raw("is102"), 0);
    s.U64(0).U64(0).U64(0).U64(0).Byte(0).Byte(0).I32(0x10000000);  // file count beyond the data
    bad.push_back(s.b);
  }
  {
    Spell s = Head(Spell{}.Raw("is102"), 0);
    s.U64(0).U64(0).U64(0).U64(0).Byte(0).Byte(0).I32(-3);
    bad.push_back(s.b);
  }
  bad.push_back(Spell{}.Raw("is1").b);  // magic cut short
  bad.push_back(Spell{}.Raw("i").b);
  bad.push_back(Spell{}.Raw("is107").I32(0).I32(0x7FFFFFFF).Raw("abc").b);  // huge string length
  for (const Bytes& bytes : bad) {
    TVornInstallSet set;
    TMemoryStream stream(bytes);
    try {
      set.LoadFromStream(stream, "D:\\install.dat");
      ADD_FAILURE() << "accepted " << bytes.size() << " bytes";
    } catch (const EReadError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("D:\\install.dat: ", 0), 0u) << e.what();
    }
  }
}

TEST(TVornInstallSet, FilesIgnoreCase) {
  TVornInstallSet set;
  set.AddFile("Save\\Shot01.bmp");
  set.AddFile("save\\SHOT01.BMP");
  set.AddFile("save\\shot02.bmp");
  EXPECT_EQ(set.Files.size(), 2u);
  EXPECT_EQ(set.IndexOfFile("SAVE\\shot02.BMP"), 1);
  EXPECT_EQ(set.IndexOfFile("other"), -1);
  set.SetCount(3);
  EXPECT_EQ(set.Arrays[2].size(), 3u);
}

TEST(TVornInstallSet, SaveToFileReplacesTheFileWhole) {
  const testing::TempFolder folder;
  const std::filesystem::path& dir = folder.path();
  const std::string path = (dir / "install.dat").string();
  {
    std::ofstream old(path, std::ios::binary);
    old << std::string(1000, 'x');
  }
  TVornInstallSet set;
  set.Id = "ID";
  set.AddFile("a.dat");
  set.SaveToFile(path);
  TVornInstallSet loaded;
  // The name is found whatever its case.
  loaded.LoadFromFile((dir / "INSTALL.DAT").string());
  EXPECT_EQ(loaded.Id, "ID");
  EXPECT_EQ(loaded.Files, set.Files);
  EXPECT_EQ(loaded.LoadedVersion(), 107);
  // Only the record is left in the folder: no temporary file stays behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
  std::filesystem::remove_all(dir);
  EXPECT_THROW(loaded.LoadFromFile(path), EFOpenError);
}

}  // namespace
}  // namespace vorn
