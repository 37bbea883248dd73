#include "transitions/create_wipe.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>

#include "foundation/vocabulary_codes.h"
#include "foundation/wipe_defaults.h"
#include "graphics/memory_dibx.h"
#include "transitions/mask_wipes.h"
#include "transitions/moving_wipes.h"
#include "transitions/whole_page_wipes.h"

namespace vorn {
namespace {

template <class T>
bool Is(TCustomWipe* w) {
  return dynamic_cast<T*>(w) != nullptr;
}

struct KindRow {
  int type;
  bool (*isClass)(TCustomWipe*);
  bool (*isBase)(TCustomWipe*);
  std::int32_t param0;
  std::int32_t param1;
};

// Class, base and the parameters the defaults leave after each kind's limits.
const KindRow kKinds[] = {
    {WP_FADE, Is<TWipeFade>, Is<TCustomWipe>, 0, 0},
    {WP_BLINDH, Is<TWipeBlindH>, Is<TWipeMask>, 20, 1},
    {WP_BLINDV, Is<TWipeBlindV>, Is<TWipeMask>, 20, 1},
    {WP_CURTAINH, Is<TWipeCurtainH>, Is<TWipeOrderHMask>, 30, 1},
    {WP_CURTAINV, Is<TWipeCurtainV>, Is<TWipeOrderVMask>, 30, 1},
    {WP_SCROLLH, Is<TWipeScrollH>, Is<TCustomWipe>, 0, 0},
    {WP_SCROLLV, Is<TWipeScrollV>, Is<TCustomWipe>, 0, 0},
    {WP_GRID, Is<TWipeGrid>, Is<TWipeMask>, 80, 30},
    {WP_GRIDH, Is<TWipeGridH>, Is<TWipeGrid>, 80, 30},
    {WP_GRIDV, Is<TWipeGridV>, Is<TWipeGrid>, 80, 30},
    {WP_DITHER, Is<TWipeDither>, Is<TWipeMask>, 2, 1},
    {WP_WHITE, Is<TWipeWhite>, Is<TCustomWipe>, 0, 0},
    {WP_BLACK, Is<TWipeBlack>, Is<TCustomWipe>, 0, 0},
    {WP_FLASH, Is<TWipeFlash>, Is<TCustomWipe>, 0, 0},
    {WP_MOSAIC, Is<TWipeMosaic>, Is<TCustomWipe>, 0, 0},
    {WP_SUDAREH, Is<TWipeSudareH>, Is<TCustomWipe>, 0, 0},
    {WP_SUDAREV, Is<TWipeSudareV>, Is<TCustomWipe>, 0, 0},
    {WP_SPOT, Is<TWipeSpot>, Is<TCustomWipe>, 0, 0},
    {WP_MASKFADE, Is<TWipeShadow>, Is<TWipeMask>, 2, 1},
    {WP_MASKWHITE, Is<TWipeShadowWhite>, Is<TCustomWipe>, 0, 0},
    {WP_MASKBLACK, Is<TWipeShadowBlack>, Is<TWipeShadowWhite>, 0, 0},
    {WP_SMALL, Is<TWipeSmall>, Is<TCustomWipe>, 0, 0},
    {WP_BIG, Is<TWipeBig>, Is<TCustomWipe>, 0, 0},
    {WP_RIPPLE, Is<TWipeRipple>, Is<TCustomWipe>, 5, 0},
    {WP_BLURWHITE, Is<TWipeBlurWhite>, Is<TCustomWipe>, 0, 0},
    {WP_BLURBLACK, Is<TWipeBlurBlack>, Is<TWipeBlurWhite>, 0, 0},
    {WP_TWISTH, Is<TWipeTwistH>, Is<TCustomWipe>, 0, 0},
    {WP_TWISTV, Is<TWipeTwistV>, Is<TCustomWipe>, 0, 0},
    {WP_CRACK, Is<TWipeCrack>, Is<TCustomWipe>, 64, 3},
    {WP_ZOOMIN, Is<TWipeZoomin>, Is<TCustomWipe>, 0, 0},
    {WP_CLOCKHAND, Is<TWipeClockhand>, Is<TWipeMask>, 0, 0},
    {WP_RUBBERH, Is<TWipeRubberH>, Is<TCustomWipe>, 0, 0},
    {WP_RUBBERV, Is<TWipeRubberV>, Is<TCustomWipe>, 0, 0},
    {WP_FAN, Is<TWipeFan>, Is<TWipeMask>, 0, 0},
    {WP_WFAN, Is<TWipeWFan>, Is<TWipeMask>, 0, 0},
    {WP_CIRCLE, Is<TWipeCircle>, Is<TWipeMask>, 2, 1},
    {WP_BLOCKCOIL, Is<TWipeBlockCoil>, Is<TWipeMask>, 60, 0},
    {WP_BLOCKRANDOM, Is<TWipeBlockRandom>, Is<TWipeMask>, 60, 0},
};

class CreateWipeTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWipeDefaults(); }
  void TearDown() override { ResetWipeDefaults(); }

  TMemoryDIBX target{8, 4, 32};
  TMemoryDIBX from{8, 4, 32};
  TMemoryDIBX to{8, 4, 32};
};

