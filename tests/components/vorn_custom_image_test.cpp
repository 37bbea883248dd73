#include <gtest/gtest.h>

#include <memory>

#include "components/picture_fixture.h"
#include "components/picture_paint.h"
#include "components/vorn_custom_image.h"
#include "graphics/memory_dibx.h"

namespace vorn {
namespace {

using test::Rgb;
using test::TPictureWorld;
using test::TRgb;

constexpr TRgb kBackground = Rgb(40, 40, 40);
constexpr TRgb kMagenta = Rgb(255, 0, 255);

// Pictures are made by hand here: their pixels are what the tests spell out.
class CustomImage : public ::testing::Test {
 protected:
  CustomImage() {
    world.Start();
    world.Clear(kBackground);
  }
  ~CustomImage() override {
    // Children go with their parents: delete only what is still there.
    for (const TObjectHandle& handle : handles) {
      if (auto* image = dynamic_cast<TVornCustomImage*>(handle.Get())) image->DeleteObject();
    }
  }

  // A picture of w x h, pixel (x, y) coloured by the function, at the scene's depth.
  // Kept by the fixture: images only point at their external pictures.
  TMemoryDIBX* Picture(int w, int h, const std::function<TRgb(int, int)>& colour, TRgb key = -1) {
    auto* picture = pictures.emplace_back(std::make_unique<TMemoryDIBX>(w, h, 32)).get();
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) picture->SetPixel(x, y, static_cast<std::uint32_t>(picture->ColorToPixel(colour(x, y))));
    }
    picture->ColorKey = key >= 0 ? picture->ColorToPixel(key) : -1;
    return picture;
  }
  TVornCustomImage* Image(TCustomDIBX& picture, int left, int top, TVornControl* parent = nullptr) {
    auto* image = CreateObject<TVornCustomImage>(*world.scene);
    handles.push_back(image->Handle());
    image->SetParent(parent != nullptr ? parent : world.scene->ActiveLayer());
    image->SetExternalSurface(&picture);
    image->UpdateAutoWidth();
    image->UpdateAutoHeight();
    image->SetLeft(left);
    image->SetTop(top);
    world.scene->ActiveLayer()->DirtyRects().Clear();
    return image;
  }
  void Paint() {
    world.surface.ResetDirtyRect();
    world.scene->ActiveLayer()->TVornControl::Paint();
  }
  TRgb At(int x, int y) { return world.At(x, y); }

  TPictureWorld world;
  std::vector<std::unique_ptr<TMemoryDIBX>> pictures;
  std::vector<TObjectHandle> handles;
};

TEST_F(CustomImage, OpacityModesOfAKeyedPicture) {
  auto picture = Picture(2, 1, [](int x, int) { return x == 0 ? kMagenta : Rgb(200, 100, 0); }, kMagenta);
  TVornCustomImage* image = Image(*picture, 5, 5);
  struct Case {
    std::int32_t alpha;
    TRgb drawn;
  };
  // Worked by hand over grey 40: blend ((255 - w) * 40 + w * s) >> 8; addition 40 + (w * s >> 8).
  const Case cases[] = {
      {0, kBackground},
      {-7, kBackground},
      {128, Rgb((127 * 40 + 128 * 200) >> 8, (127 * 40 + 128 * 100) >> 8, (127 * 40) >> 8)},
      {255, Rgb(200, 100, 0)},
      {300, Rgb(40 + ((44 * 200) >> 8), 40 + ((44 * 100) >> 8), 40)},
      {511, Rgb(40 + ((255 * 200) >> 8), 40 + ((255 * 100) >> 8), 40)},
      {512, kBackground},
  };
  for (const Case& c : cases) {
    world.Clear(kBackground);
    image->SetAlpha(c.alpha);
    EXPECT_EQ(image->GetAlpha(), c.alpha);
    Paint();
    EXPECT_EQ(At(6, 5), c.drawn) << c.alpha;
    EXPECT_EQ(At(5, 5), kBackground) << c.alpha;  // keyed
    EXPECT_EQ(At(7, 5), kBackground) << c.alpha;
  }
}

