#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "components/drawn_control_fixture.h"
#include "components/vorn_gauge.h"
#include "fixture/scene_record_writer.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {
namespace {

using test::Rgb;
using test::TPictureFrame;

constexpr test::TRgb kFill = Rgb(0, 200, 0);
constexpr test::TRgb kFillColumn0 = Rgb(0, 100, 0);
constexpr test::TRgb kFillLine3 = Rgb(0, 250, 0);
constexpr test::TRgb kLost = Rgb(200, 0, 0);

// Two halves of 20 x 4: the fill (its column 0 and line 3 marked) and the lost segment.
TPictureFrame GaugePicture() {
  TPictureFrame frame;
  frame.width = 40;
  frame.height = 4;
  frame.colour = [](int x, int y) {
    if (x >= 20) return kLost;
    if (x == 0) return kFillColumn0;
    return y == 3 ? kFillLine3 : kFill;
  };
  return frame;
}

class GaugeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    w.world.AddPicture("gauge.pel", {GaugePicture()});
    w.Start();
  }
  TVornGauge* Make() {
    auto* g = w.Make<TVornGauge>();
    g->SetSource("gauge.pel");
    g->SetMax(100);
    g->SetAlpha(255);
    return g;
  }
  // Shows the value at once.
  static void Settle(TVornGauge& g, std::int32_t value) {
    const std::int32_t delay = g.GetDelay();
    g.SetDelay(0);
    g.SetValue(value);
    g.Tick();
    g.SetDelay(delay);
  }
  // Ticks until the animation ends; answers the number of ticks.
  static int TicksToEnd(TVornGauge& g, int limit = 1000) {
    int ticks = 0;
    while (g.GetPlaying() && ticks < limit) {
      g.Tick();
      ++ticks;
    }
    return ticks;
  }

  test::TDrawnWorld w;
};

TEST_F(GaugeTest, DecreaseShowsAtOnceThenTheLostSegmentWaitsAndShrinks) {
  TVornGauge* g = Make();
  Settle(*g, 100);
  g->SetDelay(1000);
  g->SetDuration(500);
  g->SetValue(40);
  EXPECT_EQ(g->Shown(), 40);
  EXPECT_EQ(g->Lost(), 60);
  EXPECT_TRUE(g->GetPlaying());
  // 32 ticks only count the wait down (500 -> -12); the 33rd shrinks first, by 0.1 per ms.
  for (int tick = 1; tick <= 32; ++tick) g->Tick();
  EXPECT_EQ(g->Countdown(), -12);
  EXPECT_EQ(g->Lost(), 60);
  g->Tick();
  EXPECT_EQ(g->Lost(), 58);
  EXPECT_TRUE(g->GetPlaying());
  // 60 - 1.6 k drops below 1 at k = 37: 36 more ticks.
  EXPECT_EQ(TicksToEnd(*g), 36);
  EXPECT_EQ(g->Lost(), 0);
  EXPECT_EQ(g->Shown(), 40);
}

TEST_F(GaugeTest, IncreaseRisesFrameByFrameAndStopsAtTheValue) {
  TVornGauge* g = Make();
  Settle(*g, 40);
  g->SetDelay(1000);
  g->SetValue(100);
  EXPECT_EQ(g->Mode(), TVornGauge::kRising);
  w.world.Clear(0);
  g->Tick();
  EXPECT_EQ(g->Shown(), 41);
  // Each visible change of the fill is repainted.
  EXPECT_GT(w.Scene().ActiveLayer()->DirtyRects().Count(), 0);
  g->Tick();
  EXPECT_EQ(g->Shown(), 43);
  EXPECT_EQ(TicksToEnd(*g), 36);  // 40 + 1.6 x 38 passes 100
  EXPECT_EQ(g->Shown(), 100);
}

TEST_F(GaugeTest, NoDelayOrNoRangeShowsEveryChangeAtOnce) {
  TVornGauge* g = Make();
  g->SetValue(70);
  EXPECT_EQ(TicksToEnd(*g), 1);
  EXPECT_EQ(g->Shown(), 70);
  g->SetDelay(1000);
  g->SetMax(0);
  g->SetValue(20);
  EXPECT_EQ(TicksToEnd(*g), 1);
  EXPECT_EQ(g->Shown(), 0);
}

TEST_F(GaugeTest, MinOrMaxChangeEndsARunningAnimation) {
  TVornGauge* g = Make();
  Settle(*g, 100);
  g->SetDelay(1000);
  g->SetValue(40);
  g->SetMax(90);
  EXPECT_FALSE(g->GetPlaying());
  EXPECT_EQ(g->Lost(), 0);
  g->Tick();
  EXPECT_EQ(g->Lost(), 0);
  g->SetValue(80);
  g->Tick();
  g->SetMin(10);
  EXPECT_EQ(g->Shown(), 80);
  g->Tick();
  EXPECT_EQ(g->Shown(), 80);
}

TEST_F(GaugeTest, FillMeasuresTheShownValueItself) {
  TVornGauge* g = Make();
  g->SetMin(20);
  g->SetMax(120);
  Settle(*g, 70);
  EXPECT_EQ(g->FillLength(), 14);  // 70 % of 20
  g->SetMin(-200);
  Settle(*g, -100);
  EXPECT_EQ(g->FillLength(), 0);  // clipped to the bar
  g->SetMin(0);
  g->SetMax(10);
  Settle(*g, 10);
  g->SetMin(5);
  EXPECT_EQ(g->FillLength(), 20);
}

struct PaintCase {
  std::uint8_t orientation;
  bool reverse;
  // Pixels along the bar (x, or y when vertical) and what they show.
  std::vector<std::pair<int, test::TRgb>> expected;
};

