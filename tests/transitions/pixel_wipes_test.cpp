// The per-pixel kinds: ripple against a model of its steps written pixel by pixel, spot against
// hand-worked pixels, and the depths at which they only mark the screen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "foundation/vocabulary_codes.h"
#include "transitions/create_wipe.h"
#include "transitions/moving_wipes.h"
#include "transitions/pixel_ops.h"
#include "transitions/wipe_test_util.h"

namespace vorn {
namespace {

using test::WipePages;

// Pages whose pixels tell where they came from: the position, and which page.
std::uint32_t FromPixel(int x, int y) { return static_cast<std::uint32_t>(y * 64 + x); }
std::uint32_t ToPixel(int x, int y) { return 0x8000u | static_cast<std::uint32_t>(y * 64 + x); }

void Label(WipePages& pages) {
  for (int y = 0; y < pages.target.GetHeight(); ++y)
    for (int x = 0; x < pages.target.GetWidth(); ++x) {
      pages.from.SetPixel(x, y, FromPixel(x, y));
      pages.to.SetPixel(x, y, ToPixel(x, y));
    }
}

// The ripple's steps for one target pixel: the pixel stands for the cell of the top-left
// quarter it mirrors (or, on the middle line of an odd size, for itself).
std::uint32_t RippleModel(int px, int py, int width, int height, std::int64_t t, std::int64_t total, int amplitude) {
  const int cx = width / 2, cy = height / 2;
  const int ring = 2 * std::min(cx, cy) / 3;
  const int tooth = ring / 4;
  const auto wave = [&](std::int64_t i) -> std::int64_t { return tooth == 0 ? 0 : (i % tooth) * amplitude / tooth; };
  const std::int64_t rho = t * (std::llround(std::nearbyint(std::hypot(cy, cx))) + ring) / total;
  const bool middle = (width % 2 == 1 && px == cx) || (height % 2 == 1 && py == cy);
  const bool right = !middle && px >= cx, bottom = !middle && py >= cy;
  const int c = middle ? px : right ? width - 1 - px : px;
  const int r = middle ? py : bottom ? height - 1 - py : py;
  const double angle = std::atan2(r - cy, c - cx);
  const std::int64_t o = std::llround(std::nearbyint(std::hypot(std::abs(c - cx), std::abs(r - cy))));
  const std::int64_t cosine = std::llround(std::nearbyint(std::cos(angle) * 65536));
  const std::int64_t sine = std::llround(std::nearbyint(std::sin(angle) * 65536));
  const std::int64_t i = o + (ring - 1) - rho;
  if (i > ring - 1) return FromPixel(px, py);
  if (i < 0) return ToPixel(px, py);
  const std::int64_t d = o + wave(i);
  // C++'s division truncates toward zero, as the step's div does.
  std::int64_t x = d * cosine / 65536 + cx;
  std::int64_t y = d * sine / 65536 + cy;
  if (x < 0 || x >= width || y < 0 || y >= height) return ToPixel(px, py);
  if (right) x = width - 1 - x;
  if (bottom) y = height - 1 - y;
  return ToPixel(static_cast<int>(x), static_cast<int>(y));
}

TEST(Ripple, WaveIsASawOfFourTeeth) {
  WipePages pages(48, 48, 32);
  TWipeRipple ripple(pages.target, pages.from, pages.to);
  ripple.SetParam(0, 5);
  // L = 2 × 24 div 3 = 16, teeth of 4: (i mod 4) × 5 div 4.
  EXPECT_EQ(ripple.Wave(), (std::vector<std::int32_t>{0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3}));
  ripple.SetParam(0, -8);
  EXPECT_EQ(ripple.Wave()[3], -6);
  WipePages small(11, 40, 32);  // L = 2 × 5 div 3 = 3: no teeth
  TWipeRipple flat(small.target, small.from, small.to);
  flat.SetParam(0, 5);
  EXPECT_EQ(flat.Wave(), (std::vector<std::int32_t>{0, 0, 0}));
}

TEST(Ripple, PixelsFollowTheModel) {
  struct Case {
    int width, height, bits, amplitude;
  } cases[] = {{48, 48, 32, 5}, {49, 47, 32, 5}, {48, 48, 16, -7}, {33, 20, 15, 9}, {10, 7, 32, 5}, {1, 1, 32, 5}};
  for (const Case& c : cases) {
    for (std::int64_t t : {0, 5, 12, 20, 31, 40}) {
      SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " at " << c.bits << " bits, t " << t);
      WipePages pages(c.width, c.height, c.bits);
      Label(pages);
      pages.target.Fill(0x7777);
      std::unique_ptr<TCustomWipe> wipe = CreateWipe(WP_RIPPLE, pages.target, pages.from, pages.to);
      wipe->SetParam(0, c.amplitude);
      wipe->Total = 41;
      wipe->Prepare();
      wipe->Current = static_cast<std::int32_t>(t);
      EXPECT_FALSE(wipe->Draw());
      int wrong = 0;
      for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
          if (pages.target.GetPixel(x, y) != RippleModel(x, y, c.width, c.height, t, 41, c.amplitude)) {
            if (++wrong < 5) ADD_FAILURE() << "pixel " << x << "," << y << " is " << pages.target.GetPixel(x, y);
          }
      EXPECT_EQ(wrong, 0);
    }
  }
}

// 8 × 6: centre (4, 3), R = hypot(3, 4) = 5, span 517; T = 517 makes b = t. The centre has
// n = 0, the corner (0, 0) n = 5 (0 and 5 swapped with direction 1).
// from 0x102030, to 0x405060; level 111 = 0x6F.
TEST(Spot, GoldenPixelsAtTheCentreAndACorner) {
  struct Case {
    std::uint8_t direction;
    std::int32_t t;
    std::uint32_t centre, corner;
  } cases[] = {
      {0, 0, 0x102030, 0x102030},  // b = n at the centre: from + grey(0)
      {0, 4, 0x142434, 0x102030},  // the ring has not reached the corner
      {0, 255, 0xFFFFFF, 0xFFFFFF},  // centre from + grey(255); corner from + grey(250)
      {0, 256, 0xFFFFFF, 0xFFFFFF},  // centre switched: to + grey(255); corner from + grey(251)
      {0, 400, 0xAFBFCF, 0xB4C4D4},  // centre to + grey(111); corner to + grey(116)
      {0, 511, 0x405060, 0x455565},  // centre to + grey(0); corner to + grey(5)
      {0, 516, 0x405060, 0x405060},  // centre past the ring; corner b = n + 511
      {1, 0, 0x102030, 0x102030},
      {1, 260, 0xFFFFFF, 0xFFFFFF},  // centre b − n = 255; corner 260: to + grey(251)
      {1, 405, 0xAFBFCF, 0xAABACA},  // centre b − n = 400 (111); corner 405 (106)
      {2, 400, 0xAFBFCF, 0xB4C4D4},  // direction 2 as 0
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "direction " << int{c.direction} << " t " << c.t);
    WipePages pages(8, 6, 32, 0x102030, 0x405060);
    std::unique_ptr<TCustomWipe> wipe = CreateWipe(WP_SPOT, pages.target, pages.from, pages.to);
    wipe->SetDirection(c.direction);
    wipe->Total = 517;
    wipe->Prepare();
    wipe->Current = c.t;
    wipe->Draw();
    EXPECT_EQ(pages.target.GetPixel(4, 3), c.centre);
    EXPECT_EQ(pages.target.GetPixel(0, 0), c.corner);
  }
}

