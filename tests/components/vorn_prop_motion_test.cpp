#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "components/component_factory.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "components/vorn_prop_motion.h"
#include "engine/engine_values.h"
#include "foundation/errors.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {
namespace {

constexpr std::uint8_t kLeft = 3;
constexpr std::uint8_t kParam1 = 95;

// A control that logs every LEFT and PARAM1 write.
class TMotionProbe : public TVornControl {
 public:
  using TVornControl::TVornControl;
  void SetLeft(std::int32_t value) override {
    lefts.push_back(value);
    TVornControl::SetLeft(value);
  }
  long double GetParticleParam(int number) const override { return number == 0 ? param : 0.0L; }
  void SetParticleParam(int number, long double value) override {
    if (number == 0) {
      params.push_back(value);
      param = value;
    }
  }
  std::vector<std::int32_t> lefts;
  std::vector<long double> params;
  long double param = 0;
};

class PropMotionTest : public ::testing::Test {
 protected:
  PropMotionTest() {
    scene.SetWidth(64);
    scene.SetHeight(48);
    FrameDelta = 250;
    probe = CreateObject<TMotionProbe>(scene);
    probe->SetName("probe");
    probe->SetParent(scene.ActiveLayer());
    probe->lefts.clear();
  }
  ~PropMotionTest() override { FrameDelta = 0; }

  TVornPropMotion* Motion(const std::string& target, std::uint8_t property, long double to, std::int32_t duration,
                          std::uint8_t easing = MT_NORMAL) {
    auto* motion = static_cast<TVornPropMotion*>(CreateComponentByType(scene, LT_PROPMOTION));
    motion->SetName("m");
    motion->SetTargetName(target);
    motion->SetPropertyIndex(property);
    motion->SetTargetValue(to);
    motion->SetMotionDuration(duration);
    motion->SetEasingMode(easing);
    return motion;
  }
  bool Alive() { return scene.IndexOfName("m") >= 0; }

