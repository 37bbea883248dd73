// The moving kinds checked by the calls they make on a recording target (copy = DrawRect without
// key or flip, stretch = StretchDraw at 255), with positions worked by hand from the formulas.
#include "transitions/moving_wipes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/run_time_random.h"
#include "foundation/vocabulary_codes.h"
#include "transitions/create_wipe.h"
#include "transitions/wipe_test_util.h"

namespace vorn {
namespace {

using test::CallScript;
using test::WipePages;
using Calls = std::vector<std::string>;

// The drawing calls of one step at time t of total.
Calls StepCalls(std::uint8_t kind, int width, int height, std::uint8_t direction, std::int32_t t,
                std::int32_t total) {
  WipePages pages(width, height, 32);
  std::unique_ptr<TCustomWipe> wipe = CreateWipe(kind, pages.target, pages.from, pages.to);
  wipe->SetDirection(direction);
  wipe->Total = total;
  wipe->Prepare();
  wipe->Current = t;
  CallScript script(pages.from, pages.to);
  EXPECT_FALSE(wipe->Draw());
  EXPECT_EQ(pages.target.Count("AddDirtyRect"), 1);
  return script.Take(pages.target);
}

struct CallCase {
  const char* name;
  std::uint8_t kind;
  int width, height;
  std::uint8_t direction;
  std::int32_t t, total;
  Calls calls;
};

// Scroll, W = 640, T = 1000: d = 640 × 250 / 1000 = 160 (H: 480 × 250 / 1000 = 120).
// Sudare and rubber, T = 1279 so that b = (2W − 1) × t / T = t. Sudare at b = 100: c = 539,
// g = 101. Rubber at t = 100: m = |100 − 639.5| / 639.5 = 0.8436, s = round(m × 100 / 2) = 42
// (direction 1: round(m × 101 / 2) = 43).
const CallCase kSlideCases[] = {
    {"scroll left", WP_SCROLLH, 640, 480, 0, 250, 1000,
     {"DrawRect from -160,0 src 0,0,640,480 key 0 flip 0,0", "DrawRect to 480,0 src 0,0,640,480 key 0 flip 0,0"}},
    {"scroll right", WP_SCROLLH, 640, 480, 1, 250, 1000,
     {"DrawRect from 160,0 src 0,0,640,480 key 0 flip 0,0", "DrawRect to -480,0 src 0,0,640,480 key 0 flip 0,0"}},
    {"scroll direction 2", WP_SCROLLH, 640, 480, 2, 250, 1000,
     {"DrawRect from -160,0 src 0,0,640,480 key 0 flip 0,0", "DrawRect to 480,0 src 0,0,640,480 key 0 flip 0,0"}},
    {"scroll start", WP_SCROLLH, 640, 480, 0, 0, 1000,
     {"DrawRect from 0,0 src 0,0,640,480 key 0 flip 0,0", "DrawRect to 640,0 src 0,0,640,480 key 0 flip 0,0"}},
    {"scroll up", WP_SCROLLV, 640, 480, 0, 250, 1000,
     {"DrawRect from 0,-120 src 0,0,640,480 key 0 flip 0,0", "DrawRect to 0,360 src 0,0,640,480 key 0 flip 0,0"}},
    {"scroll down", WP_SCROLLV, 640, 480, 1, 250, 1000,
     {"DrawRect from 0,120 src 0,0,640,480 key 0 flip 0,0", "DrawRect to 0,-360 src 0,0,640,480 key 0 flip 0,0"}},
    {"sudare last column of from", WP_SUDAREH, 640, 4, 0, 639, 1279,
     {"StretchDraw from 0,0,640,4 src 639,0,640,4 key 0 flip 0,0 opacity 255"}},
    {"sudare last column of to", WP_SUDAREH, 640, 4, 0, 640, 1279,
     {"StretchDraw to 0,0,640,4 src 639,0,640,4 key 0 flip 0,0 opacity 255"}},
    {"sudare b 100", WP_SUDAREH, 640, 4, 0, 100, 1279,
     {"StretchDraw from 0,0,101,4 src 100,0,101,4 key 0 flip 0,0 opacity 255",
      "DrawRect from 101,0 src 101,0,640,4 key 0 flip 0,0"}},
    {"sudare b 100 reversed", WP_SUDAREH, 640, 4, 1, 100, 1279,
     {"StretchDraw from 539,0,640,4 src 539,0,540,4 key 0 flip 0,0 opacity 255",
      "DrawRect from 0,0 src 0,0,539,4 key 0 flip 0,0"}},
    {"sudare rows", WP_SUDAREV, 4, 640, 0, 100, 1279,
     {"StretchDraw from 0,0,4,101 src 0,100,4,101 key 0 flip 0,0 opacity 255",
      "DrawRect from 0,101 src 0,101,4,640 key 0 flip 0,0"}},
    {"sudare rows second half", WP_SUDAREV, 4, 640, 1, 1000, 1279,
     {"StretchDraw to 0,360,4,640 src 0,360,4,361 key 0 flip 0,0 opacity 255",
      "DrawRect to 0,0 src 0,0,4,360 key 0 flip 0,0"}},
    {"rubber t 100", WP_RUBBERH, 640, 4, 0, 100, 1279,
     {"StretchDraw from 0,0,101,4 src 58,0,100,4 key 0 flip 0,0 opacity 255",
      "DrawRect from 101,0 src 101,0,640,4 key 0 flip 0,0"}},
    {"rubber t 100 reversed", WP_RUBBERH, 640, 4, 1, 100, 1279,
     {"StretchDraw from 539,0,640,4 src 539,0,582,4 key 0 flip 0,0 opacity 255",
      "DrawRect from 0,0 src 0,0,539,4 key 0 flip 0,0"}},
    {"rubber midpoint", WP_RUBBERH, 640, 4, 0, 639, 1279,
     {"StretchDraw from 0,0,640,4 src 638,0,639,4 key 0 flip 0,0 opacity 255"}},
    {"rubber just past the midpoint", WP_RUBBERH, 640, 4, 0, 641, 1279,
     {"StretchDraw to 0,0,639,4 src 637,0,638,4 key 0 flip 0,0 opacity 255",
      "DrawRect to 639,0 src 639,0,640,4 key 0 flip 0,0"}},
    {"rubber rows", WP_RUBBERV, 4, 640, 0, 100, 1279,
     {"StretchDraw from 0,0,4,101 src 0,58,4,100 key 0 flip 0,0 opacity 255",
      "DrawRect from 0,101 src 0,101,4,640 key 0 flip 0,0"}},
};

// Twists: φ = t × 3π/2 / T, e = φ − (r / H) × π/2, w = round(cos e × W). E.g. 8 × 4 at t = 150
// of 300: e = 3π/4, 5π/8, π/2, 3π/8 gives w = −6, −3, 0, 3.
const CallCase kTwistCases[] = {
    {"rows turning", WP_TWISTH, 8, 4, 0, 150, 300,
     {"FillRect 0,0,8,1 0", "StretchDraw to 1,0,7,1 src 0,0,8,1 key 0 flip 0,0 opacity 255",
      "FillRect 0,1,8,2 0", "StretchDraw to 2,1,5,2 src 0,1,8,2 key 0 flip 0,0 opacity 255",
      "FillRect 0,2,8,3 0", "FillRect 0,3,8,4 0",
      "StretchDraw from 2,3,5,4 src 0,3,8,4 key 0 flip 0,0 opacity 255"}},
    {"rows finished", WP_TWISTH, 8, 4, 0, 250, 310,
     {"FillRect 0,2,8,3 0", "StretchDraw to 0,2,8,3 src 0,2,8,3 key 0 flip 0,0 opacity 255",
      "FillRect 0,3,8,4 0", "StretchDraw to 0,3,7,4 src 0,3,8,4 key 0 flip 0,0 opacity 255",
      "DrawRect to 0,0 src 0,0,8,2 key 0 flip 0,0"}},
    {"rows from the bottom", WP_TWISTH, 8, 4, 1, 250, 310,
     {"FillRect 0,1,8,2 0", "StretchDraw to 0,1,8,2 src 0,1,8,2 key 0 flip 0,0 opacity 255",
      "FillRect 0,0,8,1 0", "StretchDraw to 0,0,7,1 src 0,0,8,1 key 0 flip 0,0 opacity 255",
      "DrawRect to 0,2 src 0,2,8,4 key 0 flip 0,0"}},
    {"rows untouched at the start", WP_TWISTH, 8, 4, 0, 0, 300,
     {"FillRect 0,0,8,1 0", "StretchDraw from 0,0,8,1 src 0,0,8,1 key 0 flip 0,0 opacity 255"}},
    {"columns finished", WP_TWISTV, 4, 8, 0, 250, 310,
     {"FillRect 2,0,3,8 0", "StretchDraw to 2,0,3,8 src 2,0,3,8 key 0 flip 0,0 opacity 255",
      "FillRect 3,0,4,8 0", "StretchDraw to 3,0,4,7 src 3,0,4,8 key 0 flip 0,0 opacity 255",
      "DrawRect to 0,0 src 0,0,2,8 key 0 flip 0,0"}},
    // Neighbouring columns of one height are drawn as one block.
    {"columns in blocks", WP_TWISTV, 12, 3, 1, 200, 310,
     {"FillRect 0,0,2,3 0", "FillRect 2,0,4,3 0",
      "StretchDraw to 2,1,4,2 src 2,0,4,3 key 0 flip 0,0 opacity 255", "FillRect 4,0,8,3 0",
      "StretchDraw to 4,0,8,2 src 4,0,8,3 key 0 flip 0,0 opacity 255", "FillRect 8,0,12,3 0",
      "StretchDraw to 8,0,12,3 src 8,0,12,3 key 0 flip 0,0 opacity 255"}},
};

TEST(MovingWipes, SlidesSmearsAndStretches) {
  for (const CallCase& c : kSlideCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StepCalls(c.kind, c.width, c.height, c.direction, c.t, c.total), c.calls);
  }
}

TEST(MovingWipes, Twists) {
  for (const CallCase& c : kTwistCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StepCalls(c.kind, c.width, c.height, c.direction, c.t, c.total), c.calls);
  }
}