TEST_F(GaugeTest, PaintsFillAndLostFromTheStartEnd) {
  // Shown 30, lost 50 of 100 on a 20-pixel bar: d = 6, e = 10.
  const PaintCase cases[] = {
      {0, false, {{0, kFillColumn0}, {5, kFill}, {6, kLost}, {15, kLost}, {16, 0}}},
      {0, true, {{19, kFillColumn0}, {14, kFill}, {13, kLost}, {4, kLost}, {3, 0}}},
      {1, false, {{19, kFillLine3}, {18, kFill}, {15, kFillLine3}, {13, kLost}, {4, kLost}, {3, 0}}},
      {1, true, {{0, kFillLine3}, {1, kFill}, {4, kFillLine3}, {6, kLost}, {15, kLost}, {16, 0}}},
  };
  for (const PaintCase& c : cases) {
    TVornGauge* g = Make();
    g->SetOrientation(c.orientation);
    if (c.orientation == 1) g->SetBarSize(20);
    g->SetReverse(c.reverse);
    Settle(*g, 80);
    g->SetDelay(1000);
    g->SetDuration(500);
    g->SetValue(30);
    ASSERT_EQ(g->FillLength(), 6);
    ASSERT_EQ(g->LostLength(), 10);
    w.PaintAll();
    for (const auto& [along, colour] : c.expected) {
      const int x = c.orientation == 1 ? 5 : along;
      const int y = c.orientation == 1 ? along : 1;
      EXPECT_EQ(w.At(x, y), colour) << int{c.orientation} << " " << c.reverse << " at " << along;
    }
    g->DeleteObject();
  }
}

TEST_F(GaugeTest, ExtremeRangeNeitherOverflowsNorHangs) {
  TVornGauge* g = Make();
  g->SetMin(std::numeric_limits<std::int32_t>::min());
  g->SetMax(std::numeric_limits<std::int32_t>::max());
  Settle(*g, std::numeric_limits<std::int32_t>::max());
  g->SetDelay(1);
  g->SetDuration(std::numeric_limits<std::int32_t>::min());
  g->SetValue(std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(g->Lost(), 0xFFFFFFFFLL);
  w.PaintAll();
  EXPECT_LE(TicksToEnd(*g), 2);
  g->SetBarSize(std::numeric_limits<std::int32_t>::max());
  g->SetValue(std::numeric_limits<std::int32_t>::max());
  TicksToEnd(*g);
  w.PaintAll();
  EXPECT_EQ(w.At(0, 1), kFillColumn0);
}

std::vector<std::uint8_t> GaugeFields(std::int32_t version) {
  std::vector<std::uint8_t> b;
  auto i32 = [&b](std::int32_t v) {
    for (int shift = 0; shift < 32; shift += 8) b.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> shift));
  };
  auto str = [&](const std::string& s) {
    i32(static_cast<std::int32_t>(s.size()));
    b.insert(b.end(), s.begin(), s.end());
  };
  str("gauge.pel");                      // source
  i32(0), i32(100), i32(150), i32(128);  // min, max, value, alpha
  b.push_back(1);                        // paused
  b.push_back(1);                        // orientation
  i32(750), i32(250);                    // delay, duration
  b.push_back(1);                        // reverse
  if (version >= 125) str("p:idle");     // on idle
  if (version >= 128) i32(33);           // bar size
  return b;
}

class GaugeRecordTest : public GaugeTest, public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(GaugeRecordTest, HandWrittenRecordsOfEachVersion) {
  const std::int32_t version = GetParam();
  fixture::SavedScene saved;
  saved.width = test::TPictureWorld::kWidth;
  saved.height = test::TPictureWorld::kHeight;
  fixture::SavedComponent component;
  component.kind = LT_GAUGE;
  component.name = "g";
  component.class_bytes = GaugeFields(version);
  saved.layers[0].children.push_back(component);
  const std::vector<std::uint8_t> bytes = fixture::SceneRecordBytes(saved, version);
  TMemoryStream in;
  in.WriteBuffer(bytes.data(), bytes.size());
  in.SetPosition(0);
  w.Scene().LoadFromStream(in, version);
  auto* g = dynamic_cast<TVornGauge*>(w.Scene().FindControl("g"));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->GetValue(), 100);
  EXPECT_EQ(g->StoredValue(), 150);
  EXPECT_EQ(g->Shown(), 100);
  EXPECT_FALSE(g->GetPlaying());
  EXPECT_EQ(g->GetAlpha(), 128);
  EXPECT_TRUE(g->GetPaused());
  EXPECT_TRUE(g->GetReverse());
  EXPECT_EQ(g->GetDelay(), 750);
  EXPECT_EQ(g->GetDuration(), 250);
  EXPECT_EQ(g->GetOnIdle(), version >= 125 ? "p:idle" : "");
  EXPECT_EQ(g->GetBarSize(), version >= 128 ? 33 : 0);
  EXPECT_EQ(g->GetHeight(), version >= 128 ? 33 : 4);
  EXPECT_EQ(g->GetWidth(), 20);

  TMemoryStream out;
  w.Scene().SaveToStream(out);
  out.SetPosition(0);
  w.Scene().LoadFromStream(out, 134);
  auto* again = dynamic_cast<TVornGauge*>(w.Scene().FindControl("g"));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->StoredValue(), 150);
  EXPECT_EQ(again->GetDuration(), 250);
}

INSTANTIATE_TEST_SUITE_P(Versions, GaugeRecordTest, ::testing::Values(124, 127, 134));

}  // namespace
}  // namespace vorn