// 5-6-5: to = (8, 20, 12) plus grey(111) = (111 >> 3, 111 >> 2, 111 >> 3) = (13, 27, 13).
TEST(Spot, SixteenBitAddsPerChannel) {
  const std::uint32_t to = (8u << 11) | (20u << 5) | 12u;
  WipePages pages(8, 6, 16, 0, to);
  std::unique_ptr<TCustomWipe> wipe = CreateWipe(WP_SPOT, pages.target, pages.from, pages.to);
  wipe->Total = 517;
  wipe->Current = 400;
  wipe->Draw();
  EXPECT_EQ(pages.target.GetPixel(4, 3), (21u << 11) | (47u << 5) | 25u);
}

// At 8 and 24 bits the per-pixel kinds mark the screen and draw nothing.
TEST(PixelWipes, OnlyMarkTheScreenAtEightAndTwentyFourBits) {
  for (int bits : {8, 24}) {
    for (std::uint8_t kind : {WP_SPOT, WP_RIPPLE, WP_MASKWHITE, WP_MASKBLACK}) {
      SCOPED_TRACE(::testing::Message() << bits << " bits, kind " << int{kind});
      WipePages pages(6, 4, bits, 1, 2);
      pages.target.Fill(3);
      std::unique_ptr<TCustomWipe> wipe = CreateWipe(kind, pages.target, pages.from, pages.to);
      wipe->Total = 10;
      wipe->Prepare();
      pages.target.Calls.clear();
      wipe->Current = 5;
      EXPECT_FALSE(wipe->Draw());
      EXPECT_EQ(pages.target.DrawingTexts(), (std::vector<std::string>{"AddDirtyRect 0,0,6,4"}));
      EXPECT_TRUE(test::AllEqual(pages.target, 3));
    }
  }
}

