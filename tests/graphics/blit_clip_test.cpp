#include <gtest/gtest.h>

#include <string>

#include "graphics/custom_dibx.h"

namespace vorn {
namespace {

std::string Str(const TRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

struct ClipBlitCase {
  const char* name;
  TRect dirty;
  TRect dest;
  TRect src;
  bool flipH, flipV;
  bool result;
  const char* wantDest;
  const char* wantSrc;
};

TEST(BlitClip, ClipBlitTable) {
  const ClipBlitCase cases[] = {
      {"left cut", {}, {-3, 0, 7, 10}, {0, 0, 10, 10}, false, false, true, "0,0,7,10", "3,0,10,10"},
      {"left cut flipped", {}, {-3, 0, 7, 10}, {0, 0, 10, 10}, true, false, true, "0,0,7,10",
       "0,0,7,10"},
      {"bottom right", {}, {95, 95, 105, 105}, {0, 0, 10, 10}, false, false, true,
       "95,95,100,100", "0,0,5,5"},
      {"bottom right flipped", {}, {95, 95, 105, 105}, {0, 0, 10, 10}, true, true, true,
       "95,95,100,100", "5,5,10,10"},
      {"dirty rect", {20, 20, 30, 30}, {0, 0, 100, 100}, {0, 0, 100, 100}, false, false, true,
       "20,20,30,30", "20,20,30,30"},
      {"top cut flipped", {}, {0, -4, 10, 6}, {0, 0, 10, 10}, false, true, true, "0,0,10,6",
       "0,0,10,6"},
      {"wholly left", {}, {-20, 0, -10, 10}, {0, 0, 10, 10}, false, false, false, nullptr,
       nullptr},
      {"wholly below", {}, {0, 100, 10, 110}, {0, 0, 10, 10}, false, false, false, nullptr,
       nullptr},
      {"inside untouched", {}, {10, 10, 20, 20}, {2, 3, 12, 13}, false, false, true,
       "10,10,20,20", "2,3,12,13"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TCustomDIBX s;
    s.SetSize(100, 100, 32);
    s.SetDirtyRect(c.dirty);
    TRect d = c.dest, src = c.src;
    EXPECT_EQ(s.ClipBlit(d, src, c.flipH, c.flipV), c.result);
    if (c.result) {
      EXPECT_EQ(Str(d), c.wantDest);
      EXPECT_EQ(Str(src), c.wantSrc);
    }
  }
}

TEST(BlitClip, ClipBlitNearInt32LimitsDoesNotWrap) {
  TCustomDIBX s;
  s.SetSize(100, 100, 32);
  TRect d{2147483600, 0, 2147483647, 10};
  TRect src{0, 0, 47, 10};
  EXPECT_FALSE(s.ClipBlit(d, src, false, false));
  TRect d2{-2147483647, 0, -2147483600, 10};
  TRect src2{0, 0, 47, 10};
  EXPECT_FALSE(s.ClipBlit(d2, src2, false, false));
}

TEST(BlitClip, ClipStretchBlitKeepsTheFraction) {
  TCustomDIBX s;
  s.SetSize(100, 100, 32);
  s.SetDirtyRect(TRect{10, 0, 100, 100});
  double sx = 9, sy = 9, fx = 9, fy = 9;
  TRect d{7, 0, 57, 10}, src{0, 0, 100, 10};
  ASSERT_TRUE(s.ClipStretchBlit(d, src, false, false, sx, sy, fx, fy));
  EXPECT_DOUBLE_EQ(sx, 2.0);
  EXPECT_EQ(src.left, 6);
  EXPECT_DOUBLE_EQ(fx, 0.0);

  TRect d2{3, 0, 33, 10}, src2{0, 0, 100, 10};
  ASSERT_TRUE(s.ClipStretchBlit(d2, src2, false, false, sx, sy, fx, fy));
  EXPECT_NEAR(sx, 100.0 / 30.0, 1e-12);
  EXPECT_EQ(src2.left, 23);
  EXPECT_NEAR(fx, 1.0 / 3.0, 1e-9);
  EXPECT_EQ(Str(d2), "10,0,33,10");

  TRect d3{3, 0, 33, 10}, src3{0, 0, 100, 10};
  ASSERT_TRUE(s.ClipStretchBlit(d3, src3, true, false, sx, sy, fx, fy));
  EXPECT_EQ(src3.right, 77);
  EXPECT_EQ(src3.left, 0);
  EXPECT_LT(sx, 0);
}

TEST(BlitClip, ClipStretchAndShrinkRejectEmptyDestinationWithoutTouchingSteps) {
  TCustomDIBX s;
  s.SetSize(100, 100, 32);
  double sx = 7, sy = 7, fx = 3, fy = 3;
  TRect d{5, 5, 5, 20}, src{0, 0, 10, 10};
  EXPECT_FALSE(s.ClipStretchBlit(d, src, false, false, sx, sy, fx, fy));
  EXPECT_EQ(sx, 7);
  EXPECT_EQ(sy, 7);
  int ix = 7, iy = 7;
  EXPECT_FALSE(s.ClipShrinkBlit(d, src, false, false, ix, iy));
  EXPECT_EQ(ix, 7);
  EXPECT_EQ(iy, 7);
}

TEST(BlitClip, ClipShrinkBlitMovesByWholeBlocks) {
  TCustomDIBX s;
  s.SetSize(100, 100, 32);
  int sx = 0, sy = 0;
  TRect d{-2, 0, 8, 10}, src{0, 0, 40, 40};
  ASSERT_TRUE(s.ClipShrinkBlit(d, src, false, false, sx, sy));
  EXPECT_EQ(sx, 4);
  EXPECT_EQ(sy, 4);
  EXPECT_EQ(Str(d), "0,0,8,10");
  EXPECT_EQ(Str(src), "8,0,40,40");
  TRect d2{95, 0, 105, 10}, src2{0, 0, 40, 40};
  ASSERT_TRUE(s.ClipShrinkBlit(d2, src2, true, false, sx, sy));
  EXPECT_EQ(Str(src2), "20,0,40,40");
  EXPECT_EQ(sx, -4);
}

TEST(BlitClip, ClipTiledBlitGrowsOffsets) {
  TCustomDIBX s;
  s.SetSize(100, 100, 32);
  TRect d{-5, -7, 10, 10};
  int ox = 0, oy = 0;
  ASSERT_TRUE(s.ClipTiledBlit(d, true, true, ox, oy));
  EXPECT_EQ(Str(d), "0,0,10,10");
  EXPECT_EQ(ox, 5);
  EXPECT_EQ(oy, 7);
  TRect empty{5, 5, 5, 9};
  EXPECT_FALSE(s.ClipTiledBlit(empty, false, false, ox, oy));
}

}  // namespace
}  // namespace vorn
