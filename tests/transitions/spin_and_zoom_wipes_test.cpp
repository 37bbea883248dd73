// TWipeSmall, TWipeBig and TWipeZoomin: what they ask of the target's rotate and stretch blits.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/vocabulary_codes.h"
#include "transitions/create_wipe.h"
#include "transitions/whole_page_wipes.h"
#include "transitions/wipe_test_util.h"

namespace vorn {
namespace {

using test::CallScript;
using test::RecordingDIBX;
using Script = std::vector<std::string>;

struct SpinRow {
  int kind;
  std::int32_t current;
  std::uint8_t direction;
  Script calls;
};

TEST(SpinWipes, ThePageTurnsAndScalesAboutItsCentreOntoTheTargetsCentre) {
  // The from and to pages are 6 × 4 on a 10 × 8 target: pivot (3, 2), placed at (5, 4).
  const SpinRow rows[] = {
      {WP_SMALL, 0, 0,
       {"Draw to", "DrawRotate from 5,4 zoom 252,252 src 0,0,6,4 pivot 3,2 angle 0 key 0 flip 0,0 opacity 252"}},
      {WP_SMALL, 50, 0,
       {"Draw to", "DrawRotate from 5,4 zoom 125,125 src 0,0,6,4 pivot 3,2 angle 128 key 0 flip 0,0 opacity 125"}},
      {WP_SMALL, 50, 1,
       {"Draw to", "DrawRotate from 5,4 zoom 125,125 src 0,0,6,4 pivot 3,2 angle -128 key 0 flip 0,0 opacity 125"}},
      // Only 1 reverses; any other byte turns as 0 does.
      {WP_SMALL, 50, 2,
       {"Draw to", "DrawRotate from 5,4 zoom 125,125 src 0,0,6,4 pivot 3,2 angle 128 key 0 flip 0,0 opacity 125"}},
      {WP_SMALL, 99, 0, {"Draw to"}},
      // 127.5 rounds to the even 128.
      {WP_BIG, 50, 0,
       {"Draw from", "DrawRotate to 5,4 zoom 128,128 src 0,0,6,4 pivot 3,2 angle 125 key 0 flip 0,0 opacity 128"}},
      {WP_BIG, 50, 1,
       {"Draw from", "DrawRotate to 5,4 zoom 128,128 src 0,0,6,4 pivot 3,2 angle -125 key 0 flip 0,0 opacity 128"}},
      {WP_BIG, 0, 0, {"Draw from"}},
      {WP_BIG, 99, 0,
       {"Draw from", "DrawRotate to 5,4 zoom 252,252 src 0,0,6,4 pivot 3,2 angle 0 key 0 flip 0,0 opacity 252"}},
  };
  for (const SpinRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "kind " << row.kind << " t " << row.current << " direction "
                                    << int(row.direction));
    RecordingDIBX target(10, 8, 32);
    TMemoryDIBX from(6, 4, 32), to(6, 4, 32);
    auto wipe = CreateWipe(static_cast<std::uint8_t>(row.kind), target, from, to);
    wipe->SetParam(0, 256);
    wipe->SetDirection(row.direction);
    wipe->Total = 100;
    wipe->Current = row.current;
    wipe->Draw();
    EXPECT_EQ(CallScript(from, to).Take(target), row.calls);
  }
}

TEST(SpinWipes, ExtremeTurnsStayInRange) {
  for (int kind : {WP_SMALL, WP_BIG}) {
    for (std::int32_t turn : {INT32_MIN, INT32_MAX}) {
      RecordingDIBX target(10, 8, 32);
      TMemoryDIBX from(6, 4, 32), to(6, 4, 32);
      auto wipe = CreateWipe(static_cast<std::uint8_t>(kind), target, from, to);
      wipe->SetParam(0, turn);
      wipe->SetDirection(1);
      wipe->Total = INT32_MAX;
      wipe->Current = INT32_MAX / 2;
      EXPECT_FALSE(wipe->Draw());
    }
  }
}

struct ZoomRow {
  std::int32_t focusX, focusY;
  std::int32_t current;
  const char* call;
};

TEST(TWipeZoomin, TheSourceRectangleShrinksTowardsTheFocusAndGrowsBack) {
  const ZoomRow rows[] = {
      {0, 0, 0, "StretchDraw from 0,0,640,480 src 0,0,640,480 key 0 flip 0,0 opacity 255"},
      {0, 0, 250, "StretchDraw from 0,0,640,480 src 0,0,320,240 key 0 flip 0,0 opacity 255"},
      {0, 0, 500, "StretchDraw from 0,0,640,480 src 0,0,1,1 key 0 flip 0,0 opacity 255"},
      {0, 0, 750, "StretchDraw to 0,0,640,480 src 0,0,320,240 key 0 flip 0,0 opacity 255"},
      {640, 480, 250, "StretchDraw from 0,0,640,480 src 320,240,640,480 key 0 flip 0,0 opacity 255"},
      // The focus point lies on the page's edge: the one-pixel source stays inside.
      {640, 480, 500, "StretchDraw from 0,0,640,480 src 639,479,640,480 key 0 flip 0,0 opacity 255"},
      {320, 240, 500, "StretchDraw from 0,0,640,480 src 320,240,321,241 key 0 flip 0,0 opacity 255"},
      {INT32_MIN, INT32_MAX, 250,
       "StretchDraw from 0,0,640,480 src 0,240,320,480 key 0 flip 0,0 opacity 255"},
  };
  for (const ZoomRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "focus " << row.focusX << "," << row.focusY << " t "
                                    << row.current);
    RecordingDIBX target(640, 480, 8);
    TMemoryDIBX from(640, 480, 8), to(640, 480, 8);
    auto zoom = CreateWipe(WP_ZOOMIN, target, from, to);
    zoom->SetParam(0, row.focusX);
    zoom->SetParam(1, row.focusY);
    zoom->Total = 1000;
    zoom->Current = row.current;
    zoom->Draw();
    EXPECT_EQ(CallScript(from, to).Take(target), Script{row.call});
  }
}

}  // namespace
}  // namespace vorn
