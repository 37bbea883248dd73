#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/script_files.h"
#include "fixture/motion_fixture.h"
#include "foundation/log_line.h"
#include "foundation/stream.h"
#include "foundation/vr_errors.h"
#include "motion/film_errors.h"
#include "motion/film_manager.h"
#include "support/motion/hex_bytes.h"
#include "support/motion/test_tracks.h"

namespace vorn {
namespace {

using testing::Hex;
using Bytes = std::vector<std::uint8_t>;

// One box track: parent -1, length 20, reserved 7, start 10, period 4, priority 3, flips 1 0 1,
// from (1, 2) to (3, 4), mode 2.
const char kBoxTrackRecord[] = R"(
  02                # type: box
  FF FF FF FF       # parent -1
  14 00 00 00       # length 20
  07 00 00 00       # reserved 7
  0A 00 00 00       # start 10
  04 00 00 00       # loop period 4
  03 00 00 00       # priority 3
  01                # flip h
  00                # flip v
  01                # other page
  01 00 00 00 02 00 00 00   # from (1, 2)
  03 00 00 00 04 00 00 00   # to (3, 4)
  02                # x mode
)";

const char kV100[] = R"(
  56 6F 72 6E 43 69 6E 65 6D 61   # "VornCinema"
  31 30 30                        # "100"
  80 02 00 00       # width 640
  E0 01 00 00       # height 480
  FF 00 00 00       # colour 0xFF
  01 00 00 00       # 1 track
)";
const char kV101[] = R"(
  56 6F 72 6E 43 69 6E 65 6D 61   # "VornCinema"
  31 30 31                        # "101": still no relative byte
  80 02 00 00       # width 640
  E0 01 00 00       # height 480
  FF 00 00 00       # colour 0xFF
  01 00 00 00       # 1 track
)";
const char kV102[] = R"(
  56 6F 72 6E 43 69 6E 65 6D 61   # "VornCinema"
  31 30 32                        # "102"
  80 02 00 00       # width 640
  E0 01 00 00       # height 480
  FF 00 00 00       # colour 0xFF
  01                # relative
  01 00 00 00       # 1 track
)";
const char kV104[] = R"(
  56 6F 72 6E 43 69 6E 65 6D 61   # "VornCinema"
  31 30 34                        # "104"
  80 02 00 00       # width 640
  E0 01 00 00       # height 480
  FF 00 00 00       # colour 0xFF
  01                # relative
  05 00 00 00       # origin x 5
  06 00 00 00       # origin y 6
  01 00 00 00       # 1 track
)";
const char kV106[] = R"(
  56 6F 72 6E 43 69 6E 65 6D 61   # "VornCinema"
  31 30 36                        # "106": loop start and track times count 1/30 s
  80 02 00 00       # width 640
  E0 01 00 00       # height 480
  FF 00 00 00       # colour 0xFF
  01                # relative
  05 00 00 00       # origin x 5
  06 00 00 00       # origin y 6
  0F 00 00 00       # loop start 15
  01 00 00 00       # 1 track
)";
const char kV107[] = R"(
  56 6F 72 6E 43 69 6E 65 6D 61   # "VornCinema"
  31 30 37                        # "107"
  80 02 00 00       # width 640
  E0 01 00 00       # height 480
  FF 00 00 00       # colour 0xFF
  01                # relative
  05 00 00 00       # origin x 5
  06 00 00 00       # origin y 6
  0F 00 00 00       # loop start 15
  01 00 00 00       # 1 track
)";
const char kV108Motion[] = R"(
  56 6F 72 6E 4D 6F 74 69 6F 6E   # "VornMotion"
  31 30 38                        # "108"
  80 02 00 00       # width 640
  E0 01 00 00       # height 480
  FF 00 00 00       # colour 0xFF
  01                # relative
  05 00 00 00       # origin x 5
  06 00 00 00       # origin y 6
  0F 00 00 00       # loop start 15
  01 00 00 00       # 1 track
)";

Bytes Film(const char* head, const char* tracks = kBoxTrackRecord) { return Hex(std::string(head) + tracks); }

void Load(TFilmManager& film, const Bytes& bytes, const std::string& name = "C:\\game\\walk.vmn") {
  TMemoryStream stream(bytes);
  film.LoadFromStream(stream, name);
}