// Pages of another size or depth are not read at the target's geometry.
TEST(PixelWipes, MismatchedPagesAreNotRead) {
  for (std::uint8_t kind : {WP_SPOT, WP_RIPPLE, WP_MASKWHITE, WP_MASKBLACK}) {
    SCOPED_TRACE(int{kind});
    test::RecordingDIBX target(8, 6, 32);
    TMemoryDIBX smallFrom(4, 6, 32), to(8, 6, 16);
    target.Fill(3);
    std::unique_ptr<TCustomWipe> wipe = CreateWipe(kind, target, smallFrom, to);
    wipe->Total = 10;
    wipe->Prepare();
    wipe->Current = 5;
    EXPECT_FALSE(wipe->Draw());
    EXPECT_TRUE(test::AllEqual(target, 3));
  }
}

// The ripple's tables belong to the size the target had when it was made; a target that has
// since changed size is not drawn from them.
TEST(Ripple, ATargetOfAnotherSizeIsNotDrawn) {
  WipePages pages(49, 49, 32);
  std::unique_ptr<TCustomWipe> wipe = CreateWipe(WP_RIPPLE, pages.target, pages.from, pages.to);
  for (TCustomDIBX* s : {static_cast<TCustomDIBX*>(&pages.target), static_cast<TCustomDIBX*>(&pages.from),
                         static_cast<TCustomDIBX*>(&pages.to)}) {
    s->SetSize(48, 48, 32);
    s->Fill(7);
  }
  wipe->Total = 10;
  wipe->Current = 5;
  EXPECT_FALSE(wipe->Draw());
  EXPECT_TRUE(test::AllEqual(pages.target, 7));
}

// The byte-parallel add and subtract against the plain byte-by-byte rules of the surfaces.
TEST(PixelWipes, BytewiseSaturationMatchesTheByteLoop) {
  std::uint32_t seed = 12345;
  const auto next = [&] {
    seed = seed * 1664525u + 1013904223u;
    return seed;
  };
  const std::uint32_t edges[] = {0u, 0xFFFFFFFFu, 0x80808080u, 0x7F7F7F7Fu, 0x01010101u, 0xFF00FF00u, 0x00FF00FFu};
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
  for (std::uint32_t a : edges)
    for (std::uint32_t b : edges) pairs.push_back({a, b});
  for (int i = 0; i < 100000; ++i) pairs.push_back({next(), next()});
  for (const auto& [a, b] : pairs) {
    ASSERT_EQ(AddBytesSaturated(a, b), blit::AddSaturate4(a, b)) << std::hex << a << " + " << b;
    ASSERT_EQ(SubtractBytesFloored(a, b), blit::SubFloor4(a, b)) << std::hex << a << " - " << b;
  }
}

}  // namespace
}  // namespace vorn