TEST_F(CustomImage, MaskDecidesWhatIsDrawn) {
  auto picture = Picture(3, 1, [](int, int) { return Rgb(0, 0, 250); });
  TMemoryDIBX mask(3, 1, 8);
  mask.SetPixel(0, 0, 0);
  mask.SetPixel(1, 0, 255);
  mask.SetPixel(2, 0, 255);
  TVornCustomImage* image = Image(*picture, 0, 0);
  image->SetExternalMask(&mask);
  Paint();
  EXPECT_EQ(At(0, 0), kBackground);
  EXPECT_EQ(At(1, 0), Rgb(0, 0, 250));
  image->SetAlpha(0);
  world.Clear(kBackground);
  Paint();
  EXPECT_EQ(At(1, 0), kBackground);
}

TEST_F(CustomImage, QuarterTurnAndFlipsMatchThePictureTurnedByHand) {
  // A 3 x 2 picture of six colours.
  auto colour = [](int x, int y) { return Rgb(40 * x + 20, 100 * y + 50, 7); };
  auto picture = Picture(3, 2, colour);
  TVornCustomImage* image = Image(*picture, 20, 10);
  image->SetAngle(64);
  Paint();
  // A quarter turn about the pivot (0, 0), which lands on (20, 10): (x, y) goes to (20 - y, 10 + x).
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(At(20 - y, 10 + x), colour(x, y)) << x << "," << y;
  }
  // Only the angle's low byte counts.
  image->SetAngle(64 + 256);
  world.Clear(kBackground);
  Paint();
  EXPECT_EQ(At(19, 12), colour(2, 1));
  image->SetAngle(256);
  world.Clear(kBackground);
  Paint();
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(At(20 + x, 10 + y), colour(x, y)) << x << "," << y;
  }
  image->SetFlipH(true);
  image->SetFlipV(true);
  world.Clear(kBackground);
  Paint();
  // Flipped, the anchor is mirrored too: the picture lies left of and above its position.
  const TRect placed = image->GetScreenRect();
  EXPECT_EQ(placed, (TRect{18, 9, 21, 11}));
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(At(placed.left + 2 - x, placed.top + 1 - y), colour(x, y)) << x << "," << y;
  }
}

TEST_F(CustomImage, AngleWholeTurnsInvalidateAndHitLikeNoTurn) {
  auto picture = Picture(8, 4, [](int, int) { return Rgb(1, 2, 3); });
  TVornCustomImage* image = Image(*picture, 30, 20);
  image->SetOffsetX(10);
  image->SetAngle(0);
  const TRect plain = image->GetScreenRect();
  image->SetAngle(256);
  EXPECT_EQ(image->GetScreenRect(), plain);
  world.scene->ActiveLayer()->DirtyRects().Clear();
  image->Invalidate();
  EXPECT_EQ(world.scene->ActiveLayer()->DirtyRects().Rects(), std::vector<TRect>{plain});
  EXPECT_EQ(world.scene->ActiveLayer()->HitTest(TPoint{plain.left, plain.top}, kHoverMask), image);
}

TEST_F(CustomImage, ATurnedPictureIsHitWhereItIsDrawn) {
  // A quarter turn about (0, 0) puts most of the picture outside its unturned rectangle: the walk
  // over the layer must ask the turned box, not the rectangle, before the picture tests its pixels.
  auto picture = Picture(8, 4, [](int, int) { return Rgb(250, 250, 250); });
  TVornCustomImage* image = Image(*picture, 30, 20);
  image->SetAngle(64);
  Paint();
  TVornBase* layer = world.scene->ActiveLayer();
  int hits = 0;
  for (int y = 0; y < TPictureWorld::kHeight; ++y) {
    for (int x = 0; x < TPictureWorld::kWidth; ++x) {
      const bool drawn = At(x, y) != kBackground;
      const bool hit = layer->HitTest(TPoint{x, y}, kHoverMask) == image;
      EXPECT_EQ(hit, drawn) << x << "," << y;
      hits += hit ? 1 : 0;
    }
  }
  EXPECT_EQ(hits, 32);
  // Inside the unturned rectangle but off the turned picture: the layer itself.
  EXPECT_EQ(layer->HitTest(TPoint{35, 21}, kHoverMask), layer);
}

TEST_F(CustomImage, FlippedTurnedPictureStaysInsideItsInvalidatedBox) {
  auto picture = Picture(9, 5, [](int, int) { return Rgb(250, 250, 250); });
  TVornCustomImage* image = Image(*picture, 30, 20);
  image->SetOffsetX(7);
  image->SetOffsetY(1);
  image->SetFlipH(true);
  image->SetFlipV(true);
  image->SetAngle(40);
  const TRect box = image->GetScreenRect();
  Paint();
  int painted = 0;
  for (int y = 0; y < TPictureWorld::kHeight; ++y) {
    for (int x = 0; x < TPictureWorld::kWidth; ++x) {
      if (At(x, y) == kBackground) continue;
      ++painted;
      EXPECT_TRUE(x >= box.left && x < box.right && y >= box.top && y < box.bottom) << x << "," << y;
    }
  }
  EXPECT_GT(painted, 20);
}