struct HeadCase {
  const char* name;
  const char* bytes;
  std::uint8_t kind;
  bool relative;
  TPoint origin;
  std::int32_t loop_start;
  bool doubled;  // track start, length and period
};

TEST(FilmFile, EveryVersionReadsTheFieldsItHas) {
  testing::TScopedTestTracks tracks;
  const HeadCase cases[] = {
      {"v100", kV100, 0, false, {0, 0}, 0, true},       {"v101", kV101, 0, false, {0, 0}, 0, true},
      {"v102", kV102, 0, true, {0, 0}, 0, true},        {"v104", kV104, 0, true, {5, 6}, 0, true},
      {"v106", kV106, 0, true, {5, 6}, 30, true},       {"v107", kV107, 0, true, {5, 6}, 15, false},
      {"v108 VornMotion", kV108Motion, 1, true, {5, 6}, 15, false},
  };
  for (const HeadCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFilmManager film;
    Load(film, Film(c.bytes));
    EXPECT_EQ(film.GetKind(), c.kind);
    EXPECT_EQ(film.GetWidth(), 640);
    EXPECT_EQ(film.GetHeight(), 480);
    EXPECT_EQ(film.GetColor(), 0xFF);
    EXPECT_EQ(film.GetRelative(), c.relative);
    EXPECT_EQ(film.GetOrigin(), c.origin);
    EXPECT_EQ(film.GetLoopStart(), c.loop_start);
    EXPECT_EQ(film.GetFolder(), "C:\\game\\");
    ASSERT_EQ(film.TrackCount(), 1);
    const TCustomFrameList& track = *film.GetTrack(0);
    const std::int32_t scale = c.doubled ? 2 : 1;
    EXPECT_EQ(track.GetOwnStart(), 10 * scale);
    EXPECT_EQ(track.GetLength(), 20 * scale);
    EXPECT_EQ(track.GetLoopPeriod(), 4 * scale);
    EXPECT_EQ(track.GetReserved(), 7);  // never doubled
    EXPECT_EQ(track.GetPriority(), 3);  // never doubled
    EXPECT_TRUE(track.GetFlipH());
    EXPECT_FALSE(track.GetFlipV());
    EXPECT_TRUE(track.GetOtherPage());
    EXPECT_EQ(track.GetParent(), nullptr);
    EXPECT_EQ(track.GetFromPosition(), (TPoint{1, 2}));
    EXPECT_EQ(track.GetToPosition(), (TPoint{3, 4}));
    EXPECT_EQ(film.GetLength(), 30 * scale);
  }
}

TEST(FilmFile, BothTagsLoadAlike) {
  testing::TScopedTestTracks tracks;
  Bytes cinema = Film(kV108Motion);
  const std::string tag = "VornCinema";
  std::copy(tag.begin(), tag.end(), cinema.begin());
  TFilmManager a;
  TFilmManager b;
  Load(a, cinema);
  Load(b, Film(kV108Motion));
  EXPECT_EQ(a.GetKind(), 0);
  EXPECT_EQ(b.GetKind(), 1);
  TMemoryStream saved_a;
  TMemoryStream saved_b;
  a.SaveToStream(saved_a);
  b.SaveToStream(saved_b);
  EXPECT_EQ(Bytes(saved_a.Bytes().begin() + 10, saved_a.Bytes().end()),
            Bytes(saved_b.Bytes().begin() + 10, saved_b.Bytes().end()));
}

TEST(FilmFile, AForeignHeadLeavesTheFilmEmptyAndLogs) {
  testing::TScopedTestTracks tracks;
  std::vector<std::string> lines;
  ScopedLogListener listener([&](std::string_view line) { lines.emplace_back(line); });
  SetLogToStderr(false);
  const Bytes heads[] = {Hex("56 6F 72 6E 46 69 6C 6D 30 30 31 30 38"),  // "VornFilm00108"
                         Hex("56 6F 72 6E 43 69 6E 65 6D"),              // 9 bytes of the tag
                         Bytes{}};
  for (const Bytes& head : heads) {
    TFilmManager film;
    Load(film, Film(kV108Motion));
    ASSERT_NO_THROW(Load(film, head));
    EXPECT_EQ(film.TrackCount(), 0);
    EXPECT_EQ(film.GetLength(), 0);
  }
  SetLogToStderr(true);
  EXPECT_EQ(lines.size(), 3u);
}

