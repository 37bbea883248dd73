#include "foundation/big_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

#include "foundation/errors.h"
#include "foundation/file_stream.h"
#include "foundation/vr_test_support.h"

namespace vorn {
namespace {

using testing::Bytes;
using testing::ReadWholeFile;
using testing::TempFolder;
using testing::WriteWholeFile;

constexpr std::int64_t kKiB = 1024;

TEST(BigFileStream, VolumeNamesTakeTheExtensionFromTheLastComponent) {
  struct Case {
    const char* name;
    int index;
    const char* expected;
  } cases[] = {
      {"save.dat", 0, "save.dat"},
      {"save.dat", 1, "save.001"},
      {"save.dat", 12, "save.012"},
      {"save.dat", 1234, "save.1234"},
      {"dir.v\\save", 1, "dir.v\\save.001"},
      {"dir.v/save", 2, "dir.v/save.002"},
      {"a.b.c", 3, "a.b.003"},
      {"noext", 1, "noext.001"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TZkBigFileStream::VolumeName(c.name, c.index), c.expected) << c.name << " " << c.index;
  }
}

TEST(BigFileStream, WritesSpreadOverVolumesAndReadBack) {
  TempFolder dir;
  const std::string name = dir.Path("data.bin");
  std::vector<std::uint8_t> bytes(2 * 4 * kKiB + 100);
  std::iota(bytes.begin(), bytes.end(), 0);
  {
    TZkBigFileStream stream(name, fmCreate, 4 * kKiB);
    EXPECT_EQ(stream.Write(bytes.data(), bytes.size()), bytes.size());
    EXPECT_EQ(stream.Size(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(stream.VolumeCount(), 3);
  }
  EXPECT_EQ(std::filesystem::file_size(dir.Path("data.bin")), 4u * kKiB);
  EXPECT_EQ(std::filesystem::file_size(dir.Path("data.001")), 4u * kKiB);
  EXPECT_EQ(std::filesystem::file_size(dir.Path("data.002")), 100u);

  TZkBigFileStream stream(name, fmOpenRead | fmShareDenyWrite, 4 * kKiB);
  EXPECT_EQ(stream.Size(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(4 * kKiB - 10);
  std::vector<std::uint8_t> middle(30);
  EXPECT_EQ(stream.Read(middle.data(), middle.size()), 30u);
  EXPECT_TRUE(std::equal(middle.begin(), middle.end(), bytes.begin() + 4 * kKiB - 10));
  stream.SetPosition(0);
  std::vector<std::uint8_t> all(bytes.size() + 50);
  EXPECT_EQ(stream.Read(all.data(), all.size()), bytes.size());
  all.resize(bytes.size());
  EXPECT_EQ(all, bytes);
}

TEST(BigFileStream, CreationDeletesVolumesUpToTheFirstMissingOne) {
  TempFolder dir;
  for (const char* leaf : {"data.bin", "data.001", "data.002", "data.004"}) WriteWholeFile(dir.Path(leaf), "old");
  { TZkBigFileStream stream(dir.Path("data.bin"), fmCreate); }
  EXPECT_EQ(std::filesystem::file_size(dir.Path("data.bin")), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("data.001")));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("data.002")));
  EXPECT_TRUE(std::filesystem::exists(dir.Path("data.004")));
}

TEST(BigFileStream, WriteOnlyModeAlsoDeletesVolumes) {
  TempFolder dir;
  WriteWholeFile(dir.Path("data.bin"), "0123");
  WriteWholeFile(dir.Path("data.001"), "4567");
  { TZkBigFileStream stream(dir.Path("data.bin"), fmOpenWrite); }
  EXPECT_FALSE(std::filesystem::exists(dir.Path("data.001")));
}

TEST(BigFileStream, OpeningReadsEveryVolumeAndSumsTheSize) {
  TempFolder dir;
  WriteWholeFile(dir.Path("s.dat"), "abcd");
  WriteWholeFile(dir.Path("s.001"), "efgh");
  WriteWholeFile(dir.Path("s.002"), "ij");
  TZkBigFileStream stream(dir.Path("s.dat"), fmOpenRead, 4);
  EXPECT_EQ(stream.Size(), 10);
  std::string text(10, '\0');
  EXPECT_EQ(stream.Read(text.data(), 10), 10u);
  EXPECT_EQ(text, "abcdefghij");
}

TEST(BigFileStream, PositionIsClampedToTheSize) {
  TempFolder dir;
  WriteWholeFile(dir.Path("f.bin"), "12345");
  TZkBigFileStream stream(dir.Path("f.bin"), fmOpenRead);
  stream.SetPosition(100);
  EXPECT_EQ(stream.GetPosition(), 5);
  EXPECT_EQ(stream.Seek(-100, SeekOrigin::kCurrent), 0);
  EXPECT_EQ(stream.Seek(-2, SeekOrigin::kEnd), 3);
}

TEST(BigFileStream, MissingFileRaisesNamingIt) {
  TempFolder dir;
  try {
    TZkBigFileStream stream(dir.Path("absent.dat"), fmOpenRead);
    FAIL() << "no error";
  } catch (const EFOpenError& error) {
    EXPECT_NE(std::string(error.what()).find("absent.dat"), std::string::npos);
  }
}

// The real 1 GiB boundary, on a sparse volume 0.
TEST(BigFileStream, TwoBytesAcrossTheGibibyteBoundarySplitIntoTwoVolumes) {
  TempFolder dir;
  {
    TZkBigFileStream stream(dir.Path("data.bin"), fmCreate);
    stream.SetSize(TZkBigFileStream::kDefaultVolumeSize);
    stream.SetPosition(TZkBigFileStream::kDefaultVolumeSize - 1);
    const std::uint8_t two[2] = {0xAB, 0xCD};
    EXPECT_EQ(stream.Write(two, 2), 2u);
    EXPECT_EQ(stream.Size(), TZkBigFileStream::kDefaultVolumeSize + 1);
  }
  EXPECT_EQ(std::filesystem::file_size(dir.Path("data.bin")), static_cast<std::uintmax_t>(TZkBigFileStream::kDefaultVolumeSize));
  EXPECT_EQ(ReadWholeFile(dir.Path("data.001")), (std::vector<std::uint8_t>{0xCD}));
  TZkBigFileStream stream(dir.Path("data.bin"), fmOpenRead);
  stream.SetPosition(TZkBigFileStream::kDefaultVolumeSize - 1);
  std::uint8_t back[4] = {};
  EXPECT_EQ(stream.Read(back, 4), 2u);
  EXPECT_EQ(back[0], 0xAB);
  EXPECT_EQ(back[1], 0xCD);
}

TEST(BigMemoryStream, CopiesFromAnyStream) {
  TempFolder dir;
  WriteWholeFile(dir.Path("src.bin"), "hello world");
  TZkBigFileStream file(dir.Path("src.bin"), fmOpenRead);
  TZkBigMemoryStream memory;
  EXPECT_EQ(memory.CopyFrom(file, 0), 11);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(memory.Memory()), 11), "hello world");