  TVornBaseList scene;
  TMotionProbe* probe = nullptr;
};

// Expected values from Python's math module: t - sin((d - e - 1) * (pi / 2) / d) * (t - s) for
// MT_INC, s + sin(e * (pi / 2) / d) * (t - s) for MT_DEC, s + (t - s) * e / d otherwise.
struct EasingCase {
  std::uint8_t easing;
  std::int64_t e, d;
  long double start, target, expected;
};

TEST(PropMotionEasing, MatchesAnIndependentReference) {
  const EasingCase cases[] = {
      {MT_NORMAL, 500, 1000, 0, 100, 50.0L},
      {MT_INC, 500, 1000, 0, 100, 29.400481144907204L},
      {MT_DEC, 500, 1000, 0, 100, 70.71067811865474L},
      {MT_INC, 250, 1000, 0, 100, 7.6722724761851L},
      {MT_DEC, 250, 1000, 0, 100, 38.268343236508976L},
      {MT_NORMAL, 1, 4, 10, -10, 5.0L},
      {MT_INC, 1, 4, 10, -10, 4.142135623730949L},
      {MT_DEC, 1, 4, 10, -10, 2.346331352698204L},
      {MT_INC, 998, 1000, 0, 100, 99.84292043191691L},
      {MT_DEC, 998, 1000, 0, 100, 99.99950652018582L},
      // Any other easing is linear.
      {7, 998, 1000, 0, 100, 99.8L},
  };
  for (const EasingCase& c : cases) {
    EXPECT_NEAR(static_cast<double>(EasedValue(c.easing, c.start, c.target, c.e, c.d)), static_cast<double>(c.expected),
                1e-9)
        << "easing " << int{c.easing} << " at " << c.e << " of " << c.d;
  }
}

TEST_F(PropMotionTest, MadeByTheFactoryWithNoPropertyAndOnlyThePauseOfItsOwn) {
  TVornObject* made = CreateComponentByType(scene, LT_PROPMOTION);
  auto* motion = dynamic_cast<TVornPropMotion*>(made);
  ASSERT_NE(motion, nullptr);
  EXPECT_EQ(made->GetCompoType(), 26);
  EXPECT_EQ(made->AsControl(), nullptr);
  EXPECT_EQ(motion->PropertyIndex(), 255);
  // The command reaches the fields through the engine's interface.
  EXPECT_NE(dynamic_cast<TScriptPropMotion*>(static_cast<TScriptObject*>(made)), nullptr);
  made->SetPaused(true);
  EXPECT_TRUE(made->GetPaused());
  // A paused motion is not ticked: it neither writes nor ends.
  motion->SetTargetName("probe");
  motion->SetPropertyIndex(kLeft);
  for (int i = 0; i < 5; ++i) scene.Tick();
  EXPECT_TRUE(probe->lefts.empty());
  EXPECT_GE(scene.IndexOfObject(made), 0);
}

TEST_F(PropMotionTest, LinearMotionOfAnIntegerPropertyTruncatesAndEndsOnTheTarget) {
  probe->SetLeft(0);
  probe->lefts.clear();
  Motion("probe", kLeft, -10, 3);
  FrameDelta = 1;
  scene.Tick();  // e = 0: the start value
  EXPECT_TRUE(Alive());
  scene.Tick();  // e = 1 < 2: -10 * 1 / 3 = -3.33, truncated toward zero
  EXPECT_TRUE(Alive());
  scene.Tick();  // e = 2 = d - 1: the target, and the motion goes
  EXPECT_FALSE(Alive());
  EXPECT_EQ(probe->lefts, (std::vector<std::int32_t>{0, -3, -10}));
}

TEST_F(PropMotionTest, DecelerationOverASecond) {
  probe->SetLeft(0);
  probe->lefts.clear();
  Motion("probe", kLeft, 100, 1000, MT_DEC);
  for (int i = 0; i < 6; ++i) scene.Tick();
  // e = 0, 250, 500, 750, then 1000 >= 999 writes the target.
  EXPECT_EQ(probe->lefts, (std::vector<std::int32_t>{0, 38, 70, 92, 100}));
  EXPECT_FALSE(Alive());
}

TEST_F(PropMotionTest, FloatPropertyThroughTheBridge) {
  probe->param = 0.5L;
  Motion("probe", kParam1, 1.5L, 1000);
  for (int i = 0; i < 5; ++i) scene.Tick();
  ASSERT_EQ(probe->params.size(), 5u);
  EXPECT_EQ(probe->params[0], 0.5L);
  EXPECT_EQ(probe->params[1], 0.75L);
  EXPECT_EQ(probe->params[2], 1.0L);
  EXPECT_EQ(probe->params[4], 1.5L);
  EXPECT_FALSE(Alive());
}

TEST_F(PropMotionTest, ShortDurationsWriteTheCurrentValueThenTheTarget) {
  for (std::int32_t duration : {0, 1}) {
    probe->SetLeft(7);
    probe->lefts.clear();
    Motion("probe", kLeft, 40, duration);
    scene.Tick();
    EXPECT_EQ(probe->lefts, (std::vector<std::int32_t>{7})) << duration;
    EXPECT_TRUE(Alive());
    scene.Tick();
    EXPECT_EQ(probe->lefts, (std::vector<std::int32_t>{7, 40})) << duration;
    EXPECT_FALSE(Alive());
  }
}

TEST_F(PropMotionTest, EndsWithoutWritingWhenThereIsNothingToMove) {
  struct Case {
    const char* target;
    std::uint8_t property;
  };
  for (const Case& c : {Case{"probe", 200}, Case{"probe", 162}, Case{"nobody", kLeft}}) {
    probe->lefts.clear();
    Motion(c.target, c.property, 40, 1000);
    scene.Tick();
    EXPECT_FALSE(Alive()) << c.target << " " << int{c.property};
    EXPECT_TRUE(probe->lefts.empty());
  }
}

TEST_F(PropMotionTest, TargetDeletedMidwayEndsTheMotionWithoutWriting) {
  Motion("probe", kLeft, 100, 1000);
  scene.Tick();
  scene.Tick();
  EXPECT_EQ(probe->lefts.size(), 2u);
  probe->MarkDeleted();
  scene.Tick();
  EXPECT_FALSE(Alive());
}

TEST_F(PropMotionTest, AnEmptyTargetNameMovesNothingVisibleAndEndsAtTheSecondTick) {
  // The empty name finds the active layer, which is no listed object.
  const std::int32_t left = scene.ActiveLayer()->GetLeft();
  Motion("", kLeft, 100, 1000);
  scene.Tick();
  EXPECT_TRUE(Alive());
  scene.Tick();
  EXPECT_FALSE(Alive());
  EXPECT_EQ(scene.ActiveLayer()->GetLeft(), left);
}

TEST_F(PropMotionTest, APropertyThatRefusesWritesEndsTheMotion) {
  // APPEARX has no accessor: the bridge refuses the write.
  Motion("probe", 92, 100, 1000);
  scene.Tick();
  EXPECT_FALSE(Alive());
}

// ---- records ----

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& out, std::initializer_list<std::uint8_t> bytes) { out.insert(out.end(), bytes); }