// The first step of the twist on rows leaves the other rows as the screen shows them.
TEST(MovingWipes, TwistKeepsRowsThatHaveNotStarted) {
  WipePages pages(8, 4, 32, 0x111111, 0x222222);
  pages.target.Fill(0x333333);
  std::unique_ptr<TCustomWipe> wipe = CreateWipe(WP_TWISTH, pages.target, pages.from, pages.to);
  wipe->Total = 300;
  wipe->Current = 0;
  wipe->Draw();
  EXPECT_EQ(test::AllPixels(pages.target),
            (std::vector<std::uint32_t>{0x111111, 0x111111, 0x111111, 0x111111, 0x111111, 0x111111, 0x111111, 0x111111,
                                        0x333333, 0x333333, 0x333333, 0x333333, 0x333333, 0x333333, 0x333333, 0x333333,
                                        0x333333, 0x333333, 0x333333, 0x333333, 0x333333, 0x333333, 0x333333, 0x333333,
                                        0x333333, 0x333333, 0x333333, 0x333333, 0x333333, 0x333333, 0x333333, 0x333333}));
}

// Columns drawn as one block give the pixels that column-by-column stretches give.
TEST(MovingWipes, TwistColumnBlocksMatchSingleColumns) {
  WipePages pages(40, 9, 32);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 40; ++x) {
      pages.from.SetPixel(x, y, static_cast<std::uint32_t>(0x10000 * x + y));
      pages.to.SetPixel(x, y, static_cast<std::uint32_t>(0x800000 | (0x100 * x) | y));
    }
  std::unique_ptr<TCustomWipe> wipe = CreateWipe(WP_TWISTV, pages.target, pages.from, pages.to);
  wipe->Total = 310;
  wipe->Current = 170;
  wipe->Draw();
  // Replays the calls on a second surface with every block stretch split into single columns.
  int blocks = 0;
  TMemoryDIBX single(40, 9, 32);
  single.Fill(0);
  for (const test::RecordedCall& call : pages.target.Calls) {
    if (call.name == "FillRect") single.FillRect(call.rect, 0);
    if (call.name == "DrawRect") {
      int x = 0, y = 0;
      TRect r{};
      ASSERT_EQ(std::sscanf(call.args.c_str(), "%d,%d src %d,%d,%d,%d", &x, &y, &r.left, &r.top, &r.right, &r.bottom), 6);
      single.DrawRect(x, y, pages.to, r, false, false, false);
    }
    if (call.name != "StretchDraw") continue;
    TCustomDIBX& page = call.source == &pages.from ? static_cast<TCustomDIBX&>(pages.from) : pages.to;
    blocks += call.rect.right - call.rect.left > 1 ? 1 : 0;
    for (int x = call.rect.left; x < call.rect.right; ++x)
      single.StretchDraw(TRect{x, call.rect.top, x + 1, call.rect.bottom}, page, TRect{x, 0, x + 1, 9}, false, false,
                         false, 255);
  }
  EXPECT_GT(blocks, 0);
  EXPECT_EQ(test::AllPixels(pages.target), test::AllPixels(single));
}

