#include "graphics/dib.h"

#include <gtest/gtest.h>

#include <cstring>

#include "foundation/system_texts.h"
#include "graphics/graphics_errors.h"

namespace vorn {
namespace {

template <typename Error, typename Body>
void ExpectError(Body body, std::string_view message) {
  try {
    body();
    ADD_FAILURE() << "no error raised";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), std::string(message));
  }
}

TEST(DIB, StoreLayoutAndHeader) {
  struct Case {
    int width, bits, widthBytes, infoSize;
  };
  const Case cases[] = {{1, 24, 4, 40}, {5, 24, 16, 40}, {33, 1, 8, 40 + 8}, {3, 4, 4, 40 + 64},
                        {3, 8, 4, 40 + 1024}, {3, 16, 8, 52}, {3, 32, 12, 52}};
  for (const auto& c : cases) {
    TDIB dib;
    dib.PixelFormat = c.bits == 16 ? PixelFormat565() : PixelFormat888();
    dib.SetSize(c.width, 3, c.bits);
    EXPECT_EQ(dib.WidthBytes(), c.widthBytes) << c.bits;
    EXPECT_EQ(dib.Size(), c.widthBytes * 3);
    EXPECT_EQ(dib.GetBitmapInfoSize(), c.infoSize);
    const std::uint8_t* h = dib.GetBitmapInfo();
    auto u32 = [&](int at) { std::uint32_t v; std::memcpy(&v, h + at, 4); return v; };
    EXPECT_EQ(u32(0), 40u);
    EXPECT_EQ(u32(4), static_cast<std::uint32_t>(c.width));
    EXPECT_EQ(u32(8), 3u);
    EXPECT_EQ(h[12] | h[13] << 8, 1);
    EXPECT_EQ(h[14] | h[15] << 8, c.bits);
    EXPECT_EQ(u32(16), (c.bits == 16 || c.bits == 32) ? 3u : 0u);
    EXPECT_EQ(u32(20), static_cast<std::uint32_t>(dib.Size()));
    // Row 0 is the top: the last row of the memory.
    EXPECT_EQ(dib.GetScanLine(0), dib.GetBitsForWrite() + 2 * c.widthBytes);
    EXPECT_EQ(dib.NextLine(), -c.widthBytes);
  }
}

TEST(DIB, PixelAddressingByDepth) {
  TDIB one;
  one.SetSize(16, 1, 1);
  one.SetPixel(0, 0, 1);
  one.SetPixel(9, 0, 3);  // low bit only
  EXPECT_EQ(one.GetScanLine(0)[0], 0x80);
  EXPECT_EQ(one.GetScanLine(0)[1], 0x40);
  EXPECT_EQ(one.GetPixel(9, 0), 1u);

  TDIB four;
  four.SetSize(3, 1, 4);
  four.SetPixel(0, 0, 0xA);
  four.SetPixel(1, 0, 0x1B);
  EXPECT_EQ(four.GetScanLine(0)[0], 0xAB);
  EXPECT_EQ(four.GetPixel(1, 0), 0xBu);

  TDIB rgb;
  rgb.SetSize(2, 1, 24);
  rgb.SetPixel(1, 0, 0xFF112233);
  const std::uint8_t* row = rgb.GetScanLine(0);
  EXPECT_EQ(row[3], 0x33);  // blue first
  EXPECT_EQ(row[4], 0x22);
  EXPECT_EQ(row[5], 0x11);
  EXPECT_EQ(rgb.GetPixel(1, 0), 0x112233u);

  TDIB words;
  words.PixelFormat = PixelFormat555();
  words.SetSize(2, 1, 16);
  words.SetPixel(1, 0, 0x12345);
  EXPECT_EQ(words.GetPixel(1, 0), 0x2345u);

  EXPECT_EQ(rgb.GetPixel(-1, 0), 0u);
  EXPECT_EQ(rgb.GetPixel(2, 0), 0u);
  rgb.SetPixel(2, 0, 0xFFFFFF);  // outside: nothing
  rgb.SetPixel(0, -1, 0xFFFFFF);
  EXPECT_EQ(rgb.GetPixel(0, 0), 0u);
}

