#include "foundation/host_names.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/file_stream.h"
#include "foundation/vr_test_support.h"

namespace vorn {
namespace {

using testing::TempFolder;
using testing::WriteWholeFile;

TEST(HostNames, SplitsAtEitherDelimiterButNeverAtATrailByte) {
  bool absolute = false;
  // ソ is 83 5C: its trail byte is a backslash.
  EXPECT_EQ(SplitSystemName("data\\\x83\x5C\\bgm/op.ogg", &absolute),
            (std::vector<std::string>{"data", "\x83\x5C", "bgm", "op.ogg"}));
  EXPECT_FALSE(absolute);
  EXPECT_EQ(SplitSystemName("/tmp//x\\", &absolute), (std::vector<std::string>{"tmp", "x"}));
  EXPECT_TRUE(absolute);
}

TEST(HostNames, ResolvesRawConvertedAndCaseFoldedComponents) {
  TempFolder dir;
  std::filesystem::create_directories(dir.Path("Data/BGM"));
  WriteWholeFile(dir.Path("Data/BGM/Op.OGG"), "x");
  // ソース.txt in UTF-8 on disk, asked for in CP932.
  WriteWholeFile(dir.Path("\xE3\x82\xBD\xE3\x83\xBC\xE3\x82\xB9.txt"), "y");
  // A name kept as raw CP932 bytes on disk.
  WriteWholeFile(dir.Path("\x83\x41.bin"), "z");
  const std::string base = dir.Dir();

  struct Case {
    std::string name;
    bool found;
  } cases[] = {
      {base + "Data/BGM/Op.OGG", true},
      {base + "data\\bgm\\op.ogg", true},
      {base + "DATA\\Bgm\\OP.ogg", true},
      {base + "\x83\x5C\x81\x5B\x83\x58.txt", true},
      {base + "\x83\x5C\x81\x5B\x83\x58.TXT", true},
      {base + "\x83\x41.bin", true},
      {base + "\x83\x61.bin", false},  // ヂ is not ア with another case
      {base + "data\\bgm\\op.wav", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SystemFileExists(c.name), c.found) << c.name;
  }
}

TEST(HostNames, SeveralFoldedMatchesTakeTheFirstInByteOrder) {
  TempFolder dir;
  WriteWholeFile(dir.Path("readme.TXT"), "b");
  WriteWholeFile(dir.Path("README.txt"), "a");
  EXPECT_EQ(*FindHostPath(dir.Dir() + "Readme.Txt"), dir.Dir() + "README.txt");
}

TEST(HostNames, CreationPathConvertsTheMissingComponents) {
  TempFolder dir;
  std::filesystem::create_directories(dir.Path("Save"));
  EXPECT_EQ(HostPathForCreate(dir.Dir() + "save\\\x83\x5C.dat"), dir.Dir() + "Save/\xE3\x82\xBD.dat");
}

TEST(HostNames, HostFoldersWithoutACp932FormAreRefused) {
  EXPECT_EQ(SystemNameOfHostPath("/home/\xE3\x82\xBD/"), "/home/\x83\x5C/");
  EXPECT_THROW(SystemNameOfHostPath("/home/\xF0\x9F\x98\x80/"), EFOpenError);
}

}  // namespace
}  // namespace vorn
