#include "components/scene_globals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/vorn_base_list.h"
#include "foundation/debug_trace.h"
#include "graphics/custom_dibx.h"
#include "graphics/memory_dibx.h"
#include "support/test_scene_screen.h"

namespace vorn {
namespace {

class SceneGlobals : public ::testing::Test {
 protected:
  ~SceneGlobals() override { FreeSceneGlobals(); }
  TMemoryDIBX screen_surface{64, 48, 16};
  test::TTestSceneScreen screen{&screen_surface, 16};
};

TEST_F(SceneGlobals, CreateSceneMakesTheSceneOnTheScreenAndThePatterns) {
  CreateSceneGlobals(screen);
  ASSERT_NE(Bases, nullptr);
  ASSERT_NE(ClipMan, nullptr);
  EXPECT_EQ(ClipMan->Count(), 0);
  EXPECT_EQ(Bases->GetSceneSurface(), &screen_surface);
  EXPECT_EQ(Bases->GetScreenBitCount(), 16);
  Bases->SetWidth(64);
  Bases->SetHeight(48);
  EXPECT_EQ(Bases->ActiveLayer()->GetSurface(), &screen_surface);
  EXPECT_EQ(Bases->OtherLayer()->LayerSurface()->GetBitCount(), 16);

  // The highlight pattern, shared by the scene: white on the diagonal, black off it.
  ASSERT_NE(SelRectDIB, nullptr);
  EXPECT_EQ(Bases->SelRectDIB(), SelRectDIB);
  EXPECT_EQ(SelRectDIB->GetWidth(), 2);
  EXPECT_EQ(SelRectDIB->GetHeight(), 2);
  EXPECT_EQ(SelRectDIB->GetBitCount(), 32);
  EXPECT_EQ(SelRectDIB->GetPixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(SelRectDIB->GetPixel(1, 1) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(SelRectDIB->GetPixel(1, 0) & 0xFFFFFF, 0u);
  EXPECT_EQ(SelRectDIB->GetPixel(0, 1) & 0xFFFFFF, 0u);

  // The checkerboard: light squares top left and bottom right.
  ASSERT_NE(TransBGDIB, nullptr);
  EXPECT_EQ(TransBGDIB->GetWidth(), 32);
  EXPECT_EQ(TransBGDIB->GetHeight(), 32);
  EXPECT_EQ(TransBGDIB->GetBitCount(), 32);
  const struct {
    int x, y;
    std::uint32_t colour;
  } cells[] = {{0, 0, 0xC0C0C0}, {15, 15, 0xC0C0C0}, {16, 0, 0x808080}, {0, 16, 0x808080},
               {16, 16, 0xC0C0C0}, {31, 31, 0xC0C0C0}, {31, 0, 0x808080}, {15, 16, 0x808080}};
  for (const auto& cell : cells) {
    EXPECT_EQ(TransBGDIB->GetPixel(cell.x, cell.y) & 0xFFFFFF, cell.colour) << cell.x << "," << cell.y;
  }
}

TEST_F(SceneGlobals, FreedInTheShutdownOrder) {
  CreateSceneGlobals(screen);
  std::vector<std::string> steps;
  DebugTraceRecorder previous = SetDebugTraceRecorder([&steps](std::string_view step) { steps.emplace_back(step); });
  FreeSceneGlobals();
  FreeSceneGlobals();  // nothing left: nothing traced again
  SetDebugTraceRecorder(std::move(previous));
  EXPECT_EQ(steps, (std::vector<std::string>{"Bases.Free", "SelRectDIB.Free", "TransBGDIB.Free", "PelkMan.Free", "ClipMan.Free"}));
  EXPECT_EQ(Bases, nullptr);
  EXPECT_EQ(SelRectDIB, nullptr);
  EXPECT_EQ(TransBGDIB, nullptr);
  EXPECT_EQ(ClipMan, nullptr);
}

}  // namespace
}  // namespace vorn