TEST(DIB, AssignSharesAndWritesCopyFirst) {
  TDIB a;
  a.SetSize(4, 4, 8);
  a.SetPixel(1, 1, 7);
  TDIB b;
  b.Assign(&a);
  EXPECT_EQ(a.Image(), b.Image());
  b.SetPixel(1, 1, 9);
  EXPECT_NE(a.Image(), b.Image());
  EXPECT_EQ(a.GetPixel(1, 1), 7u);
  EXPECT_EQ(b.GetPixel(1, 1), 9u);

  // Every write path splits a shared store.
  TDIB c;
  c.Assign(&a);
  c.GetScanLine(0)[0] = 1;
  EXPECT_EQ(a.GetPixel(0, 0), 0u);
  TDIB d;
  d.Assign(&a);
  d.GetBitsForWrite()[0] = 1;
  EXPECT_EQ(a.GetScanLine(3)[0], 0);
  TDIB e;
  e.Assign(&a);
  e.ColorTable[7] = 0x00FF0000;
  e.UpdatePalette();
  EXPECT_EQ(a.Image()->ColorTable[7], 0x070707u);
  EXPECT_EQ(e.Image()->ColorTable[7], 0x00FF0000u);
  EXPECT_EQ(e.ColorTable[7], 0x00FF0000u);
  TDIB f;
  f.Assign(&a);
  f.GetCanvas().BrushColor = gdi::RGB(255, 255, 255);
  f.GetCanvas().FillRect(MakeRect(0, 0, 4, 4));
  EXPECT_EQ(f.GetPixel(1, 1), 255u);
  EXPECT_EQ(a.GetPixel(1, 1), 7u);

  a.Assign(&a);  // itself: nothing
  EXPECT_EQ(a.GetPixel(1, 1), 7u);
  a.Assign(nullptr);
  EXPECT_TRUE(a.GetEmpty());
}

TEST(DIB, SizingRules) {
  TDIB dib;
  dib.SetWidth(10);
  EXPECT_EQ(dib.Width(), 10);
  EXPECT_EQ(dib.Height(), 1);
  EXPECT_EQ(dib.BitCount(), 8);
  EXPECT_EQ(dib.GetPaletteCount(), 256);
  EXPECT_EQ(dib.ColorTable[200], 0xC8C8C8u);

  dib.SetPixel(3, 0, 5);
  auto store = dib.Image();
  dib.SetSize(10, 1, 8);
  EXPECT_EQ(dib.Image(), store);
  EXPECT_EQ(dib.GetPixel(3, 0), 5u);
  dib.SetHeight(3);
  EXPECT_NE(dib.Image(), store);
  EXPECT_EQ(dib.Height(), 3);
  EXPECT_EQ(dib.BitCount(), 8);
  dib.PixelFormat = PixelFormat555();
  dib.SetSize(10, 3, 16);
  EXPECT_EQ(dib.NowPixelFormat(), PixelFormat555());
  store = dib.Image();
  dib.PixelFormat = PixelFormat565();
  dib.SetSize(10, 3, 16);  // only the masks change: a fresh store
  EXPECT_NE(dib.Image(), store);
  dib.SetSize(0, 3, 16);
  EXPECT_TRUE(dib.GetEmpty());
  dib.SetSize(3, 3, 24);
  dib.SetWidth(-1);
  EXPECT_TRUE(dib.GetEmpty());
}

TEST(DIB, ErrorsLeaveTheOldStore) {
  TDIB dib;
  dib.SetSize(2, 2, 24);
  dib.SetPixel(0, 0, 0x123456);
  const TDIBSharedImage* store = dib.Image().get();
  dib.PixelFormat = PixelFormat888();
  ExpectError<EInvalidGraphicOperation>([&] { dib.SetSize(2, 2, 16); }, texts::kInvalidPixelFormat);
  ExpectError<EInvalidGraphicOperation>([&] { dib.SetSize(2, 2, 7); },
                                        FormatSystemText(texts::kInvalidBitCountFormat, 7));
  EXPECT_EQ(dib.Image().get(), store);
  EXPECT_EQ(dib.GetPixel(0, 0), 0x123456u);
  ExpectError<EInvalidGraphicOperation>([&] { dib.GetScanLine(-1); },
                                        FormatSystemText(texts::kScanLineOutOfRangeFormat, -1));
  ExpectError<EInvalidGraphicOperation>([&] { dib.GetScanLine(2); },
                                        FormatSystemText(texts::kScanLineOutOfRangeFormat, 2));
  ExpectError<EOutOfResources>([&] { dib.SetSize(0x10000, 0x10000, 32); },
                               FormatSystemText(texts::kCannotCreateFormat, std::string("DIB")));
  EXPECT_EQ(dib.Image().get(), store);
  dib.PixelFormat = PixelFormat555();
  dib.SetSize(2, 2, 16);
  EXPECT_EQ(dib.BitCount(), 16);
}