TEST(MovingWipes, EveryKindFinishesAtTotal) {
  for (std::uint8_t kind : {WP_SCROLLH, WP_SCROLLV, WP_SUDAREH, WP_SUDAREV, WP_RUBBERH, WP_RUBBERV, WP_TWISTH,
                            WP_TWISTV, WP_CRACK, WP_RIPPLE, WP_SPOT, WP_MASKWHITE, WP_MASKBLACK}) {
    SCOPED_TRACE(int{kind});
    WipePages pages(6, 4, 32);
    std::unique_ptr<TCustomWipe> wipe = CreateWipe(kind, pages.target, pages.from, pages.to);
    wipe->Total = 10;
    wipe->Prepare();
    wipe->Current = 10;
    EXPECT_TRUE(wipe->Draw());
    EXPECT_TRUE(pages.target.DrawingTexts().empty());
    EXPECT_EQ(wipe->DrawnRect, (TRect{0, 0, 6, 4}));
  }
}

// --- crack ---

TEST(Crack, TileSizeAndFallTime) {
  WipePages pages(16, 480, 32);
  TWipeCrack crack(pages.target, pages.from, pages.to);
  for (auto [given, stored] : {std::pair{10, 16}, {16, 16}, {-5, 16}, {17, 17}, {64, 64}}) {
    crack.SetParam(0, given);
    EXPECT_EQ(crack.GetParam(0), stored);
  }
  crack.SetParam(0, 16);
  // (5a² − 1500a) div 1000 first reaches 480 at a = 495 (494 gives 479).
  EXPECT_EQ(crack.FallTime(), 495);
  EXPECT_EQ(crack.Tiles().size(), 30u);
}