TEST_F(CreateWipeTest, EachKindHasItsClassBaseAndLimitedDefaults) {
  static_assert(std::size(kKinds) == 38);
  for (const KindRow& row : kKinds) {
    SCOPED_TRACE(row.type);
    std::unique_ptr<TCustomWipe> wipe = CreateWipe(static_cast<std::uint8_t>(row.type), target, from, to);
    ASSERT_NE(wipe, nullptr);
    EXPECT_TRUE(row.isClass(wipe.get()));
    EXPECT_TRUE(row.isBase(wipe.get()));
    EXPECT_EQ(wipe->GetParam(0), row.param0);
    EXPECT_EQ(wipe->GetParam(1), row.param1);
    EXPECT_EQ(wipe->Total, 0);
    EXPECT_EQ(wipe->Current, 0);
    EXPECT_EQ(wipe->DrawnRect, TRect{});
  }
}

TEST_F(CreateWipeTest, NoneAndKindsPastTheTableGiveNothing) {
  for (int type : {0, 39, 40, 128, 255}) {
    SCOPED_TRACE(type);
    EXPECT_EQ(CreateWipe(static_cast<std::uint8_t>(type), target, from, to), nullptr);
  }
}

TEST_F(CreateWipeTest, ZoomInTakesTheProjectCentreFromTheTableInUse) {
  EXPECT_EQ(CreateWipe(WP_ZOOMIN, target, from, to)->GetParam(0), 0);
  // What the project sets when it reads a 640 × 480 project file.
  WipeDefaults()[kWipeZoomIn] = TWipeDefaultParams{640 / 2, 480 / 2};
  std::unique_ptr<TCustomWipe> wipe = CreateWipe(WP_ZOOMIN, target, from, to);
  EXPECT_EQ(wipe->GetParam(0), 320);
  EXPECT_EQ(wipe->GetParam(1), 240);
}

TEST_F(CreateWipeTest, DefaultsPassThroughTheKindsLimits) {
  // A table row below a kind's limits is raised by SetParam like any other value.
  WipeDefaults()[WP_BLINDH] = TWipeDefaultParams{-5, 0};
  WipeDefaults()[WP_CURTAINH] = TWipeDefaultParams{0, -1};
  WipeDefaults()[WP_CRACK] = TWipeDefaultParams{3, -9};
  auto blind = CreateWipe(WP_BLINDH, target, from, to);
  EXPECT_EQ(blind->GetParam(0), 2);
  EXPECT_EQ(blind->GetParam(1), 1);
  auto curtain = CreateWipe(WP_CURTAINH, target, from, to);
  EXPECT_EQ(curtain->GetParam(0), 1);
  EXPECT_EQ(curtain->GetParam(1), 1);
  auto crack = CreateWipe(WP_CRACK, target, from, to);
  EXPECT_EQ(crack->GetParam(0), 16);
  EXPECT_EQ(crack->GetParam(1), 0);
}

struct ClampRow {
  int type;
  int number;
  std::int32_t value;
  std::int32_t stored;
};

TEST_F(CreateWipeTest, SetParamLimitsByKind) {
  const ClampRow rows[] = {
      {WP_BLINDH, 0, 1, 2},
      {WP_BLINDH, 0, INT_MIN, 2},
      {WP_BLINDH, 0, 2, 2},
      {WP_BLINDH, 0, INT_MAX, INT_MAX},
      {WP_BLINDH, 1, 0, 1},
      {WP_BLINDH, 1, -7, 1},
      {WP_BLINDH, 1, 5, 5},
      {WP_DITHER, 0, 0, 2},
      {WP_CURTAINV, 0, 0, 1},
      {WP_CURTAINV, 0, INT_MIN, 1},
      {WP_CURTAINV, 0, 1, 1},
      {WP_CURTAINV, 1, 9, 9},
      {WP_CURTAINH, 1, -1, 1},
      {WP_CRACK, 0, 16, 16},
      {WP_CRACK, 0, INT_MIN, 16},
      {WP_CRACK, 0, 17, 17},
      {WP_CRACK, 1, -1, 0},
      {WP_CRACK, 1, INT_MAX, INT_MAX},
      {WP_CLOCKHAND, 0, -3, -3},
      {WP_FAN, 1, INT_MIN, INT_MIN},
      {WP_WFAN, 0, 0, 0},
      {WP_BLOCKCOIL, 1, -1, -1},
      {WP_BLOCKRANDOM, 0, INT_MIN, INT_MIN},
      {WP_RIPPLE, 0, INT_MIN, INT_MIN},
      {WP_FADE, 0, INT_MIN, INT_MIN},
      {WP_ZOOMIN, 1, INT_MAX, INT_MAX},
      {WP_SMALL, 0, -256, -256},
  };
  for (const ClampRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "type " << row.type << " param " << row.number << " value "
                                    << row.value);
    auto wipe = CreateWipe(static_cast<std::uint8_t>(row.type), target, from, to);
    wipe->SetParam(row.number, row.value);
    EXPECT_EQ(wipe->GetParam(row.number), row.stored);
  }
}

TEST_F(CreateWipeTest, ParameterNumbersOtherThanZeroAndOneReadZeroAndStoreNothing) {
  for (const KindRow& row : kKinds) {
    SCOPED_TRACE(row.type);
    auto wipe = CreateWipe(static_cast<std::uint8_t>(row.type), target, from, to);
    for (int number : {-1, 2, 3, INT_MAX, INT_MIN}) {
      wipe->SetParam(number, 77);
      EXPECT_EQ(wipe->GetParam(number), 0);
    }
    EXPECT_EQ(wipe->GetParam(0), row.param0);
    EXPECT_EQ(wipe->GetParam(1), row.param1);
  }
}

}  // namespace
}  // namespace vorn