TEST(FilmFile, BadVersionDigitsRaiseNamingTheFileAndClear) {
  testing::TScopedTestTracks tracks;
  const char* versions[] = {"10x", " 99", "+99", "1", ""};
  for (const char* version : versions) {
    fixture::MotionFixture file;
    file.version = version;
    TFilmManager film;
    Load(film, Film(kV107));
    ASSERT_EQ(film.TrackCount(), 1);
    try {
      Load(film, fixture::WriteMotionFixture(file), "odd.vmn");
      ADD_FAILURE() << version;
    } catch (const EFilmError& error) {
      EXPECT_NE(std::string(error.what()).find("odd.vmn"), std::string::npos);
    }
    EXPECT_EQ(film.TrackCount(), 0);
    EXPECT_EQ(film.GetRelative(), false);
  }
}

TEST(FilmFile, AFileCutInsideTheLastFieldLoadsAndTheFieldKeepsItsValue) {
  testing::TScopedTestTracks tracks;
  std::vector<std::string> lines;
  ScopedLogListener listener([&](std::string_view line) { lines.emplace_back(line); });
  SetLogToStderr(false);
  Bytes bytes = Film(kV107);
  bytes.pop_back();  // the mode byte is gone
  bytes.pop_back();  // and the to y is cut after three bytes
  TFilmManager film;
  ASSERT_NO_THROW(Load(film, bytes));
  SetLogToStderr(true);
  ASSERT_EQ(film.TrackCount(), 1);
  EXPECT_EQ(film.GetTrack(0)->GetToPosition(), (TPoint{3, 0}));
  EXPECT_EQ(film.GetTrack(0)->GetXMode(), 0);
  EXPECT_EQ(film.GetLength(), 30);
  EXPECT_EQ(lines.size(), 1u);
}

TEST(FilmFile, OnlyTheLowSevenBitsOfTheTypeCount) {
  testing::TScopedTestTracks tracks;
  Bytes bytes = Film(kV107);
  bytes[bytes.size() - 45] = 0x82;  // the type byte of the only track
  TFilmManager film;
  Load(film, bytes);
  ASSERT_EQ(film.TrackCount(), 1);
  EXPECT_EQ(film.GetTrack(0)->GetTypeId(), kBoxTrack);
}

TEST(FilmFile, ATypeWithoutAClassRaisesNamingFileAndType) {
  testing::TScopedTestTracks tracks;
  for (const std::uint8_t type : {std::uint8_t{8}, std::uint8_t{127}, std::uint8_t{0x88}, std::uint8_t{0}}) {
    Bytes bytes = Film(kV107);
    bytes[bytes.size() - 45] = type;
    TFilmManager film;
    try {
      Load(film, bytes, "bad.vmn");
      ADD_FAILURE() << int{type};
    } catch (const EFilmError& error) {
      const std::string text = error.what();
      EXPECT_NE(text.find("bad.vmn"), std::string::npos);
      EXPECT_NE(text.find(std::to_string(type & 0x7F)), std::string::npos);
    }
    EXPECT_EQ(film.TrackCount(), 0);
  }
}

TEST(FilmFile, ATrackCountTheBytesCannotHoldIsRefused) {
  testing::TScopedTestTracks tracks;
  fixture::MotionFixture file;
  file.trackCountStored = 0x7FFFFFFF;
  TFilmManager film;
  EXPECT_THROW(Load(film, fixture::WriteMotionFixture(file), "huge.vmn"), EFilmError);
  EXPECT_EQ(film.TrackCount(), 0);
  // A count its records fill exactly is never refused.
  fixture::MotionFixture fits;
  fits.tracks.assign(3, testing::BoxFixtureTrack());
  EXPECT_NO_THROW(Load(film, fixture::WriteMotionFixture(fits)));
  EXPECT_EQ(film.TrackCount(), 3);
}