// 100.0 and 50.0 as 80-bit extended: mantissa 0xC8 << 56, exponents 16383 + 6 and 16383 + 5.
constexpr std::initializer_list<std::uint8_t> kHundred = {0, 0, 0, 0, 0, 0, 0, 0xC8, 0x05, 0x40};
constexpr std::initializer_list<std::uint8_t> kFifty = {0, 0, 0, 0, 0, 0, 0, 0xC8, 0x04, 0x40};
constexpr std::initializer_list<std::uint8_t> kZero = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
// +infinity: mantissa 1 << 63, exponent all ones.
constexpr std::initializer_list<std::uint8_t> kInfinity = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F};

struct MotionRecord {
  std::string target = "probe";
  std::int32_t property = kLeft;
  std::initializer_list<std::uint8_t> to = kHundred;
  std::initializer_list<std::uint8_t> start = kFifty;
  std::int32_t elapsed = 500;
  std::uint8_t easing = MT_NORMAL;
};

void Int(Bytes& out, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  Append(out, {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
               static_cast<std::uint8_t>(u >> 24)});
}
void Str(Bytes& out, const std::string& s) {
  Int(out, static_cast<std::int32_t>(s.size()));
  out.insert(out.end(), s.begin(), s.end());
}

// Object record (name "m", priority 0, sub-priority 0 above 103, tag from 120) and the motion's
// fields: target name, property, target value, duration 1000, easing, start, elapsed, pause (above
// 125).
Bytes RecordBytes(const MotionRecord& r, std::int32_t version, std::uint8_t paused = 0) {
  Bytes out;
  Str(out, "m");
  Int(out, 0);
  if (version > 103) Int(out, 0);
  if (version >= 120) Str(out, "");
  Str(out, r.target);
  Int(out, r.property);
  Append(out, r.to);
  Int(out, 1000);
  Int(out, r.easing);
  Append(out, r.start);
  Int(out, r.elapsed);
  if (version > 125) out.push_back(paused);
  return out;
}

TEST_F(PropMotionTest, RecordIsWrittenFieldByField) {
  probe->SetLeft(50);
  TVornPropMotion* motion = Motion("probe", kLeft, 100, 1000);
  scene.Tick();
  FrameDelta = 500;
  scene.Tick();
  motion->SetPaused(true);
  probe->SetName("renamed");
  TMemoryStream stream;
  motion->SaveToStream(stream);
  MotionRecord expected;
  expected.target = "renamed";
  expected.elapsed = 750;
  EXPECT_EQ(stream.Bytes(), RecordBytes(expected, 134, 1));

  // Saved after its target went: no name.
  probe->DeleteObject();
  TMemoryStream gone;
  motion->SaveToStream(gone);
  expected.target = "";
  EXPECT_EQ(gone.Bytes(), RecordBytes(expected, 134, 1));
}