  TZkBigMemoryStream other;
  EXPECT_EQ(other.CopyFrom(memory, 5), 0);  // memory's position is at its end
  EXPECT_EQ(other.CopyFrom(memory, 0), 11);
}

TEST(BigMemoryStream, SaveToFileReplacesTheTargetWhole) {
  TempFolder dir;
  WriteWholeFile(dir.Path("save.dat"), "old contents");
  TZkBigMemoryStream memory;
  memory.WriteBuffer("new", 3);
  memory.SaveToFile(dir.Path("save.dat"));
  EXPECT_EQ(ReadWholeFile(dir.Path("save.dat")), Bytes("new"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);

  TZkBigMemoryStream loaded;
  loaded.LoadFromFile(dir.Path("save.dat"));
  EXPECT_EQ(loaded.Size(), 3);
}

TEST(BigMemoryStream, SaveIntoAMissingFolderRaises) {
  TempFolder dir;
  TZkBigMemoryStream memory;
  memory.WriteBuffer("x", 1);
  EXPECT_THROW(memory.SaveToFile(dir.Path("no-such-folder/save.dat")), Exception);
}

TEST(BuffBigStream, ReadsAheadAndGivesBackTheUnreadBytes) {
  TZkBigMemoryStream big;
  std::vector<std::uint8_t> bytes(250000);
  std::iota(bytes.begin(), bytes.end(), 0);
  big.WriteBuffer(bytes.data(), bytes.size());
  big.SetPosition(10);
  {
    TZkBuffBigStream buffered(big);
    std::uint8_t first[20];
    buffered.ReadBuffer(first, 20);
    EXPECT_EQ(first[0], 10);
    EXPECT_EQ(big.Position(), 10 + 102400);
    EXPECT_EQ(buffered.Position(), 30);
  }
  EXPECT_EQ(big.Position(), 30);
}

TEST(BuffBigStream, ReadPastTheEndEndsWithAnError) {
  TZkBigMemoryStream big;
  big.WriteBuffer("abc", 3);
  big.SetPosition(0);
  TZkBuffBigStream buffered(big);
  std::uint8_t out[8];
  EXPECT_THROW(buffered.ReadBuffer(out, 8), EReadError);
}

}  // namespace
}  // namespace vorn