TEST(FilmFile, ParentsOutsideTheListOnThemselvesOrClosingACycleAreNone) {
  testing::TScopedTestTracks tracks;
  fixture::MotionFixture file;
  file.tracks.assign(7, testing::BoxFixtureTrack());
  file.tracks[0].parent = 2;   // 0 -> 2 -> 1 -> 0: 2 closes it, being latest in the list
  file.tracks[1].parent = 0;
  file.tracks[2].parent = 1;
  file.tracks[3].parent = 3;   // itself
  file.tracks[4].parent = 7;   // past the end
  file.tracks[5].parent = -5;  // negative
  file.tracks[6].parent = 2;   // fine
  for (auto& track : file.tracks) track.length = 10;
  TFilmManager film;
  Load(film, fixture::WriteMotionFixture(file));
  ASSERT_EQ(film.TrackCount(), 7);
  EXPECT_EQ(film.GetTrack(0)->GetParent(), film.GetTrack(2));
  EXPECT_EQ(film.GetTrack(1)->GetParent(), film.GetTrack(0));
  EXPECT_EQ(film.GetTrack(2)->GetParent(), nullptr);
  EXPECT_EQ(film.GetTrack(3)->GetParent(), nullptr);
  EXPECT_EQ(film.GetTrack(4)->GetParent(), nullptr);
  EXPECT_EQ(film.GetTrack(5)->GetParent(), nullptr);
  EXPECT_EQ(film.GetTrack(6)->GetParent(), film.GetTrack(2));
  EXPECT_EQ(film.GetTrack(1)->GetStart(), 20);
  EXPECT_EQ(film.GetLength(), 30);
}

TEST(FilmFile, TheWriterWritesTheCommonRecordAsTheHandWrittenBytes) {
  testing::TScopedTestTracks tracks;
  TFilmManager film;
  Load(film, Film(kV108Motion));
  TMemoryStream saved;
  film.SaveToStream(saved);
  EXPECT_EQ(saved.Bytes(), Film(kV108Motion));
  // A parent is written as its index; old films are written without doubling.
  fixture::MotionFixture file;
  file.version = "105";
  file.tracks.assign(2, testing::BoxFixtureTrack());
  file.tracks[1].parent = 0;
  file.tracks[1].start = 9;
  file.tracks[1].length = 4;
  TFilmManager old;
  Load(old, fixture::WriteMotionFixture(file));
  TMemoryStream written;
  old.GetTrack(1)->SaveToStream(written, old.GetFolder());
  const Bytes expected = Hex(R"(
    00 00 00 00   # parent 0
    08 00 00 00   # length 8 (4 doubled on reading)
    00 00 00 00   # reserved
    12 00 00 00   # own start 18
    00 00 00 00   # period
    00 00 00 00   # priority
    00 00 00      # flips, other page
    00 00 00 00 00 00 00 00   # from: the parent's to position
    00 00 00 00 00 00 00 00   # to
    00            # mode
  )");
  EXPECT_EQ(written.Bytes(), expected);
}

TEST(FilmFile, EachLoadComputesTheLengthAfresh) {
  testing::TScopedTestTracks tracks;
  fixture::MotionFixture longer;
  longer.tracks.assign(1, testing::BoxFixtureTrack());
  longer.tracks[0].length = 100;
  fixture::MotionFixture shorter = longer;
  shorter.tracks[0].length = 40;
  TFilmManager film;
  Load(film, fixture::WriteMotionFixture(longer));
  EXPECT_EQ(film.GetLength(), 100);
  Load(film, fixture::WriteMotionFixture(shorter));
  EXPECT_EQ(film.GetLength(), 40);
  Load(film, fixture::WriteMotionFixture(fixture::MotionFixture{}));
  EXPECT_EQ(film.GetLength(), 0);
}

TEST(FilmFile, TheFolderEndsAtTheLastDelimiterThatIsNoTrailByte) {
  TFilmManager film;
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\a\\b.vmn", "C:\\a\\"},
      {"b.vmn", ""},
      {"\x83\x5C.vmn", ""},                 // ソ.vmn
      {"x\\\x83\x5C\\y.vmn", "x\\\x83\x5C\\"},  // x\ソ\y.vmn
  };
  for (const auto& [name, folder] : cases) {
    Load(film, fixture::WriteMotionFixture(fixture::MotionFixture{}), name);
    EXPECT_EQ(film.GetFolder(), folder) << name;
  }
}