TEST(DIB, CanvasMovesPixelsIntoASectionAndBack) {
  TDIB dib;
  dib.SetSize(3, 3, 24);
  EXPECT_TRUE(dib.Image()->MemoryImage);
  dib.SetPixel(2, 2, 0xABCDEF);
  TCanvas& canvas = dib.GetCanvas();
  EXPECT_FALSE(dib.Image()->MemoryImage);
  EXPECT_EQ(canvas.Handle(), dib.Image()->GetDC());
  EXPECT_EQ(dib.GetPixel(2, 2), 0xABCDEFu);
  dib.SetSize(4, 4, 24);  // keeps the section choice
  EXPECT_FALSE(dib.Image()->MemoryImage);
  EXPECT_EQ(dib.GetCanvas().Handle(), dib.Image()->GetDC());
  dib.DetachHandle();
  EXPECT_TRUE(dib.Image()->MemoryImage);
}

TEST(DIB, DrawStretchesByNearestPixel) {
  TDIB source;
  source.SetSize(2, 1, 24);
  source.SetPixel(0, 0, 0xFF0000);
  source.SetPixel(1, 0, 0x0000FF);
  TDIB target;
  target.SetSize(4, 2, 24);
  target.GetCanvas().StretchDraw(MakeRect(0, 0, 4, 2), source);
  const std::uint32_t expected[4] = {0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(target.GetPixel(x, y), expected[x]);
}

TEST(DIB, PaletteOfTheStore) {
  TDIB dib;
  dib.SetSize(2, 2, 4);
  const gdi::HPALETTE palette = dib.GetPalette();
  ASSERT_NE(palette, 0u);
  EXPECT_EQ(gdi::GetPaletteEntryCount(palette), 16);
  TDIB other;
  other.SetSize(2, 2, 24);
  EXPECT_EQ(other.GetPalette(), 0u);

  gdi::PaletteEntry entries[2] = {{10, 20, 30, 0}, {40, 50, 60, 0}};
  other.SetSize(2, 2, 1);
  other.SetPalette(gdi::CreatePalette(entries, 2));
  EXPECT_EQ(other.ColorTable[1], 0x28323Cu);
  EXPECT_EQ(other.Image()->ColorTable[1], 0x28323Cu);
  EXPECT_TRUE(other.PaletteModified);
}

}  // namespace
}  // namespace vorn

namespace vorn {
namespace {

// A graphic of another kind: draws a solid colour.
class SolidGraphic : public TGraphic {
 public:
  bool GetEmpty() const override { return false; }
  int GetWidth() const override { return 3; }
  int GetHeight() const override { return 2; }
  void Draw(TCanvas& canvas, const TRect& rect) override {
    gdi::FillSolidRect(canvas.Handle(), rect.left, rect.top, rect.right, rect.bottom, gdi::RGB(10, 20, 30));
  }
  void LoadFromStream(TStream&) override {}
  void SaveToStream(TStream&) override {}
};

TEST(DIB, AssignOfAnotherGraphicDrawsItInTwentyFourBits) {
  SolidGraphic solid;
  TDIB dib;
  dib.Assign(&solid);
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_EQ(dib.Width(), 3);
  EXPECT_EQ(dib.Height(), 2);
  EXPECT_EQ(dib.GetPixel(2, 1), 0x0A141Eu);
}

TEST(DIB, DrawConvertsPaletteColours) {
  TDIB four;
  four.SetSize(2, 1, 4);
  four.ColorTable[3] = 0x123456;
  four.UpdatePalette();
  four.SetPixel(1, 0, 3);
  TDIB target;
  target.SetSize(2, 1, 24);
  target.GetCanvas().Draw(0, 0, four);
  EXPECT_EQ(target.GetPixel(1, 0), 0x123456u);
  EXPECT_EQ(target.GetPixel(0, 0), 0u);
}

}  // namespace
}  // namespace vorn
