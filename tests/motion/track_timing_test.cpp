#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "fixture/motion_fixture.h"
#include "foundation/stream.h"
#include "motion/custom_frame_list.h"
#include "motion/film_manager.h"
#include "support/motion/test_tracks.h"

namespace vorn {
namespace {

// A key frame of a given duration.
class TTimedFrame final : public TCustomFrame {
 public:
  TTimedFrame(TCustomFrameList& owner, std::int32_t duration) : TCustomFrame(owner), duration_(duration) {}
  std::int32_t GetDuration() const override { return duration_; }

 private:
  std::int32_t duration_;
};

class TPlainTrack final : public TCustomFrameList {
 public:
  using TCustomFrameList::TCustomFrameList;
};

TCustomFrameList& AddPlain(TFilmManager& film, std::int32_t start, std::int32_t length) {
  TCustomFrameList* track = film.AddTrack(std::make_unique<TPlainTrack>(film));
  track->SetStart(start);
  track->SetLength(length);
  return *track;
}

TEST(TrackTiming, AChildStartsWhereItsParentEnds) {
  TFilmManager film;
  TCustomFrameList& parent = AddPlain(film, 10, 20);
  TCustomFrameList& child = AddPlain(film, 99, 5);
  child.SetParent(&parent);
  EXPECT_EQ(child.GetStart(), 30);
  EXPECT_FALSE(child.IsActiveAt(29));
  EXPECT_TRUE(child.IsActiveAt(30));
  EXPECT_TRUE(child.IsActiveAt(34));
  EXPECT_FALSE(child.IsActiveAt(35));
  EXPECT_EQ(parent.GetFollower(), &child);
  EXPECT_EQ(child.GetFollower(), nullptr);
  // The cache follows a change of the parent's length.
  parent.SetLength(25);
  EXPECT_EQ(child.GetStart(), 35);
  // A parent that would close a cycle is refused.
  parent.SetParent(&child);
  EXPECT_EQ(parent.GetParent(), nullptr);
  child.SetParent(&child);
  EXPECT_EQ(child.GetParent(), nullptr);
}

TEST(TrackTiming, KeyIndexCyclesThroughTheDurationsWithinThePeriod) {
  TFilmManager film;
  TCustomFrameList& track = AddPlain(film, 100, 50);
  for (std::int32_t duration : {3, 2, 5}) track.AddFrame(std::make_unique<TTimedFrame>(track, duration));
  track.SetLoopPeriod(10);
  const int expected[] = {0, 0, 0, 1, 1, 2, 2, 2, 2, 2, 0, 0, 0, 1};
  for (int t = 0; t < 14; ++t) EXPECT_EQ(track.KeyIndexAt(100 + t), expected[t]) << t;
  // Before the start the remainder keeps its sign: every frame is passed at once... or none.
  EXPECT_EQ(track.KeyIndexAt(99), 0);
  track.SetLoopPeriod(100);
  EXPECT_EQ(track.KeyIndexAt(100 + 10), 2);  // all passed: the last
  track.SetLoopPeriod(0);                     // acts as 1
  EXPECT_EQ(track.KeyIndexAt(100 + 7), 0);
  track.SetLoopPeriod(-4);
  EXPECT_EQ(track.KeyIndexAt(100 + 7), 0);
  track.ClearFrames();
  EXPECT_EQ(track.KeyIndexAt(100), -1);
  EXPECT_EQ(track.GetLength(), 0);
}

struct InterpolateCase {
  const char* name;
  std::uint8_t mode;
  std::int32_t from;
  std::int32_t to;
  std::int32_t length;
  bool follower;
  std::vector<std::int32_t> values;
};

double EaseIn(double from, double to, int i, int n) {
  return to - std::nearbyint((to - from) * std::sin((n - 1 - i) * 1.5707963267948966 / n));
}

TEST(TrackTiming, InterpolateTable) {
  const std::vector<std::int32_t> ease_in = {0,
                                             static_cast<std::int32_t>(EaseIn(0, 100, 1, 5)),
                                             static_cast<std::int32_t>(EaseIn(0, 100, 2, 5)),
                                             static_cast<std::int32_t>(EaseIn(0, 100, 3, 5)), 100};
  const InterpolateCase cases[] = {
      {"linear", 0, 0, 100, 5, false, {0, 25, 50, 75, 100}},
      {"linear with a follower", 0, 0, 100, 5, true, {0, 20, 40, 60, 80}},
      {"ease out", 2, 0, 100, 5, false, {0, 31, 59, 81, 100}},
      {"other modes ease out", 7, 0, 100, 5, false, {0, 31, 59, 81, 100}},
      {"ease in", 1, 0, 100, 5, false, ease_in},
      {"linear downwards truncates toward zero", 0, 10, -10, 4, false, {10, 4, -3, -10}},
      {"linear from 100", 0, 100, 200, 5, false, {100, 125, 150, 175, 200}},
  };
  EXPECT_EQ(ease_in, (std::vector<std::int32_t>{0, 19, 41, 69, 100}));
  for (const InterpolateCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFilmManager film;
    TCustomFrameList& track = AddPlain(film, 0, c.length);
    if (c.follower) AddPlain(film, 0, 1).SetParent(&track);
    std::vector<std::int32_t> values;
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      values.push_back(track.Interpolate(c.mode, c.from, c.to, static_cast<std::int64_t>(i), c.length));
    }
    EXPECT_EQ(values, c.values);
  }
}

TEST(TrackTiming, InterpolateFloatDividesByTheLengthAndDoesNotRound) {
  TFilmManager film;
  TCustomFrameList& track = AddPlain(film, 0, 4);
  EXPECT_DOUBLE_EQ(track.InterpolateFloat(0, 0, 1.0, 2.0, 4), 1.0);
  EXPECT_DOUBLE_EQ(track.InterpolateFloat(0, 1, 1.0, 2.0, 4), 1.25);
  EXPECT_DOUBLE_EQ(track.InterpolateFloat(0, 2, 1.0, 2.0, 4), 1.5);
  EXPECT_DOUBLE_EQ(track.InterpolateFloat(0, 3, 1.0, 2.0, 4), 2.0);
  EXPECT_DOUBLE_EQ(track.InterpolateFloat(2, 1, 0.0, 1.0, 4), std::sin(1.5707963267948966 / 4));
  EXPECT_DOUBLE_EQ(track.InterpolateFloat(1, 1, 0.0, 1.0, 4), 1.0 - std::sin(2 * 1.5707963267948966 / 4));
}

TEST(TrackTiming, InterpolateSurvivesDegenerateAndExtremeInput) {
  TFilmManager film;
  TCustomFrameList& track = AddPlain(film, 0, 1);
  EXPECT_EQ(track.Interpolate(0, 5, 9, 3, 1), 9);
  EXPECT_EQ(track.Interpolate(2, 5, 9, 3, 0), 9);
  // Reference values from Python's integers and math.sin.
  EXPECT_EQ(track.Interpolate(0, INT32_MIN, INT32_MAX, INT32_MAX - 2LL, INT32_MAX), 2147483644);
  EXPECT_EQ(track.Interpolate(1, INT32_MAX, INT32_MIN, 1, INT32_MAX), 2147483647);
}

TEST(TrackTiming, EndpointsShiftOnlyInDirectModeOfARelativeFilm) {
  TFilmManager film;
  auto* track = static_cast<testing::TTestBoxTrack*>(film.AddTrack(std::make_unique<testing::TTestBoxTrack>(film)));
  track->SetFromPosition(TPoint{10, 20});
  track->SetToPosition(TPoint{30, 40});
  film.SetOrigin(TPoint{5, 5});
  film.SetBasePoint(TPoint{100, 200});
  TPoint from;
  TPoint to;
  film.SetRelative(true);
  track->GetEndpoints(from, to);
  EXPECT_EQ(from, (TPoint{10, 20}));
  film.SetDirect(true);
  track->GetEndpoints(from, to);
  EXPECT_EQ(from, (TPoint{105, 215}));
  EXPECT_EQ(to, (TPoint{125, 235}));
  film.SetRelative(false);
  track->GetEndpoints(from, to);
  EXPECT_EQ(to, (TPoint{30, 40}));
}

TEST(TrackTiming, BaseDefaults) {
  TFilmManager film;
  TCustomFrameList& track = AddPlain(film, 0, 1);
  EXPECT_EQ(track.GetEditMask(), (TEditMask{0, 0, 0}));
  EXPECT_EQ(track.GetFromZoomX(), 1.0);
  EXPECT_EQ(track.GetFontColor(), 0xFFFFFF);
  EXPECT_EQ(track.GetFontHeight(), 12);
  EXPECT_EQ(track.GetLineSpace(), 12);
  EXPECT_EQ(track.GetWidth(), 0);
  EXPECT_EQ(track.GetFromWidth(), 0);
  EXPECT_FALSE(track.DrawAt(0));
  EXPECT_EQ(track.GetComponent(), nullptr);
  TCustomFrame frame(track);
  EXPECT_EQ(frame.GetDuration(), 1);
  EXPECT_EQ(frame.GetOffset(), (TPoint{}));
}

TEST(TrackTiming, ALongChainLoadsPlaysAndFreesWithoutDeepRecursion) {
  testing::TScopedTestTracks tracks;
  constexpr int kTracks = 10000;
  fixture::MotionFixture file;
  file.tracks.assign(kTracks, testing::BoxFixtureTrack());
  for (int i = 0; i < kTracks; ++i) {
    file.tracks[static_cast<std::size_t>(i)].parent = i - 1;
    file.tracks[static_cast<std::size_t>(i)].length = 3;
  }
  TMemoryStream stream(fixture::WriteMotionFixture(file));
  auto film = std::make_unique<TFilmManager>();
  film->LoadFromStream(stream, "chain.vmn");
  EXPECT_EQ(film->GetLength(), 3 * kTracks);
  EXPECT_EQ(film->GetTrack(kTracks - 1)->GetStart(), 3 * (kTracks - 1));
  film->SetTime(100);
  film.reset();
}

}  // namespace
}  // namespace vorn
