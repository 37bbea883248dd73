#include <gtest/gtest.h>

#include "components/picture_fixture.h"
#include "components/vorn_image_list.h"
#include "engine/engine_values.h"
#include "graphics/memory_dibx.h"

namespace vorn {
namespace {

using test::Rgb;
using test::TPictureFrame;
using test::TPictureWorld;
using test::TRgb;

TPictureFrame Solid(int w, int h, test::TRgb colour, std::int32_t delay = 100) {
  TPictureFrame frame;
  frame.width = w;
  frame.height = h;
  frame.colour = [colour](int, int) { return colour; };
  frame.delay = delay;
  return frame;
}

class FrameDeltaScope {
 public:
  explicit FrameDeltaScope(std::int32_t ms) : previous_(FrameDelta) { FrameDelta = ms; }
  ~FrameDeltaScope() { FrameDelta = previous_; }

 private:
  std::int32_t previous_;
};

class ImageList : public ::testing::Test {
 protected:
  explicit ImageList(int bits = 32) : world(bits) {}
  void Start(const std::vector<TPictureFrame>& frames) {
    world.AddPicture("p.pel", frames);
    world.Start();
    list = std::make_unique<TVornImageList>(world.scene.get());
    list->LoadFromFile("p.pel", false);
  }
  void TearDown() override { list.reset(); }

