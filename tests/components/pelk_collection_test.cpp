#include <gtest/gtest.h>

#include "components/pelk_collection.h"
#include "components/picture_fixture.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "graphics/memory_dibx.h"
#include "support/log_recorder.h"

namespace vorn {
namespace {

using test::Rgb;
using test::TPictureFrame;
using test::TPictureWorld;

// A frame of w x h in one colour.
TPictureFrame Solid(int w, int h, test::TRgb colour, std::int32_t delay = 100) {
  TPictureFrame frame;
  frame.width = w;
  frame.height = h;
  frame.colour = [colour](int, int) { return colour; };
  frame.delay = delay;
  return frame;
}

class PelkCollection : public ::testing::Test {
 protected:
  void Start() { world.Start(); }
  TPelkCollection& cache() { return *world.cache; }

  TPictureWorld world;
  int user_a = 0;
  int user_b = 0;
};

TEST_F(PelkCollection, KeysTellVariantsApartAndIgnoreCase) {
  world.AddPicture("a.pel", {Solid(2, 2, Rgb(10, 20, 30))});
  Start();
  TPelkItem& plain = cache().Acquire(&user_a, "a.pel", false, false);
  EXPECT_EQ(&cache().Acquire(&user_b, "A.PEL", false, false), &plain);
  TPelkItem& masked = cache().Acquire(&user_a, "a.pel", false, true);
  TPelkItem& trimmed_masked = cache().Acquire(&user_a, "a.pel", true, true);
  EXPECT_NE(&masked, &plain);
  EXPECT_EQ(masked.Name(), "a.pel?m");
  EXPECT_EQ(trimmed_masked.Name(), "a.pel?m?t");
  EXPECT_EQ(cache().Count(), 3);
  EXPECT_EQ(plain.UserCount(), 2);
  // Acquiring again adds no second entry for the same user.
  cache().Acquire(&user_a, "a.pel", false, false);
  EXPECT_EQ(plain.UserCount(), 2);
  plain.Release(&user_a);
  plain.Release(&user_b);
  masked.Release(&user_a);
  trimmed_masked.Release(&user_a);
}

TEST_F(PelkCollection, LoadsFramesWithKeysMasksAndDelays) {
  TPictureFrame keyed = Solid(3, 2, Rgb(200, 0, 0), 0);  // delay 0 becomes 1
  keyed.colour = [](int x, int) { return x == 0 ? Rgb(255, 0, 255) : Rgb(200, 0, 0); };
  keyed.key = Rgb(255, 0, 255);
  TPictureFrame alpha = Solid(3, 2, Rgb(0, 100, 0), 40);
  alpha.alpha = [](int x, int y) { return static_cast<std::uint8_t>(x * 100 + y); };
  world.AddPicture("f.pel", {keyed, alpha});
  Start();
  TPelkItem& item = cache().Acquire(&user_a, "f.pel", false, false);
  ASSERT_EQ(item.FrameCount(), 2);
  EXPECT_EQ(item.Width(), 3);
  EXPECT_EQ(item.Height(), 2);
  EXPECT_EQ(item.TotalDelay(), 41);
  const TPelkItemFrame& f0 = *item.Frame(0);
  EXPECT_EQ(f0.Delay(), 1);
  EXPECT_EQ(f0.TransparentColor(), Rgb(255, 0, 255));
  EXPECT_EQ(f0.Surface().ColorKey, f0.Surface().ColorToPixel(Rgb(255, 0, 255)));
  EXPECT_EQ(f0.Mask(), nullptr);
  EXPECT_EQ(f0.Surface().GetBitCount(), 32);
  EXPECT_EQ(TPictureWorld::PixelColour(f0.Surface(), 1, 1), Rgb(200, 0, 0));
  const TPelkItemFrame& f1 = *item.Frame(1);
  EXPECT_EQ(f1.Surface().ColorKey, -1);
  ASSERT_NE(f1.Mask(), nullptr);
  EXPECT_EQ(f1.Mask()->GetPixel(2, 1), 201u);
  EXPECT_EQ(item.Frame(2), nullptr);
  // The mask variant gives the keyed frame a plane made from its key.
  TPelkItem& masked = cache().Acquire(&user_a, "f.pel", false, true);
  ASSERT_NE(masked.Frame(0)->Mask(), nullptr);
  EXPECT_EQ(masked.Frame(0)->Mask()->GetPixel(0, 0), 0u);
  EXPECT_EQ(masked.Frame(0)->Mask()->GetPixel(1, 0), 255u);
  item.Release(&user_a);
  masked.Release(&user_a);
}

TEST_F(PelkCollection, TrimmedVariantCropsToContentAndKeepsTheOffset) {
  TPictureFrame frame = Solid(6, 5, Rgb(0, 0, 0));
  frame.key = Rgb(0, 0, 0);
  frame.colour = [](int x, int y) { return x >= 2 && x < 4 && y >= 1 && y < 4 ? Rgb(9, 9, 9) : Rgb(0, 0, 0); };
  world.AddPicture("t.pel", {frame});
  Start();
  TPelkItem& item = cache().Acquire(&user_a, "t.pel", true, false);
  const TPelkItemFrame& f = *item.Frame(0);
  EXPECT_EQ(f.OffsetX(), 2);
  EXPECT_EQ(f.OffsetY(), 1);
  EXPECT_EQ(f.Surface().GetWidth(), 2);
  EXPECT_EQ(f.Surface().GetHeight(), 3);
  item.Release(&user_a);
}

TEST_F(PelkCollection, MissingFileGivesABlankKeyedFrame) {
  Start();
  TPelkItem& item = cache().Acquire(&user_a, "none.pel", false, true);
  ASSERT_EQ(item.FrameCount(), 1);
  const TPelkItemFrame& f = *item.Frame(0);
  EXPECT_EQ(f.Surface().GetWidth(), 8);
  EXPECT_EQ(f.Surface().GetHeight(), 8);
  EXPECT_EQ(f.TransparentColor(), 0);
  EXPECT_EQ(f.Surface().ColorKey, f.Surface().ColorToPixel(0));
  ASSERT_NE(f.Mask(), nullptr);
  EXPECT_EQ(f.Mask()->GetPixel(7, 7), 0u);
  // It draws nothing.
  TMemoryDIBX target(8, 8, 32);
  target.Fill(0x123456);
  f.Draw(target, 0, 0, 255, false, false, f.Surface().GetBoundsRect());
  EXPECT_EQ(target.GetPixel(3, 3), 0x123456u);
  item.Release(&user_a);
}

TEST_F(PelkCollection, DecodeErrorLeavesNothingBehind) {
  world.engine.AddFile("bad.pel", {'P', 'e', 'l', 'k', '1', '0', '6', 0, 1, 2});
  Start();
  EXPECT_ANY_THROW(cache().Acquire(&user_a, "bad.pel", false, false));
  EXPECT_EQ(cache().Count(), 0);
  EXPECT_ANY_THROW(cache().Acquire(&user_a, "bad.pel", false, false));
  EXPECT_EQ(cache().UserTotal(), 0);
}

TEST_F(PelkCollection, IdleItemsStayUnderTheLimitAndTheNewestAlwaysStays) {
  // 1300 x 1200 at 32 bits: 6,240,000 bytes, above the limit alone.
  world.AddPicture("big.pel", {Solid(1300, 1200, Rgb(1, 2, 3))});
  world.AddPicture("small.pel", {Solid(4, 4, Rgb(1, 2, 3))});
  Start();
  TPelkItem& big = cache().Acquire(&user_a, "big.pel", false, false);
  TPelkItem& small = cache().Acquire(&user_a, "small.pel", false, false);
  big.Release(&user_b);  // not a user: nothing happens
  EXPECT_FALSE(big.IsIdle());
  big.Release(&user_a);
  EXPECT_TRUE(big.IsIdle());
  EXPECT_NE(cache().Find("big.pel"), nullptr);
  EXPECT_EQ(cache().IdleBytes(), 6'240'000);
  small.Release(&user_a);
  EXPECT_EQ(cache().Find("big.pel"), nullptr);
  EXPECT_NE(cache().Find("small.pel"), nullptr);
  EXPECT_EQ(cache().IdleBytes(), 64);
  // Acquiring takes an item off the idle list again.
  TPelkItem& again = cache().Acquire(&user_b, "small.pel", false, false);
  EXPECT_FALSE(again.IsIdle());
  EXPECT_EQ(cache().IdleBytes(), 0);
  again.Release(&user_b);
}

TEST_F(PelkCollection, PurgeFreesOnlyIdleVariantsOfTheName) {
  world.AddPicture("p.pel", {Solid(2, 2, Rgb(1, 2, 3))});
  Start();
  TPelkItem& plain = cache().Acquire(&user_a, "p.pel", false, false);
  TPelkItem& masked = cache().Acquire(&user_a, "p.pel", false, true);
  TPelkItem& trimmed = cache().Acquire(&user_a, "p.pel", true, false);
  TPelkItem& both = cache().Acquire(&user_a, "p.pel", true, true);
  TPelkItem& other = cache().Acquire(&user_a, "q.pel", false, false);
  masked.Release(&user_a);
  both.Release(&user_a);
  other.Release(&user_a);
  cache().Purge("P.PEL");
  EXPECT_NE(cache().Find("p.pel"), nullptr);
  EXPECT_EQ(cache().Find("p.pel?m"), nullptr);
  EXPECT_NE(cache().Find("p.pel?t"), nullptr);
  EXPECT_EQ(cache().Find("p.pel?m?t"), nullptr);
  EXPECT_NE(cache().Find("q.pel"), nullptr);
  plain.Release(&user_a);
  trimmed.Release(&user_a);
}

// Status entries written by hand: the tag, the version digits, then what comes before the cache
// (here nothing) and the cache's one byte.
TEST_F(PelkCollection, StatusRecordIsOneByteReadAfterVersion100) {
  Start();
  struct Case {
    std::int32_t version;
    std::vector<std::uint8_t> bytes;
    bool flag;
    std::int64_t consumed;
  };
  for (const Case& c : {Case{0, {1}, false, 0}, Case{100, {1}, false, 0}, Case{102, {1}, true, 1},
                        Case{103, {0}, false, 1}, Case{103, {7}, true, 1}}) {
    TMemoryStream stream(c.bytes);
    cache().LoadFromStream(stream, c.version);
    EXPECT_EQ(cache().GetCGDither(), c.flag) << c.version;
    EXPECT_EQ(stream.Position(), c.consumed) << c.version;
  }
  TMemoryStream out;
  cache().SaveToStream(out);
  EXPECT_EQ(out.Bytes(), std::vector<std::uint8_t>{1});
  TMemoryStream cut;
  EXPECT_ANY_THROW(cache().LoadFromStream(cut, 103));
}

TEST_F(PelkCollection, DepthFlagReloadsFramesWithAlphaIntoTheirSurfaces) {
  world.screen.bit_count = 16;
  TPictureFrame alpha = Solid(2, 1, Rgb(255, 255, 255));
  alpha.alpha = [](int, int) { return std::uint8_t{200}; };
  TPictureFrame keyed = Solid(2, 1, Rgb(255, 0, 0));
  keyed.key = Rgb(0, 0, 0);
  world.AddPicture("d.pel", {alpha, keyed});
  Start();
  TPelkItem& item = cache().Acquire(&user_a, "d.pel", false, false);
  TCustomDIBX* surface0 = &item.Frame(0)->Surface();
  TCustomDIBX* mask0 = item.Frame(0)->Mask();
  EXPECT_EQ(surface0->GetBitCount(), 16);
  surface0->SetPixel(0, 0, 0);
  item.Frame(1)->Surface().SetPixel(0, 0, 0);
  cache().SetCGDither(true);
  EXPECT_EQ(&item.Frame(0)->Surface(), surface0);
  EXPECT_EQ(item.Frame(0)->Mask(), mask0);
  EXPECT_EQ(TPictureWorld::PixelColour(*surface0, 0, 0), Rgb(255, 255, 255));
  // A keyed frame without alpha keeps what it has.
  EXPECT_EQ(item.Frame(1)->Surface().GetPixel(0, 0), 0u);
  item.Release(&user_a);
}

TEST_F(PelkCollection, RestoreMakesNewSurfacesOfTheNewKindAndDepthAndKeepsMasks) {
  TPictureFrame frame = Solid(3, 3, Rgb(0, 255, 0));
  frame.alpha = [](int x, int) { return static_cast<std::uint8_t>(x * 120); };
  world.AddPicture("r.pel", {frame});
  Start();
  TPelkItem& item = cache().Acquire(&user_a, "r.pel", false, false);
  TCustomDIBX* mask = item.Frame(0)->Mask();
  EXPECT_EQ(item.Frame(0)->Surface().GetBitCount(), 32);
  cache().ReleaseSurfaces();
  world.screen.bit_count = 15;
  cache().RestoreSurfaces();
  EXPECT_EQ(item.Frame(0)->Surface().GetBitCount(), 15);
  EXPECT_EQ(item.Frame(0)->Mask(), mask);
  EXPECT_EQ(mask->GetPixel(2, 0), 240u);
  EXPECT_EQ(TPictureWorld::PixelColour(item.Frame(0)->Surface(), 1, 1), Rgb(0, 255, 0));
  item.Release(&user_a);
}

TEST_F(PelkCollection, ReloadKeepsTheFrameArrayWhenTheFileChanged) {
  world.AddPicture("c.pel", {Solid(2, 2, Rgb(10, 0, 0)), Solid(2, 2, Rgb(20, 0, 0))});
  Start();
  TPelkItem& item = cache().Acquire(&user_a, "c.pel", false, false);
  world.engine.AddFile("c.pel", test::PelBytes({Solid(2, 2, Rgb(30, 0, 0))}));
  world.engine.files().Cache().Clear();
  cache().ReleaseSurfaces();
  cache().RestoreSurfaces();
  ASSERT_EQ(item.FrameCount(), 2);
  EXPECT_EQ(TPictureWorld::PixelColour(item.Frame(0)->Surface(), 0, 0), Rgb(30, 0, 0));
  // A file that no longer decodes leaves the picture as it was, with a line in the log.
  world.engine.AddFile("c.pel", {'P', 'e', 'l', 'k', '1', '0', '6', 0, 1});
  world.engine.files().Cache().Clear();
  test::LogRecorder log;
  cache().SetCGDither(true);
  EXPECT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(TPictureWorld::PixelColour(item.Frame(0)->Surface(), 0, 0), Rgb(30, 0, 0));
  item.Release(&user_a);
}

TEST_F(PelkCollection, TiledDrawStartsRowsAtTheStartLineAndMirrorsPieces) {
  // A 2 x 2 picture: (0,0) red, (1,0) green, (0,1) blue, (1,1) white.
  TPictureFrame frame = Solid(2, 2, 0);
  frame.colour = [](int x, int y) {
    const test::TRgb colours[2][2] = {{Rgb(255, 0, 0), Rgb(0, 255, 0)}, {Rgb(0, 0, 255), Rgb(255, 255, 255)}};
    return colours[y][x];
  };
  world.AddPicture("tile.pel", {frame});
  Start();
  TPelkItem& item = cache().Acquire(&user_a, "tile.pel", false, false);
  const TPelkItemFrame& f = *item.Frame(0);
  TMemoryDIBX target(3, 3, 32);
  const TRect source{0, 0, 2, 2};
  // Start line 1, column 1: the first row shows the picture's second row from its second pixel.
  f.DrawTiled(target, TRect{0, 0, 3, 3}, 255, false, false, 1, 1, source);
  EXPECT_EQ(TPictureWorld::PixelColour(target, 0, 0), Rgb(255, 255, 255));
  EXPECT_EQ(TPictureWorld::PixelColour(target, 1, 0), Rgb(0, 0, 255));
  EXPECT_EQ(TPictureWorld::PixelColour(target, 0, 1), Rgb(0, 255, 0));
  EXPECT_EQ(TPictureWorld::PixelColour(target, 1, 1), Rgb(255, 0, 0));
  EXPECT_EQ(TPictureWorld::PixelColour(target, 2, 2), Rgb(255, 255, 255));
  // Flipped both ways, the whole tiling is mirrored inside the rectangle.
  TMemoryDIBX mirrored(3, 3, 32);
  f.DrawTiled(mirrored, TRect{0, 0, 3, 3}, 255, true, true, 1, 1, source);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(mirrored.GetPixel(x, y), target.GetPixel(2 - x, 2 - y)) << x << "," << y;
    }
  }
  item.Release(&user_a);
}

}  // namespace
}  // namespace vorn