std::set<std::pair<int, int>> CellsOf(const TWipeCrack& crack) {
  std::set<std::pair<int, int>> cells;
  for (const auto& tile : crack.Tiles()) cells.insert({tile->Col, tile->Row});
  return cells;
}

TEST(Crack, TilesArePermutedCellsWithDelayedStarts) {
  WipePages pages(50, 40, 32);
  Randomize(5);
  TWipeCrack crack(pages.target, pages.from, pages.to);
  crack.SetParam(1, 7);
  crack.SetParam(0, 16);  // 4 × 3 cells
  ASSERT_EQ(crack.Tiles().size(), 12u);
  std::set<std::pair<int, int>> grid;
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 4; ++col) grid.insert({col, row});
  EXPECT_EQ(CellsOf(crack), grid);
  for (std::size_t j = 0; j < 12; ++j) {
    EXPECT_EQ(crack.Tiles()[j]->Start, static_cast<std::int64_t>(j) * 7);
    EXPECT_GE(crack.Tiles()[j]->Speed, -100);
    EXPECT_LE(crack.Tiles()[j]->Speed, 99);
  }
  crack.SetParam(1, 0);
  for (const auto& tile : crack.Tiles()) EXPECT_EQ(tile->Start, 0);
}

// 32 × 32 with tiles of 16: F = 320 (the first a with (5a² − 1500a) div 1000 ≥ 32); starts 0,
// 10, 20, 30; T = F + last start = 350, so b = t.
TEST(Crack, PlacementsFollowTheJumpAndFall) {
  WipePages pages(32, 32, 32);
  Randomize(99);
  std::unique_ptr<TCustomWipe> made = CreateWipe(WP_CRACK, pages.target, pages.from, pages.to);
  auto& crack = dynamic_cast<TWipeCrack&>(*made);
  crack.SetParam(1, 10);
  crack.SetParam(0, 16);
  ASSERT_EQ(crack.FallTime(), 320);
  crack.Total = 350;
  crack.Prepare();
  std::vector<TWipeCrackDraw> tiles;
  for (const auto& tile : crack.Tiles()) tiles.push_back(*tile);
  const auto cell = [](const TWipeCrackDraw& t) {
    return std::to_string(t.Col * 16) + "," + std::to_string(t.Row * 16) + "," + std::to_string(t.Col * 16 + 16) +
           "," + std::to_string(t.Row * 16 + 16);
  };
  const auto copyAt = [&](const TWipeCrackDraw& t, int x, int y) {
    return "DrawRect from " + std::to_string(x) + "," + std::to_string(y) + " src " + cell(t) + " key 0 flip 0,0";
  };

  // b = 5: tile 0 has run a = 5: up by (125 − 7500) div 1000 = −7, across by 5 × speed div 100.
  crack.Current = 5;
  CallScript script(pages.from, pages.to);
  crack.Draw();
  Calls expected{"Draw to"};
  for (int j = 1; j < 4; ++j) expected.push_back(copyAt(tiles[j], tiles[j].Col * 16, tiles[j].Row * 16));
  expected.push_back(copyAt(tiles[0], tiles[0].Col * 16 + 5 * tiles[0].Speed / 100, tiles[0].Row * 16 - 7));
  EXPECT_EQ(script.Take(pages.target), expected);

  // b = 349: tiles 0..2 have run 349, 339, 329 ≥ F and fall off; tile 3 has run 319: down by
  // (5 × 319² − 1500 × 319) div 1000 = 30, still on the page only in the top row.
  crack.Current = 349;
  crack.Draw();
  expected = {"Draw to"};
  if (tiles[3].Row == 0) expected.push_back(copyAt(tiles[3], tiles[3].Col * 16 + 319 * tiles[3].Speed / 100, 30));
  EXPECT_EQ(script.Take(pages.target), expected);
  for (int j = 0; j < 3; ++j) EXPECT_EQ(crack.Tiles()[static_cast<std::size_t>(j)], nullptr);
  EXPECT_EQ(crack.Tiles()[3] == nullptr, tiles[3].Row == 1);

  // Going back in time does not bring fallen tiles back.
  crack.Current = 0;
  crack.Draw();
  expected = {"Draw to"};
  if (tiles[3].Row == 0) expected.push_back(copyAt(tiles[3], tiles[3].Col * 16, tiles[3].Row * 16));
  EXPECT_EQ(script.Take(pages.target), expected);
}

TEST(Crack, NoDelayStartsEveryTileAtOnce) {
  WipePages pages(32, 16, 32);
  TWipeCrack crack(pages.target, pages.from, pages.to);
  crack.SetParam(0, 16);
  crack.SetParam(1, 0);
  crack.Total = crack.FallTime();  // b = t
  crack.Current = 1;
  CallScript script(pages.from, pages.to);
  crack.Draw();
  const Calls calls = script.Take(pages.target);
  ASSERT_EQ(calls.size(), 3u);
  // (5 − 1500) div 1000 = −1: both tiles one pixel up.
  for (std::size_t i = 1; i < 3; ++i) EXPECT_NE(calls[i].find(",-1 src"), std::string::npos) << calls[i];
}

}  // namespace
}  // namespace vorn
