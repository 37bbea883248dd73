#include "foundation/archive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <sstream>

#include "fixture/archive_fixture.h"
#include "foundation/file_stream.h"
#include "foundation/system_texts.h"
#include "foundation/vr_errors.h"
#include "foundation/vr_test_support.h"
#include "platform/host_file.h"

namespace vorn {
namespace {

using fixture::ArchiveMember;
using fixture::ArchivePlan;
using fixture::Bytes;
using fixture::MakeMember;
using testing::TempFolder;

Bytes Pattern(std::size_t n, int seed = 1) {
  Bytes bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>((i * (seed + 2)) / 5 + seed);
  return bytes;
}

Bytes Noise(std::size_t n, std::uint32_t seed = 12345) {
  Bytes bytes(n);
  for (auto& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(seed >> 23);
  }
  return bytes;
}

Bytes Load(TVrFileCollection& archive, std::string_view name) {
  TMemoryStream out;
  archive.LoadToStream(out, name);
  EXPECT_EQ(out.Position(), 0);
  return out.Bytes();
}

std::string Hex(std::string_view text) {
  std::string out;
  char digits[4];
  for (unsigned char c : text) {
    std::snprintf(digits, sizeof digits, "%02x", c);
    out += digits;
  }
  return out;
}

// Runs a command and returns its standard output (empty on failure, with *status set).
std::string RunCommand(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  const int code = pclose(pipe);
  if (status) *status = code;
  return out;
}

std::string Python(const std::string& args, int* status = nullptr) {
  return RunCommand("python3 " VORN_SOURCE_DIR "/tests/python/check_archive.py " + args, status);
}

// A v102 archive with one stored member "a" = "xyz", spelled out from the format table.
TEST(ArchiveFormat, HandSpelledVersion102ReadsBack) {
  const Bytes bytes = {
      'v', 'f', 102, 0, 0, 0,                          // magic, version 102
      1, 0, 0, 0,                                      // N = 1
      1, 0, 0, 0, 'a' ^ 0xC4,                          // name length 1, "a" masked with C4
      0xED, 0x91, 0x2E, 0x5B, 0, 0, 0, 0,              // offset 0x29 ^ 0x5B2E91C4, high 0
      0xB4, 0x6A, 0x17, 0x23, 0, 0, 0, 0,              // offset 0x2C ^ 0x23176A98, high 0
      1,                                               // stored as is
      0x21, 0x43, 0x65, 0x87,                          // DOS time
      0x67, 0xBA, 0x8E, 0xEB,                          // CRC-32 of "xyz"
      1,                                               // CRC covers the data
      'x', 'y', 'z'};
  TempFolder dir;
  fixture::WriteWholeFile(dir.Path("game.dat"), bytes);
  TVrFileCollection archive;
  archive.Open(dir.Path("game.dat"));
  ASSERT_EQ(archive.Count(), 2);
  const TVrFile& member = archive.GetItem(0);
  EXPECT_EQ(member.Name(), "a");
  EXPECT_EQ(member.offset, 0x29u);
  EXPECT_EQ(member.size, 3u);
  EXPECT_EQ(member.stored, 1);
  EXPECT_EQ(member.file_time, 0x87654321u);
  EXPECT_EQ(member.crc, 0xEB8EBA67u);
  EXPECT_EQ(member.crc_over_data, 1);
  EXPECT_EQ(archive.GetItem(1).Name(), "\\EOF\\");
  EXPECT_EQ(Load(archive, "A"), testing::Bytes("xyz"));
}

TEST(ArchiveFormat, FourthOffsetHasItsHighWordInverted) {
  // Key values: 5B2E91C4 23176A98 0AA3A6BC 9060D370; the fourth has bit 31 set.
  ArchivePlan plan;
  for (int i = 0; i < 4; ++i) plan.members.push_back(MakeMember("m" + std::to_string(i), Pattern(10, i), -1));
  TVrFileCollection writer;
  for (const auto& m : plan.members) writer.AddMemoryFile(m.name).own_data->WriteBuffer(m.stored_bytes.data(), 10);
  TZkBigMemoryStream out;
  ASSERT_TRUE(writer.SaveToStream(out));
  const std::uint8_t* p = out.Memory();
  const std::size_t offsets_at = 2 + 4 + 4 + 4 * (4 + 2);
  auto u32 = [p](std::size_t at) { return p[at] | p[at + 1] << 8 | p[at + 2] << 16 | static_cast<std::uint32_t>(p[at + 3]) << 24; };
  EXPECT_EQ(u32(offsets_at + 0 * 8 + 4), 0u);
  EXPECT_EQ(u32(offsets_at + 3 * 8 + 4), 0xFFFFFFFFu);
  // Unscrambled with their own keys, the offsets rise in member order.
  EXPECT_GT(u32(offsets_at + 3 * 8) ^ 0x9060D370u, u32(offsets_at + 2 * 8) ^ 0x0AA3A6BCu);
  // Names are masked byte after byte from one generator: "m0" with C4 98, "m1" with BC 70.
  EXPECT_EQ(p[14], 'm' ^ 0xC4);
  EXPECT_EQ(p[15], '0' ^ 0x98);
  EXPECT_EQ(p[20], 'm' ^ 0xBC);
  EXPECT_EQ(p[21], '1' ^ 0x70);
}

struct VersionCase {
  const char* label;
  std::uint32_t version;
};

void PrintTo(const VersionCase& c, std::ostream* out) { *out << c.label; }

class ArchiveVersions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ArchiveVersions, ReadEveryFieldTheVersionHas) {
  const std::uint32_t version = GetParam().version;
  ArchivePlan plan;
  plan.version = version;
  const Bytes first = Pattern(3000, 1), second = Noise(500), third = {};
  plan.members.push_back(MakeMember("data\\first.txt", first, 6, 0x11223344));
  plan.members.push_back(MakeMember("\x83\x5C.bin", second, version > 100 ? -1 : 9, 0x55667788));
  plan.members.push_back(MakeMember("empty", third, 1, 7));
  plan.trailing_vf = true;
  TempFolder dir;
  fixture::WriteWholeFile(dir.Path("game.dat"), fixture::BuildArchive(plan));
  TVrFileCollection archive;
  archive.Open(dir.Path("game.dat"));
  ASSERT_EQ(archive.Count(), 4);
  EXPECT_EQ(archive.GetItem(3).Name(), "\\EOF\\");
  const Bytes* data[] = {&first, &second, &third};
  for (int i = 0; i < 3; ++i) {
    const TVrFile& member = archive.GetItem(i);
    const ArchiveMember& expected = plan.members[static_cast<std::size_t>(i)];
    EXPECT_EQ(member.Name(), expected.name);
    EXPECT_EQ(member.size, expected.stored_bytes.size());
    EXPECT_EQ(member.stored, version > 100 ? expected.stored : 0);
    EXPECT_EQ(member.file_time, version > 100 ? expected.file_time : 0u);
    EXPECT_EQ(member.crc, version > 100 ? expected.crc : 0u);
    EXPECT_EQ(member.crc_over_data, version > 101 ? 1 : 0);
    EXPECT_EQ(Load(archive, expected.name), *data[i]) << expected.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, ArchiveVersions,
                         ::testing::Values(VersionCase{"v0", 0}, VersionCase{"v99_plain_names", 99},
                                           VersionCase{"v100_u32_offsets", 100}, VersionCase{"v101", 101},
                                           VersionCase{"v102", 102}, VersionCase{"v5_like_99", 5},
                                           VersionCase{"v300_like_102", 300}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ArchiveLayouts, AppendedToAnExecutable) {
  ArchivePlan plan;
  plan.members.push_back(MakeMember("vorn.vpb", Pattern(777), 1));
  const Bytes program = Noise(4096);
  TempFolder dir;
  fixture::WriteWholeFile(dir.Path("Player.EXE"), fixture::AppendToExecutable(program, fixture::BuildArchive(plan)));
  TVrFileCollection archive;
  archive.Open(dir.Path("Player.EXE"));
  ASSERT_EQ(archive.Count(), 2);
  EXPECT_GT(archive.GetItem(0).offset, 4096u);
  EXPECT_EQ(Load(archive, "vorn.vpb"), Pattern(777));
  auto range = archive.OpenRange("vorn.vpb");
  ASSERT_TRUE(range);
  EXPECT_EQ(range->Size(), static_cast<std::int64_t>(plan.members[0].stored_bytes.size()));
}

TEST(ArchiveLayouts, SeparateDirectoryFile) {
  ArchivePlan plan;
  plan.members.push_back(MakeMember("a.txt", Pattern(100), 1));
  plan.members.push_back(MakeMember("b.ogg", Noise(300), -1));
  const auto [directory, data] = fixture::BuildSplitArchive(plan);
  TempFolder dir;
  fixture::WriteWholeFile(dir.Path("movie.bin"), data);
  fixture::WriteWholeFile(dir.Path("movie.ext"), directory);
  TVrFileCollection archive;
  archive.Open(dir.Path("movie.bin"));
  ASSERT_EQ(archive.Count(), 3);
  EXPECT_EQ(archive.GetItem(1).offset, plan.members[0].stored_bytes.size());
  EXPECT_EQ(Load(archive, "a.txt"), Pattern(100));
  EXPECT_EQ(Load(archive, "B.OGG"), Noise(300));
}

TEST(ArchiveLayouts, MissingFileLeavesTheNameAsDirectory) {
  TempFolder dir;
  TVrFileCollection archive;
  archive.Open(dir.Path("nothing-here"));
  EXPECT_EQ(archive.Count(), 0);
  EXPECT_EQ(archive.Directory(), dir.Path("nothing-here") + "\\");
  archive.Open("");
  EXPECT_EQ(archive.Directory(), "");
}

TEST(ArchiveLoader, FallsBackToPlainFilesOfTheDirectoryButNotTheArchiveItself) {
  TempFolder dir;
  ArchivePlan plan;
  plan.members.push_back(MakeMember("inside.txt", Pattern(10), 1));
  fixture::WriteWholeFile(dir.Path("game.dat"), fixture::BuildArchive(plan));
  testing::WriteWholeFile(dir.Path("beside.txt"), "plain");
  TVrFileCollection archive;
  archive.Open(dir.Path("game.dat"));
  EXPECT_EQ(Load(archive, "beside.txt"), testing::Bytes("plain"));
  EXPECT_THROW(Load(archive, "GAME.DAT"), EVrFileNotFound);
  try {
    Load(archive, "absent.png");
    FAIL();
  } catch (const EVrFileNotFound& error) {
    EXPECT_EQ(std::string(error.what()), "absent.png" + std::string(texts::kFileNotFoundFormat).substr(2));
  }
}

TEST(ArchiveLoader, CompressedMemberOfSizeZeroIsEmpty) {
  ArchivePlan plan;
  ArchiveMember member;
  member.name = "zero";
  member.stored = 0;
  plan.members.push_back(member);
  TempFolder dir;
  fixture::WriteWholeFile(dir.Path("game.dat"), fixture::BuildArchive(plan));
  TVrFileCollection archive;
  archive.Open(dir.Path("game.dat"));
  EXPECT_TRUE(Load(archive, "zero").empty());
}

TEST(ArchiveLoader, NonMemoryTargetsReceiveTheInflatedData) {
  ArchivePlan plan;
  plan.members.push_back(MakeMember("page.vsb", Pattern(5000), 1));
  TempFolder dir;
  fixture::WriteWholeFile(dir.Path("game.dat"), fixture::BuildArchive(plan));
  TVrFileCollection archive;
  archive.Open(dir.Path("game.dat"));
  {
    TFileStream out(dir.Path("out.bin"), FileMode::kCreate);
    archive.LoadToStream(out, "page.vsb");
    EXPECT_EQ(out.Position(), 0);
  }
  EXPECT_EQ(testing::ReadWholeFile(dir.Path("out.bin")), Pattern(5000));
}

// --- bad input ---------------------------------------------------------------------------------

struct DamageCase {
  const char* label;
  fixture::ArchiveDamage damage;
};

void PrintTo(const DamageCase& c, std::ostream* out) { *out << c.label; }

class BrokenDirectories : public ::testing::TestWithParam<DamageCase> {};

TEST_P(BrokenDirectories, RaiseAnErrorNamingTheArchive) {
  ArchivePlan plan;
  plan.members.push_back(MakeMember("one.txt", Pattern(100), 1));
  plan.members.push_back(MakeMember("two.txt", Pattern(200), 1));
  plan.damage = GetParam().damage;
  TempFolder dir;
  fixture::WriteWholeFile(dir.Path("broken.dat"), fixture::BuildArchive(plan));
  TVrFileCollection archive;
  try {
    archive.Open(dir.Path("broken.dat"));
    FAIL() << "opened";
  } catch (const EVrArchiveError& error) {
    EXPECT_NE(std::string(error.what()).find("broken.dat"), std::string::npos) << error.what();
  }
  EXPECT_EQ(archive.Count(), 0);
}

fixture::ArchiveDamage Truncated(std::size_t at) {
  fixture::ArchiveDamage damage;
  damage.truncate_at = at;
  return damage;
}
fixture::ArchiveDamage Counted(std::uint32_t count) {
  fixture::ArchiveDamage damage;
  damage.count = count;
  return damage;
}
fixture::ArchiveDamage NameLength(int member, std::uint32_t length) {
  fixture::ArchiveDamage damage;
  damage.name_length = std::pair<int, std::uint32_t>{member, length};
  return damage;
}
fixture::ArchiveDamage Offset(int member, std::uint64_t offset) {
  fixture::ArchiveDamage damage;
  damage.offset = std::pair<int, std::uint64_t>{member, offset};
  return damage;
}

INSTANTIATE_TEST_SUITE_P(
    Damage, BrokenDirectories,
    ::testing::Values(DamageCase{"empty_file", Truncated(0)}, DamageCase{"magic_only", Truncated(2)},
                      DamageCase{"in_count", Truncated(8)}, DamageCase{"in_names", Truncated(17)},
                      DamageCase{"in_offsets", Truncated(40)}, DamageCase{"in_tables", Truncated(60)},
                      DamageCase{"huge_count", Counted(0x7FFFFFFF)}, DamageCase{"count_plus_one", Counted(3)},
                      DamageCase{"huge_name", NameLength(1, 0xFFFFFFF0u)},
                      DamageCase{"offset_past_end", Offset(2, 1u << 20)},
                      DamageCase{"offset_overflow", Offset(0, ~0ull)}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(BrokenArchives, TrailerStartPastTheEndIsAnError) {
  ArchivePlan plan;
  plan.members.push_back(MakeMember("x", Pattern(10), 1));
  TempFolder dir;
  fixture::WriteWholeFile(dir.Path("p.exe"), fixture::AppendToExecutable(Noise(100), fixture::BuildArchive(plan), 1u << 30));
  TVrFileCollection archive;
  EXPECT_THROW(archive.Open(dir.Path("p.exe")), EVrArchiveError);
}

TEST(BrokenArchives, SwappedOffsetsRefuseOnlyTheMemberThatEndsBeforeItStarts) {
  ArchivePlan plan;
  plan.members.push_back(MakeMember("a", Pattern(100, 1), -1));
  plan.members.push_back(MakeMember("b", Pattern(100, 2), -1));
  plan.members.push_back(MakeMember("c", Pattern(100, 3), -1));
  plan.damage.swap_offsets = std::pair<int, int>{1, 2};  // b runs backwards; a and c take in b's bytes
  TempFolder dir;
  fixture::WriteWholeFile(dir.Path("game.dat"), fixture::BuildArchive(plan));
  TVrFileCollection archive;
  archive.Open(dir.Path("game.dat"));
  EXPECT_TRUE(archive.GetItem(1).broken_range);
  EXPECT_THROW(Load(archive, "b"), EVrArchiveError);
  EXPECT_THROW(archive.OpenRange("b"), EVrArchiveError);
  EXPECT_EQ(Load(archive, "a").size(), 200u);
  Bytes b_then_c = Pattern(100, 2);
  const Bytes c = Pattern(100, 3);
  b_then_c.insert(b_then_c.end(), c.begin(), c.end());
  EXPECT_EQ(Load(archive, "c"), b_then_c);
}

TEST(BrokenArchives, CorruptZlibNamesArchiveAndMemberAndHandsOutNothing) {
  ArchivePlan plan;
  plan.members.push_back(MakeMember("bad.vsb", Pattern(4000), 1));
  plan.members[0].stored_bytes.resize(plan.members[0].stored_bytes.size() / 2);
  plan.members.push_back(MakeMember("garbage.vsb", Pattern(10), 1));
  plan.members[1].stored_bytes = Noise(64);
  TempFolder dir;
  fixture::WriteWholeFile(dir.Path("game.dat"), fixture::BuildArchive(plan));
  TVrFileCollection archive;
  archive.Open(dir.Path("game.dat"));
  for (const char* name : {"bad.vsb", "garbage.vsb"}) {
    TMemoryStream out;
    try {
      archive.LoadToStream(out, name);
      FAIL() << name;
    } catch (const EVrArchiveError& error) {
      EXPECT_NE(std::string(error.what()).find("game.dat"), std::string::npos);
      EXPECT_NE(std::string(error.what()).find(name), std::string::npos);
    }
    EXPECT_EQ(out.Size(), 0);
  }
}

TEST(BrokenArchives, AFileThatShrankAfterMountingGivesAReadError) {
  ArchivePlan plan;
  plan.members.push_back(MakeMember("a", Pattern(100), -1));
  plan.members.push_back(MakeMember("b", Pattern(5000), -1));
  TempFolder dir;
  fixture::WriteWholeFile(dir.Path("game.dat"), fixture::BuildArchive(plan));
  TVrFileCollection archive;
  archive.Open(dir.Path("game.dat"));
  std::filesystem::resize_file(dir.Path("game.dat"), std::filesystem::file_size(dir.Path("game.dat")) - 1000);
  EXPECT_THROW(Load(archive, "b"), EVrArchiveError);
  EXPECT_EQ(Load(archive, "a"), Pattern(100));
}

// --- writer ------------------------------------------------------------------------------------

TEST(ArchiveWriter, CompressRuleForOwnData) {
  struct Case {
    std::size_t size;
    std::uint8_t stored;
  } cases[] = {{0, 0}, {1000, 0}, {0x4FFFFF, 0}, {0x500000, 1}};
  for (const auto& c : cases) {
    TVrFileCollection archive;
    TVrFile& member = archive.AddMemoryFile("mem");
    const Bytes data = Pattern(c.size);
    member.own_data->WriteBuffer(data.data(), data.size());
    TZkBigMemoryStream out;
    ASSERT_TRUE(archive.SaveToStream(out));
    EXPECT_EQ(member.stored, c.stored) << c.size;
    TVrFileCollection back;
    out.SetPosition(0);
    back.LoadDirectory(out);
    EXPECT_EQ(back.GetItem(0).stored, c.stored);
  }
}

TEST(ArchiveWriter, CompressRuleForPlainFiles) {
  TempFolder dir;
  struct Case {
    const char* name;
    Bytes data;
    std::uint8_t stored;
  } cases[] = {
      {"voice.wav", Pattern(1000), 1},      {"Voice.Ogg", Pattern(1000), 1},
      {"clip.mp", Pattern(1000), 1},        {"clip.m", Pattern(1000), 1},
      {"big.txt", Pattern(0x500000), 1},    {"small.txt", Pattern(0x4FFFFF), 0},
      {"noise.txt", Noise(20000), 1},       {"noext", Pattern(1000), 0},
      {"dir.v\\plain", Pattern(1000), 0},   {"page.vsb", Pattern(1000), 0},
      {"game.dat", Pattern(1000), 1},       {"picture.pel", Pattern(1000), 0},
  };
  std::filesystem::create_directories(dir.Path("dir.v"));
  TVrFileCollection archive;
  archive.Open(dir.Dir() + "source.dat", true);  // no such file: the folder is the source
  for (const auto& c : cases) {
    std::string host = c.name;
    for (char& ch : host) {
      if (ch == '\\') ch = '/';
    }
    fixture::WriteWholeFile(dir.Path(host), c.data);
    archive.Add(c.name);
  }
  TZkBigMemoryStream out;
  ASSERT_TRUE(archive.SaveToStream(out));
  fixture::WriteWholeFile(dir.Path("written.dat"), Bytes(out.Memory(), out.Memory() + out.Size()));
  TVrFileCollection back;
  back.Open(dir.Path("written.dat"));
  for (const auto& c : cases) {
    const TVrFile* member = back.FindFile(c.name);
    ASSERT_TRUE(member) << c.name;
    EXPECT_EQ(member->stored, c.stored) << c.name;
    EXPECT_EQ(Load(back, c.name), c.data) << c.name;
    EXPECT_NE(member->file_time, 0u);
  }
}

TEST(ArchiveWriter, RawLayeredImagesAreCompressedWhateverTheirSize) {
  SetPelkStreamIsRawProbe([](TStream&) { return true; });
  EXPECT_TRUE(ArchiveFileIsCompressible("x.PEL", 0x600000, nullptr) == false);
  TMemoryStream stream;
  EXPECT_TRUE(ArchiveFileIsCompressible("x.pel", 0x600000, &stream));
  EXPECT_FALSE(ArchiveFileIsCompressible("x.wav", 10, &stream));
  EXPECT_TRUE(ArchiveFileIsCompressible("x", 10, &stream));
  SetPelkStreamIsRawProbe({});
  EXPECT_FALSE(ArchiveFileIsCompressible("x.pel", 0x600000, &stream));
}

TEST(ArchiveWriter, RoundTripKeepsEveryFieldAndSkipsTheSentinelWhereverItStands) {
  ArchivePlan plan;
  plan.members.push_back(MakeMember("kept.txt", Pattern(3000), 9, 0x3C2A1234));
  plan.members.push_back(MakeMember("movie.mpg", Noise(0x500010), -1, 0x3C2A5678));
  TempFolder dir;
  fixture::WriteWholeFile(dir.Path("save.dat"), fixture::BuildArchive(plan));
  TVrFileCollection archive;
  archive.Open(dir.Path("save.dat"));
  TVrFile& added = archive.AddMemoryFile("added\\after.bin");
  added.own_data->WriteBuffer("after", 5);
  added.file_time = 0x12345678;
  added.crc_over_data = 1;
  TZkBigMemoryStream out;
  ASSERT_TRUE(archive.SaveToStream(out));
  out.SaveToFile(dir.Path("written.dat"));

  TVrFileCollection back;
  back.Open(dir.Path("written.dat"));
  ASSERT_EQ(back.Count(), 4);
  EXPECT_EQ(back.GetItem(2).Name(), "added\\after.bin");
  EXPECT_EQ(back.GetItem(3).Name(), "\\EOF\\");
  // A member re-written from the opened archive: time kept, CRC over the written bytes.
  EXPECT_EQ(back.GetItem(0).file_time, 0x3C2A1234u);
  EXPECT_EQ(back.GetItem(0).stored, 0);
  EXPECT_EQ(back.GetItem(0).crc_over_data, 0);
  EXPECT_EQ(back.GetItem(1).stored, 1);
  EXPECT_EQ(back.GetItem(2).file_time, 0x12345678u);
  EXPECT_EQ(back.GetItem(2).crc, fixture::Crc32(testing::Bytes("after")));
  EXPECT_EQ(Load(back, "kept.txt"), Pattern(3000));
  EXPECT_EQ(Load(back, "movie.mpg"), Noise(0x500010));
  EXPECT_EQ(Load(back, "added\\after.bin"), testing::Bytes("after"));

  int status = 0;
  const std::string listing = Python("read " + dir.Path("written.dat"), &status);
  EXPECT_EQ(status, 0) << listing;
  std::istringstream lines(listing);
  std::string name_hex;
  std::uint64_t size = 0;
  int stored = 0, flag = 0;
  std::uint32_t time = 0, crc = 0, data_crc = 0;
  int index = 0;
  while (lines >> name_hex >> size >> stored >> time >> crc >> flag >> data_crc) {
    const TVrFile& member = back.GetItem(index++);
    EXPECT_EQ(name_hex, Hex(member.Name()));
    EXPECT_EQ(size, member.size);
    EXPECT_EQ(stored, member.stored);
    EXPECT_EQ(time, member.file_time);
  }
  EXPECT_EQ(index, 3);
}

TEST(ArchiveWriter, ProgressEventCanCancel) {
  TVrFileCollection archive;
  archive.AddMemoryFile("a").own_data->WriteBuffer("1", 1);
  archive.AddMemoryFile("b").own_data->WriteBuffer("2", 1);
  std::vector<std::pair<int, std::int64_t>> calls;
  archive.SetProgressEvent([&](TVrFileCollection&, TVrFile&, bool& cancel, int count, int index, std::int64_t bytes) {
    EXPECT_EQ(count, 2);
    calls.emplace_back(index, bytes);
    cancel = calls.size() == 3;
  });
  TZkBigMemoryStream out;
  EXPECT_FALSE(archive.SaveToStream(out));
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], (std::pair<int, std::int64_t>{0, 0}));
  EXPECT_GT(calls[1].second, 0);
}

TEST(ArchiveWriter, PythonArchivesLoad) {
  TempFolder dir;
  int status = 0;
  Python("write " + dir.Path("py.dat") + " " + dir.Path("manifest.txt"), &status);
  ASSERT_EQ(status, 0);
  TVrFileCollection archive;
  archive.Open(dir.Path("py.dat"));
  const Bytes manifest_bytes = testing::ReadWholeFile(dir.Path("manifest.txt"));
  std::istringstream manifest(std::string(manifest_bytes.begin(), manifest_bytes.end()));
  std::string name_hex;
  int stored = 0;
  std::uint32_t crc = 0;
  std::size_t size = 0;
  int index = 0;
  while (manifest >> name_hex >> stored >> crc >> size) {
    const TVrFile& member = archive.GetItem(index++);
    EXPECT_EQ(Hex(member.Name()), name_hex);
    EXPECT_EQ(member.stored, stored);
    EXPECT_EQ(member.crc, crc);
    const Bytes data = Load(archive, member.Name());
    EXPECT_EQ(data.size(), size);
    EXPECT_EQ(fixture::Crc32(data), crc);
  }
  EXPECT_EQ(index, 5);
}

TEST(ArchiveCrc, MatchesPythonZlib) {
  const std::size_t sizes[] = {0, 1, (1u << 20) - 1, 1u << 20, (1u << 20) + 1};
  std::string args = "crc";
  for (auto size : sizes) args += " " + std::to_string(size);
  const std::string expected = Python(args);
  std::istringstream lines(expected);
  for (auto size : sizes) {
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 3);
    TMemoryStream stream(data);
    stream.SetPosition(size / 2);
    char text[16];
    std::snprintf(text, sizeof text, "%08x", ArchiveCRC(stream));
    std::string line;
    lines >> line;
    EXPECT_EQ(text, line) << size;
  }
}

TEST(ArchiveCrc, DosTimeMatchesPythonLocalTime) {
  TempFolder dir;
  testing::WriteWholeFile(dir.Path("f.txt"), "x");
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  // Nine hours east of UTC, as the player's users mostly are; Python inherits the setting.
  setenv("TZ", "JST-9", 1);
  const std::string expected = Python("dostime " + dir.Path("f.txt"));
  const std::uint32_t ours = DosFileTime(dir.Path("f.txt"));
  if (old) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  EXPECT_EQ(std::to_string(ours) + "\n", expected);
}

// --- resources ---------------------------------------------------------------------------------

TEST(ArchiveResources, SectionOfAnotherModule) {
  TempFolder dir;
  ArchivePlan plan;
  plan.members.push_back(MakeMember("vorn.vpb", Pattern(1234), 1));
  const std::string self = platform::SelfExecutablePath();
  ASSERT_TRUE(fixture::AddResourceSection(self, dir.Path("module"), ".res.BINTYPE.DUMMY", fixture::BuildArchive(plan)));
  TVrFileCollection archive;
  archive.OpenResource(dir.Path("module"), "DUMMY", "BINTYPE");
  ASSERT_EQ(archive.Count(), 2);
  EXPECT_EQ(archive.DataKind(), TArchiveDataKind::kResource);
  EXPECT_EQ(Load(archive, "vorn.vpb"), Pattern(1234));
  auto range = archive.OpenRange("vorn.vpb");
  ASSERT_TRUE(range);
  Bytes stored(static_cast<std::size_t>(range->Size()));
  range->ReadBuffer(stored.data(), stored.size());
  EXPECT_EQ(stored, plan.members[0].stored_bytes);

  try {
    archive.OpenResource(dir.Path("module"), "OTHER", "BINTYPE");
    FAIL();
  } catch (const EVrResourceNotFound& error) {
    EXPECT_EQ(std::string(error.what()), texts::kResourceNotFound);
  }
  testing::WriteWholeFile(dir.Path("not-a-module"), "plain text");
  archive.OpenResource(dir.Path("not-a-module"), "DUMMY", "BINTYPE");
  EXPECT_EQ(archive.Count(), 0);
}

// The running program's own archive (a section or a trailer) is found by identity: the test
// binary is copied, given an archive, and run again on the child test below.
TEST(ArchiveResources, OwnExecutableByIdentity) {
  TempFolder dir;
  ArchivePlan plan;
  plan.members.push_back(MakeMember("own.txt", testing::Bytes("own module"), 1));
  const Bytes archive_bytes = fixture::BuildArchive(plan);
  const std::string self = platform::SelfExecutablePath();
  ASSERT_TRUE(fixture::AddResourceSection(self, dir.Path("with-section"), ".res.BINTYPE.DUMMY", archive_bytes));
  fixture::WriteWholeFile(dir.Path("with-trailer"),
                          fixture::AppendToExecutable(testing::ReadWholeFile(self), archive_bytes));
  std::filesystem::permissions(dir.Path("with-trailer"), std::filesystem::perms::owner_all);
  for (const char* mode : {"section", "trailer"}) {
    const std::string binary = dir.Path(std::string("with-") + mode);
    int status = -1;
    const std::string output = RunCommand("VORN_OWN_ARCHIVE=" + std::string(mode) + " '" + binary +
                                       "' --gtest_filter=ArchiveResourcesChild.* 2>&1",
                                   &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
  }
}

TEST(ArchiveResourcesChild, OpensItsOwnArchive) {
  const char* mode = std::getenv("VORN_OWN_ARCHIVE");
  if (!mode) GTEST_SKIP() << "run by OwnExecutableByIdentity";
  const std::string self = platform::SelfExecutablePath();
  TVrFileCollection archive;
  if (std::string(mode) == "section") {
    archive.OpenResource(self, "DUMMY", "BINTYPE");
  } else {
    archive.Open(self);  // no ".exe", yet the trailer layout applies
  }
  ASSERT_EQ(archive.Count(), 2);
  EXPECT_EQ(Load(archive, "own.txt"), testing::Bytes("own module"));
}

}  // namespace
}  // namespace vorn