TEST_F(CustomImage, ZoomsStretchAndExplicitSizesTurnTheZoomOff) {
  auto colour = [](int x, int) { return x == 0 ? Rgb(255, 0, 0) : Rgb(0, 255, 0); };
  auto picture = Picture(2, 2, colour);
  TVornCustomImage* image = Image(*picture, 0, 0);
  image->SetZoomX(512);
  image->SetZoomY(128);
  EXPECT_TRUE(image->IsAutoSizePending());
  image->Tick();
  EXPECT_FALSE(image->IsAutoSizePending());
  EXPECT_EQ(image->GetWidth(), 4);
  EXPECT_EQ(image->GetHeight(), 1);
  Paint();
  EXPECT_EQ(At(1, 0), Rgb(255, 0, 0));
  EXPECT_EQ(At(2, 0), Rgb(0, 255, 0));
  EXPECT_EQ(At(0, 1), kBackground);

  for (const std::int32_t zoom : {0, -5}) {
    image->SetZoomX(zoom);
    EXPECT_EQ(image->GetZoomX(), 1) << zoom;
  }
  image->SetWidth(6);
  EXPECT_EQ(image->GetZoomX(), 0);
  // The explicit size survives a later resize while the zoom reads 0.
  image->UpdateAutoWidth();
  EXPECT_EQ(image->GetWidth(), 6);
  EXPECT_EQ(image->GetOrigWidth(), 2);
  image->SetOrigWidth(99);
  EXPECT_EQ(image->GetOrigWidth(), 2);
}

TEST_F(CustomImage, WithoutPictureItSizesItselfEmpty) {
  auto* image = CreateObject<TVornCustomImage>(*world.scene);
  handles.push_back(image->Handle());
  image->SetWidth(5);
  image->UpdateAutoWidth();
  EXPECT_EQ(image->GetWidth(), 0);
  EXPECT_EQ(image->GetHeight(), 0);
}

TEST_F(CustomImage, ChildInItsParentsPictureSizesByTheParentsScale) {
  auto wide = Picture(100, 10, [](int, int) { return Rgb(1, 1, 1); });
  auto small = Picture(10, 10, [](int, int) { return Rgb(2, 2, 2); });
  TVornCustomImage* parent = Image(*wide, 0, 0);
  parent->SetWidth(50);  // the parent's picture at half size: a 16.16 step of 2.0
  TVornCustomImage* child = Image(*small, 0, 0, parent);
  child->SetWidth(1);  // zoom 0, as the parent's
  child->SetPosZoomed(true);
  struct Case {
    std::int32_t left;
    bool flip;
    std::int32_t width;
  };
  for (const Case& c : {Case{20, false, 5}, Case{21, false, 5}, Case{20, true, 5}, Case{-3, false, 5}}) {
    child->SetLeft(c.left);
    child->SetFlipH(c.flip);
    child->UpdateAutoWidth();
    EXPECT_EQ(child->GetWidth(), c.width) << c.left << " " << c.flip;
  }
  // A parent of width 0 has no scale: no division, the plain rule applies.
  parent->SetWidth(0);
  child->SetWidth(7);
  child->UpdateAutoWidth();
  EXPECT_EQ(child->GetWidth(), 7);
}

TEST_F(CustomImage, MaskHitsFromValue128) {
  auto picture = Picture(4, 1, [](int, int) { return Rgb(9, 9, 9); });
  TMemoryDIBX mask(4, 1, 8);
  const std::uint32_t values[] = {0, 127, 128, 255};
  for (int x = 0; x < 4; ++x) mask.SetPixel(x, 0, values[x]);
  TVornCustomImage* image = Image(*picture, 10, 10);
  image->SetExternalMask(&mask);
  TVornBase* layer = world.scene->ActiveLayer();
  EXPECT_EQ(layer->HitTest(TPoint{10, 10}, kHoverMask), image);  // no mask test without CAPTUREMASK
  image->SetCaptureMask(true);
  const bool hits[] = {false, false, true, true};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(layer->HitTest(TPoint{10 + x, 10}, kHoverMask) == image, hits[x]) << x;
  }
  EXPECT_NE(layer->HitTest(TPoint{14, 10}, kHoverMask), image);  // right edge excluded
  image->SetFlipH(true);  // mirrored (the anchor too): value 255 now under the first column
  const int left = image->GetScreenRect().left;
  EXPECT_EQ(layer->HitTest(TPoint{left, 10}, kHoverMask), image);
  EXPECT_NE(layer->HitTest(TPoint{left + 3, 10}, kHoverMask), image);
  // An explicit size maps by the picture's size over the control's.
  image->SetFlipH(false);
  image->SetWidth(8);
  EXPECT_NE(layer->HitTest(TPoint{12, 10}, kHoverMask), image);  // mask column 1
  EXPECT_EQ(layer->HitTest(TPoint{14, 10}, kHoverMask), image);  // mask column 2
}