  TPictureWorld world;
  std::unique_ptr<TVornImageList> list;
};

TEST_F(ImageList, LoadsOneItemPerFrameAsItsOwnUser) {
  Start({Solid(2, 2, 0, 40), Solid(2, 2, 0, 60), Solid(2, 2, 0, 80)});
  EXPECT_EQ(list->Count(), 3);
  EXPECT_EQ(list->GetIndex(), 0);
  EXPECT_EQ(list->GetRemainingDelay(), 41);
  ASSERT_NE(list->CacheItem(), nullptr);
  EXPECT_TRUE(list->CacheItem()->HasUser(list.get()));
  EXPECT_EQ(list->CacheItem()->Name(), "p.pel");  // never the trimmed variant
  EXPECT_EQ(list->GetItem(3), nullptr);
  EXPECT_EQ(list->GetItem(-1), nullptr);
  EXPECT_EQ(list->GetItem(1)->GetDelay(), 60);

  list->SetIndex(10);
  EXPECT_EQ(list->GetIndex(), 2);
  EXPECT_EQ(list->GetRemainingDelay(), 81);
  list->SetRemainingDelay(7);
  list->SetIndex(-1);
  EXPECT_EQ(list->GetIndex(), -1);
  EXPECT_EQ(list->GetRemainingDelay(), 7);

  // Two lists of one file are two users: clearing one leaves the other's frames in use.
  TVornImageList other(world.scene.get());
  other.LoadFromFile("P.PEL", false);
  EXPECT_EQ(other.CacheItem(), list->CacheItem());
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
  EXPECT_FALSE(other.CacheItem()->IsIdle());
  other.Clear();
  EXPECT_TRUE(world.cache->Find("p.pel")->IsIdle());
}

TEST_F(ImageList, AnimateStepsByTheFrameTimeWithOneWrapPerCall) {
  Start({Solid(1, 1, 0, 100), Solid(1, 1, 0, 50), Solid(1, 1, 0, 30)});
  struct Case {
    std::int32_t start_index;
    std::int32_t remaining;
    std::int32_t delta;
    bool changed;
    std::int32_t index;
    std::int32_t left;
  };
  const Case cases[] = {
      {0, 101, 16, false, 0, 85},      // time left: nothing
      {0, 101, 100, false, 0, 1},      // one millisecond left still holds the frame
      {0, 101, 101, true, 1, 50},      // exactly used up: the next frame's delay
      {0, 101, 140, true, 1, 11},      // the overshoot is carried
      {1, 10, 30, true, 2, 10},        // 10 - 30 + 30
      {0, 101, 200, true, 0, 100},     // through frames 1 and 2 to the wrap: frame 0 from scratch
      {0, 101, 1000000, true, 0, 100}, // however long the frame, one wrap
      {2, 5, 10, true, 0, 100},        // the wrap forgets the overshoot
  };
  for (const Case& c : cases) {
    list->SetIndex(c.start_index);
    list->SetRemainingDelay(c.remaining);
    FrameDeltaScope delta(c.delta);
    EXPECT_EQ(list->Animate(), c.changed) << c.start_index << " " << c.remaining << " " << c.delta;
    EXPECT_EQ(list->GetIndex(), c.index) << c.start_index << " " << c.remaining << " " << c.delta;
    EXPECT_EQ(list->GetRemainingDelay(), c.left) << c.start_index << " " << c.remaining << " " << c.delta;
  }
}

TEST_F(ImageList, OneFrameNeverAnimates) {
  Start({Solid(1, 1, 0, 1)});
  FrameDeltaScope delta(1000);
  EXPECT_FALSE(list->Animate());
  EXPECT_EQ(list->GetIndex(), 0);
}

// Brightness over a keyed frame, at every surface depth the screen may have.
class ImageBrightness : public ::testing::TestWithParam<int> {
 protected:
  ImageBrightness() : world(GetParam()) {}
  void TearDown() override { list.reset(); }
  TPictureWorld world;
  std::unique_ptr<TVornImageList> list;
};

TEST_P(ImageBrightness, ShiftsEveryChannelAndKeepsKeyedPixelsTransparent) {
  TPictureFrame frame = Solid(3, 1, 0);
  frame.colour = [](int x, int) {
    return x == 0 ? Rgb(255, 0, 255) : x == 1 ? Rgb(100, 200, 40) : Rgb(0, 0, 8);
  };
  frame.key = Rgb(255, 0, 255);
  world.AddPicture("k.pel", {frame});
  world.Start();
  list = std::make_unique<TVornImageList>(world.scene.get());
  list->LoadFromFile("k.pel", false);
  TVornImageData& data = *list->GetItem(0);
  TCustomDIBX* cached = data.GetSurface();
  const TRgb before = TPictureWorld::PixelColour(*cached, 1, 0);

  data.SetBrightness(80);
  TCustomDIBX* bright = data.GetSurface();
  ASSERT_NE(bright, cached);
  const auto up = [](int v) { return std::min(255, v + 80); };
  const TRgb expected_up = Rgb(up(before & 0xFF), up((before >> 8) & 0xFF), up((before >> 16) & 0xFF));
  // At 15 and 16 bits the grey itself is rounded down to the channel's steps.
  const int tolerance = GetParam() == 32 ? 0 : 8;
  const TRgb got = TPictureWorld::PixelColour(*bright, 1, 0);
  for (int shift : {0, 8, 16}) {
    EXPECT_NEAR((got >> shift) & 0xFF, (expected_up >> shift) & 0xFF, tolerance) << shift;
  }
  EXPECT_EQ(static_cast<std::int32_t>(bright->GetPixel(0, 0)), bright->ColorKey);

  // -255: every visible pixel black, yet none of them equal to the (now black) key.
  data.SetBrightness(-255);
  TCustomDIBX& dark = *data.GetSurface();
  EXPECT_EQ(static_cast<std::int32_t>(dark.GetPixel(0, 0)), dark.ColorKey);
  for (int x : {1, 2}) {
    EXPECT_NE(static_cast<std::int32_t>(dark.GetPixel(x, 0)), dark.ColorKey) << x;
    EXPECT_LE(TPictureWorld::PixelColour(dark, x, 0) & 0xF8F8F8, 0x080000) << x;
  }
  TMemoryDIBX target(3, 1, GetParam());
  target.Fill(static_cast<std::uint32_t>(target.ColorToPixel(Rgb(0, 255, 0))));
  data.DrawTo(target, TRect{0, 0, 3, 1}, 255, 0, 0);
  EXPECT_EQ(TPictureWorld::PixelColour(target, 0, 0), Rgb(0, 255, 0));  // keyed: the background shows
  EXPECT_LE(TPictureWorld::PixelColour(target, 1, 0) & 0xF8F8F8, 0x080000);

  // Values beyond the range are limited; 0 gives back the cached surface.
  data.SetBrightness(-1000);
  EXPECT_EQ(data.GetBrightness(), -255);
  data.SetBrightness(0);
  EXPECT_EQ(data.GetSurface(), cached);

  // Release drops the copy; restore makes it again.
  data.SetBrightness(80);
  data.ReleaseSurface();
  EXPECT_EQ(data.GetSurface(), cached);
  data.RestoreSurface();
  EXPECT_NE(data.GetSurface(), cached);
  EXPECT_EQ(TPictureWorld::PixelColour(*data.GetSurface(), 1, 0), got);
}

INSTANTIATE_TEST_SUITE_P(Depths, ImageBrightness, ::testing::Values(32, 16, 15));

TEST_F(ImageList, DrawToTilesAtTheCallersOpacity) {
  TPictureFrame frame = Solid(2, 1, 0);
  frame.colour = [](int x, int) { return x == 0 ? Rgb(200, 0, 0) : Rgb(0, 0, 100); };
  Start({frame});
  TVornImageData& data = *list->GetItem(0);
  struct Case {
    std::int32_t opacity;
    TRgb at0;
  };
  // Over grey 40: a blend is ((255 - w) * d + w * s) >> 8, an addition d + (w * s >> 8).
  const Case cases[] = {
      {0, Rgb(40, 40, 40)},
      {255, Rgb(200, 0, 0)},
      {128, Rgb(((127 * 40 + 128 * 200) >> 8), (127 * 40) >> 8, (127 * 40) >> 8)},
      {600, Rgb(40 + ((255 * 200) >> 8), 40, 40)},
  };
  for (const Case& c : cases) {
    TMemoryDIBX target(4, 1, 32);
    target.Fill(static_cast<std::uint32_t>(target.ColorToPixel(Rgb(40, 40, 40))));
    data.DrawTo(target, TRect{0, 0, 4, 1}, c.opacity, 0, 0);
    EXPECT_EQ(TPictureWorld::PixelColour(target, 0, 0), c.at0) << c.opacity;
    EXPECT_EQ(TPictureWorld::PixelColour(target, 2, 0), c.at0) << c.opacity;  // repeated
  }
}

}  // namespace
}  // namespace vorn