TEST(FilmFile, LoadFromFileReadsThroughTheScriptFiles) {
  testing::TScopedTestTracks tracks;
  TMemoryScriptFiles files;
  TScriptFiles* previous = SetScriptFiles(&files);
  files.files["walk.vmn"] = Film(kV107);
  TFilmManager film;
  film.LoadFromFile("walk.vmn");
  EXPECT_EQ(film.TrackCount(), 1);
  // A missing file raises the file system's error and leaves the film as it was.
  EXPECT_THROW(film.LoadFromFile("gone.vmn"), Exception);
  EXPECT_EQ(film.TrackCount(), 1);
  SetScriptFiles(previous);
}

TEST(FilmFile, CreationDefaults) {
  TFilmManager film;
  EXPECT_EQ(film.GetCurrentTime(), 0);
  EXPECT_EQ(film.GetColor(), -1);
  EXPECT_EQ(film.GetVolume(), 1000);
  EXPECT_TRUE(film.GetSoundEnabled());
  EXPECT_EQ(film.GetTrack(0), nullptr);
  EXPECT_EQ(film.GetTrack(-1), nullptr);
}

TEST(FilmFile, ExtremeTimesWrapAndNeverOverflow) {
  testing::TScopedTestTracks tracks;
  fixture::MotionFixture file;
  file.version = "106";
  file.loopStart = INT32_MAX;
  file.tracks.assign(3, testing::BoxFixtureTrack());
  file.tracks[0].start = INT32_MAX;
  file.tracks[0].length = INT32_MAX;
  file.tracks[0].loopPeriod = INT32_MIN;
  file.tracks[1].parent = 0;
  file.tracks[1].length = INT32_MAX;
  file.tracks[2].start = INT32_MIN;
  file.tracks[2].length = INT32_MIN;
  TFilmManager film;
  Load(film, fixture::WriteMotionFixture(file));
  EXPECT_EQ(film.GetLoopStart(), -2);  // doubled with two's-complement wrap
  EXPECT_EQ(film.GetTrack(0)->GetOwnStart(), -2);
  EXPECT_EQ(film.GetTrack(0)->GetLoopPeriod(), 0);
  for (std::int32_t t : {INT32_MIN, -1, 0, 1, INT32_MAX}) {
    film.SetTime(t);
    EXPECT_GE(film.GetTrack(0)->KeyIndexAt(t), 0);
  }
}

TEST(FilmFile, VersionsOutsideTheKnownRangeLoadByTheSameRulesAndLog) {
  testing::TScopedTestTracks tracks;
  std::vector<std::string> lines;
  ScopedLogListener listener([&](std::string_view line) { lines.emplace_back(line); });
  SetLogToStderr(false);
  for (const char* version : {"099", "109", "999"}) {
    fixture::MotionFixture file;
    file.version = version;
    file.relative = 1;
    file.loopStart = 6;
    file.tracks = {testing::BoxFixtureTrack(10)};
    TFilmManager film;
    Load(film, fixture::WriteMotionFixture(file));
    const bool newer = std::string(version) > "108";
    EXPECT_EQ(film.GetRelative(), newer) << version;
    EXPECT_EQ(film.GetLoopStart(), newer ? 6 : 0) << version;
    EXPECT_EQ(film.GetLength(), newer ? 10 : 20) << version;
  }
  SetLogToStderr(true);
  EXPECT_EQ(lines.size(), 3u);
}

TEST(FilmFile, TheFixtureWriterWritesTheHandWrittenBytes) {
  fixture::MotionFixture file;
  file.version = "107";
  file.width = 640;
  file.height = 480;
  file.color = 0xFF;
  file.relative = 1;
  file.originX = 5;
  file.originY = 6;
  file.loopStart = 15;
  fixture::MotionFixtureTrack track = testing::BoxFixtureTrack(20, -1, TPoint{1, 2}, TPoint{3, 4}, 2);
  track.reserved = 7;
  track.start = 10;
  track.loopPeriod = 4;
  track.priority = 3;
  track.flipH = 1;
  track.otherPage = 1;
  file.tracks = {track};
  const Bytes expected = Film(kV107);
  EXPECT_EQ(fixture::WriteMotionFixture(file), expected);
  file.truncateAt = 20;
  EXPECT_EQ(fixture::WriteMotionFixture(file), Bytes(expected.begin(), expected.begin() + 20));
}

}  // namespace
}  // namespace vorn