TEST_F(PropMotionTest, RecordOfAMotionNotYetStartedKeepsTheNameItWillLookUp) {
  TVornPropMotion* motion = Motion("probe", kLeft, 100, 1000);
  TMemoryStream stream;
  motion->SaveToStream(stream);
  MotionRecord expected;
  expected.start = kZero;
  expected.elapsed = 0;
  EXPECT_EQ(stream.Bytes(), RecordBytes(expected, 134));
}

TEST_F(PropMotionTest, LoadedMotionThatHadStartedKeepsItsStartValue) {
  // Linear 0 -> 100 over 1000 ms, saved at 500 ms with the property at 50: continuing from the
  // saved start writes 50, where a fresh start value (50) would jump to 75.
  for (std::int32_t version : {125, 134}) {
    probe->SetLeft(50);
    probe->lefts.clear();
    MotionRecord record;
    record.start = kZero;
    TVornPropMotion* motion = CreateObject<TVornPropMotion>(scene);
    TMemoryStream stream(RecordBytes(record, version));
    motion->LoadFromStream(stream, version);
    EXPECT_EQ(stream.Remaining(), 0) << version;
    EXPECT_EQ(motion->GetName(), "m");
    EXPECT_EQ(motion->TargetName(), "probe");
    EXPECT_EQ(motion->TargetValue(), 100.0L);
    EXPECT_EQ(motion->Duration(), 1000);
    scene.Tick();
    EXPECT_EQ(probe->lefts, (std::vector<std::int32_t>{50})) << version;
    motion->DeleteObject();
  }
}

TEST_F(PropMotionTest, LoadedMotionSavedBeforeItsFirstTickReadsTheStartAfresh) {
  probe->SetLeft(30);
  probe->lefts.clear();
  MotionRecord record;
  record.elapsed = 0;
  TVornPropMotion* motion = CreateObject<TVornPropMotion>(scene);
  TMemoryStream stream(RecordBytes(record, 134, 0));
  motion->LoadFromStream(stream, 134);
  scene.Tick();
  scene.Tick();
  // 30 read afresh (the saved 50 is no value of the property), then 30 + 70 * 250 / 1000.
  EXPECT_EQ(probe->lefts, (std::vector<std::int32_t>{30, 47}));
}

TEST_F(PropMotionTest, LoadedPauseFlagFromVersion126) {
  TVornPropMotion* motion = CreateObject<TVornPropMotion>(scene);
  TMemoryStream stream(RecordBytes(MotionRecord{}, 126, 1));
  motion->LoadFromStream(stream, 126);
  EXPECT_TRUE(motion->GetPaused());
  EXPECT_EQ(stream.Remaining(), 0);
}

TEST_F(PropMotionTest, UnsoundLoadedMotionsEndAtTheFirstTickWithoutWriting) {
  std::vector<MotionRecord> records(6);
  records[0].target = "";         // its target had gone: not the active layer
  records[1].property = 300;      // no byte: not wrapped onto property 44
  records[2].property = -253;     // nor onto 3
  records[3].to = kInfinity;
  records[4].start = kInfinity;
  records[5].elapsed = -5;        // with duration 0 this would divide by zero
  for (std::size_t i = 0; i < records.size(); ++i) {
    probe->lefts.clear();
    TVornPropMotion* motion = CreateObject<TVornPropMotion>(scene);
    TMemoryStream stream(RecordBytes(records[i], 134));
    motion->LoadFromStream(stream, 134);
    scene.Tick();
    EXPECT_FALSE(Alive()) << i;
    EXPECT_TRUE(probe->lefts.empty()) << i;
    EXPECT_EQ(scene.ActiveLayer()->GetLeft(), 0) << i;
  }
}

TEST_F(PropMotionTest, TruncatedRecordRaises) {
  const Bytes full = RecordBytes(MotionRecord{}, 134);
  for (std::size_t size : {std::size_t{20}, full.size() - 1, full.size() - 5, full.size() - 12}) {
    TVornPropMotion* motion = CreateObject<TVornPropMotion>(scene);
    TMemoryStream stream(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_THROW(motion->LoadFromStream(stream, 134), EReadError) << size;
    motion->DeleteObject();
  }
}

}  // namespace
}  // namespace vorn