TEST_F(CustomImage, ContentRectanglesLimitTheUnscaledDraw) {
  auto picture = Picture(4, 2, [](int, int) { return Rgb(0, 200, 0); });
  picture->Rects1 = {TRect{0, 0, 1, 2}};
  picture->Rects2 = {TRect{3, 0, 4, 1}};
  TVornCustomImage* image = Image(*picture, 10, 10);
  for (const TContentRectList choice : {TContentRectList::kRects1, TContentRectList::kRects2}) {
    SetContentRectChoice(choice);
    world.Clear(kBackground);
    Paint();
    const bool first = choice == TContentRectList::kRects1;
    EXPECT_EQ(At(10, 11) == Rgb(0, 200, 0), first);
    EXPECT_EQ(At(13, 10) == Rgb(0, 200, 0), !first);
    EXPECT_EQ(At(11, 10), kBackground);
    // Flipped, the rectangles are mirrored.
    image->SetFlipH(true);
    world.Clear(kBackground);
    Paint();
    const int left = image->GetScreenRect().left;
    EXPECT_EQ(At(left + 3, 11) == Rgb(0, 200, 0), first);
    EXPECT_EQ(At(left, 10) == Rgb(0, 200, 0), !first);
    EXPECT_EQ(At(left + 1, 10), kBackground);
    image->SetFlipH(false);
  }
  SetContentRectChoice(TContentRectList::kRects1);
  EXPECT_TRUE(RectIsEmpty(world.surface.DirtyRect) || world.surface.DirtyRect == world.surface.GetBoundsRect());
}

TEST_F(CustomImage, FilmFrameSetsSizeSurfaceAndFields) {
  auto picture = Picture(6, 3, [](int, int) { return Rgb(5, 5, 5); });
  auto* image = CreateObject<TVornCustomImage>(*world.scene);
  handles.push_back(image->Handle());
  TImageFrame frame;
  frame.parent = world.scene->ActiveLayer();
  frame.surface = picture;
  frame.alpha = 128;
  frame.angle = 3;
  frame.left = 7;
  frame.top = 8;
  frame.color_key = kMagenta;
  frame.clip = TRect{1, 2, 5, 9};
  ApplyImageFrame(*image, frame);
  EXPECT_EQ(image->GetWidth(), 6);
  EXPECT_EQ(image->GetHeight(), 3);
  EXPECT_EQ(image->GetImage(), picture);
  EXPECT_EQ(picture->ColorKey, picture->ColorToPixel(kMagenta));
  EXPECT_EQ(image->GetAlpha(), 128);
  EXPECT_EQ(image->GetAngle(), 3);
  EXPECT_EQ(image->GetLeft(), 7);
  EXPECT_EQ(image->GetClipWidth(), 4);
  EXPECT_EQ(image->GetClipHeight(), 7);
  EXPECT_EQ(image->GetParent(), world.scene->ActiveLayer());
}

TEST_F(CustomImage, ReleaseForgetsTheExternalSurfaceAndRestoreMakesAnOwnOne) {
  auto picture = Picture(2, 2, [](int, int) { return Rgb(5, 5, 5); });
  TVornCustomImage* image = Image(*picture, 0, 0);
  image->ReleaseSurfaces();
  EXPECT_EQ(image->GetImage(), nullptr);
  Paint();  // nothing to draw, nothing breaks
  world.screen.bit_count = 16;
  image->RestoreSurfaces();
  ASSERT_NE(image->GetImage(), nullptr);
  EXPECT_EQ(image->GetImage()->GetBitCount(), 16);
  EXPECT_EQ(image->GetImage()->GetWidth(), 1);
}

}  // namespace
}  // namespace vorn
