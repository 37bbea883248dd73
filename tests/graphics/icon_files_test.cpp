#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/system_texts.h"
#include "graphics/dib_surface.h"
#include "graphics/dx_paint_box.h"
#include "graphics/graphics_errors.h"
#include "platform/icon_chooser.h"
#include "support/temp_folder.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::TempFolder;
using testing::WriteWholeFile;

std::string Fixture(const std::string& name) {
  return (fs::path(VORN_SOURCE_DIR) / "tests/graphics/data/tga_ico" / name).string();
}

std::uint32_t Get16(const Bytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t Get32(const Bytes& b, std::size_t at) { return Get16(b, at) | (Get16(b, at + 2) << 16); }

struct Loaded {
  std::int32_t key = 0;
  bool icon32 = false;
  TSurfaceFileInfo info;
};

Loaded Load(TDIBSurface& picture, const std::string& path, bool takeAlpha, bool chooseIcon = false,
            std::int32_t key = 0) {
  Loaded r;
  r.key = key;
  picture.LoadFromFileEx(path, r.key, takeAlpha, chooseIcon, r.icon32, r.info);
  return r;
}

std::uint32_t RGBAt(TDIBSurface& picture, int x, int y) { return gdi::ReadPixelRGB(picture.Image()->View(), x, y); }

// Colours where ImageMagick sees the pixel at all; the alpha plane against its alpha (or 0/255).
void ExpectLikeImageMagick(TDIBSurface& picture, const Bytes& rgba, bool binaryAlpha) {
  ASSERT_EQ(rgba.size(), static_cast<std::size_t>(picture.Width()) * picture.Height() * 4);
  ASSERT_NE(picture.Alpha(), nullptr);
  int wrong = 0;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      const std::uint8_t* ref = rgba.data() + (static_cast<std::size_t>(y) * picture.Width() + x) * 4;
      const std::uint32_t want = (ref[0] << 16) | (ref[1] << 8) | ref[2];
      const std::uint32_t alpha = picture.Alpha()->GetPixel(x, y);
      const std::uint32_t wantAlpha = binaryAlpha ? (ref[3] == 0 ? 0 : 255) : ref[3];
      if (alpha != wantAlpha && ++wrong < 4) ADD_FAILURE() << "alpha " << x << "," << y << " " << alpha;
      if (ref[3] != 0 && RGBAt(picture, x, y) != want && ++wrong < 4)
        ADD_FAILURE() << "pixel " << x << "," << y << std::hex << " got " << RGBAt(picture, x, y) << " want " << want;
    }
  EXPECT_EQ(wrong, 0);
}

TEST(IconReader, MatchesImageMagickAndIcotool) {
  struct Case {
    const char* file;
    const char* rgba;
    int bitCount;  // after loading
    bool icon32;
  };
  const Case cases[] = {
      {"ico-32-alpha.ico", "ico-32-alpha-0.rgba", 24, true}, {"ico-4bit.ico", "ico-4bit-0.rgba", 4, false},
      {"ico-8bit.ico", "ico-8bit-0.rgba", 8, false},         {"icotool-1.ico", "icotool-1.rgba", 1, false},
      {"icotool-4.ico", "icotool-4.rgba", 4, false},         {"icotool-8.ico", "icotool-8.rgba", 8, false},
      {"icotool-24.ico", "icotool-24.rgba", 24, false},      {"icotool-32.ico", "icotool-32.rgba", 24, true},
      {"icotool-cursor.cur", "icotool-cursor.rgba", 24, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TDIBSurface picture;
    const Loaded r = Load(picture, Fixture(c.file), true);
    EXPECT_EQ(picture.GetBitCount(), c.bitCount);
    EXPECT_EQ(r.icon32, c.icon32);
    EXPECT_EQ(r.key, -1);
    ExpectLikeImageMagick(picture, ReadWholeFile(Fixture(c.rgba)), !c.icon32);
  }
}

TEST(IconReader, ThirtyTwoBitsKeepTheirAlphaWithoutBeingAsked) {
  TDIBSurface picture;
  const Loaded r = Load(picture, Fixture("icotool-32.ico"), false, false, 0x00FF00);
  EXPECT_TRUE(r.icon32);
  EXPECT_EQ(r.key, -1);
  EXPECT_EQ(picture.GetBitCount(), 24);
  ExpectLikeImageMagick(picture, ReadWholeFile(Fixture("icotool-32.rgba")), false);
}

TEST(IconReader, KeyModePaintsTheLowestUnusedIndex) {
  const Bytes rgba = ReadWholeFile(Fixture("icotool-8.rgba"));
  TDIBSurface picture;
  const Loaded r = Load(picture, Fixture("icotool-8.ico"), false, false, gdi::RGB(1, 2, 3));
  EXPECT_EQ(picture.Alpha(), nullptr);
  // The lowest index no visible pixel used before.
  TDIBSurface reference;
  Load(reference, Fixture("icotool-8.ico"), true);
  std::vector<bool> used(256);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) used[reference.GetPixel(x, y)] = true;
  int lowest = 0;
  while (used[lowest]) ++lowest;
  EXPECT_EQ(r.key, lowest);
  EXPECT_EQ(picture.ColorTable[lowest], RGBQuadFromRGB(1, 2, 3));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (rgba[(y * 16 + x) * 4 + 3] == 0) {
        EXPECT_EQ(picture.GetPixel(x, y), static_cast<std::uint32_t>(lowest));
      }

  // 24 bits: the colour itself; the plain load uses black.
  TDIBSurface deep;
  const Loaded d = Load(deep, Fixture("icotool-24.ico"), false, false, gdi::RGB(1, 2, 3));
  EXPECT_EQ(d.key, 0x010203);
  EXPECT_EQ(deep.GetPixel(0, 0), 0x010203u);
  TDIBSurface plain;
  plain.LoadFromFile(Fixture("icotool-24.ico"));
  EXPECT_EQ(plain.GetPixel(0, 0), 0u);
  EXPECT_EQ(plain.Alpha(), nullptr);
}

TEST(IconReader, CursorHotSpotAndBmpUnderAnIconName) {
  TDIBSurface cursor;
  const Loaded c = Load(cursor, Fixture("icotool-cursor.cur"), true);
  EXPECT_EQ(c.info.HotSpot, MakePoint(5, 7));
  EXPECT_EQ(c.info.IconIndex, 0);

  TDIBSurface bmp;
  const Loaded b = Load(bmp, Fixture("bmp-named.ico"), true, false, 0x123);
  EXPECT_EQ(b.key, -1);
  EXPECT_EQ(bmp.Width(), 23);
  EXPECT_EQ(bmp.Alpha(), nullptr);
}

TEST(IconReader, ChooserListsEveryEntryAndLoadsTheChosenOne) {
  platform::HeadlessIconChooser chooser;
  chooser.Preset(1);
  platform::SetIconChooser(&chooser);
  TDIBSurface picture;
  Loaded r;
  try {
    r = Load(picture, Fixture("ico-three-sizes.ico"), true, true);
  } catch (...) {
    platform::SetIconChooser(nullptr);
    throw;
  }
  platform::SetIconChooser(nullptr);
  EXPECT_EQ(chooser.caption(), "Select One from Multiple Icons");
  EXPECT_EQ(chooser.rows(), (std::vector<std::string>{"001 : 48 x 48  32 bpp", "002 : 32 x 32  32 bpp",
                                                      "003 : 16 x 16  32 bpp"}));
  EXPECT_EQ(r.info.IconIndex, 1);
  EXPECT_EQ(picture.Width(), 32);
  ASSERT_EQ(chooser.previews().size(), 2u);
  // The 48 x 48 entry sits at (26, 26) over white; the 32 x 32 one at (34, 34).
  for (const auto& [row, preview] : chooser.previews()) {
    ASSERT_EQ(preview.width, 100);
    const int side = row == 0 ? 48 : 32;
    const int at = (100 - side) / 2;
    auto rgb = [&shown = preview](int x, int y) {
      const std::uint8_t* p = shown.rgb.data() + (y * 100 + x) * 3;
      return (p[0] << 16) | (p[1] << 8) | p[2];
    };
    EXPECT_EQ(rgb(at - 1, at), 0xFFFFFF);
    EXPECT_EQ(rgb(at + side, at + side - 1), 0xFFFFFF);
    EXPECT_NE(rgb(at, at + side / 2), 0xFFFFFF);  // the opaque left column of the picture
  }

  // Without ChooseIcon nothing is asked and entry 0 loads.
  platform::HeadlessIconChooser unused;
  platform::SetIconChooser(&unused);
  TDIBSurface first;
  const Loaded f = Load(first, Fixture("ico-three-sizes.ico"), true, false);
  platform::SetIconChooser(nullptr);
  EXPECT_EQ(unused.shown(), 0);
  EXPECT_EQ(f.info.IconIndex, 0);
  EXPECT_EQ(first.Width(), 48);
  ExpectLikeImageMagick(first, ReadWholeFile(Fixture("ico-three-sizes-0.rgba")), false);
}

Bytes IconFile(std::uint16_t count, std::uint32_t offset, const Bytes& image, std::int32_t width = 1,
               std::int32_t height = 2, std::uint32_t headerSize = 40) {
  Bytes b = {0, 0, 1, 0, static_cast<std::uint8_t>(count), 0};
  if (count > 0) {
    Bytes entry = {1, 1, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) entry.push_back(static_cast<std::uint8_t>(offset >> (8 * i)));
    b.insert(b.end(), entry.begin(), entry.end());
  }
  Bytes header(40);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) header[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put32(0, headerSize);
  put32(4, static_cast<std::uint32_t>(width));
  put32(8, static_cast<std::uint32_t>(height));
  header[12] = 1;
  header[14] = 24;
  b.insert(b.end(), header.begin(), header.end());
  b.insert(b.end(), image.begin(), image.end());
  return b;
}

TEST(IconReader, BadInputRaisesClearErrors) {
  const Bytes pixel = {1, 2, 3, 0, 0x80, 0, 0, 0};  // one 24-bit row, one mask row
  struct Case {
    const char* what;
    Bytes bytes;
  };
  Bytes png = IconFile(1, 22, {});
  png.resize(22);
  png.insert(png.end(), {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
  const Case cases[] = {
      {"no entries", IconFile(0, 0, {})},
      {"offset past the file", IconFile(1, 5000, pixel)},
      {"image cut short", IconFile(1, 22, {1, 2, 3})},
      {"header of 20 bytes", IconFile(1, 22, pixel, 1, 2, 20)},
      {"negative height", IconFile(1, 22, pixel, 1, -2)},
      {"a PNG entry", png},
      {"directory cut short", Bytes{0, 0, 1, 0, 2, 0, 1}},
  };
  TempFolder dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteWholeFile(dir / "bad.ico", c.bytes);
    TDIBSurface picture;
    try {
      Load(picture, dir / "bad.ico", false);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find("bad.ico"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(picture.GetEmpty());
  }
  TDIBSurface fromBmpReader;
  WriteWholeFile(dir / "bad.ico", IconFile(1, 22, pixel, 1, 2, 20));
  try {
    Load(fromBmpReader, dir / "bad.ico", false);
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(std::string(e.what()).rfind(std::string(texts::kInvalidDIB), 0), 0u);
  }
  // The valid file of the same shape loads: a 1 x 1 picture whose mask bit makes it transparent.
  WriteWholeFile(dir / "good.ico", IconFile(1, 22, pixel));
  TDIBSurface good;
  Load(good, dir / "good.ico", true);
  EXPECT_EQ(good.GetPixel(0, 0), 0x030201u);
  EXPECT_EQ(good.Alpha()->GetPixel(0, 0), 0u);
}

TEST(IconReader, SixteenAndThirtyTwoBitEntriesWithoutMasksEndAtTheirMask) {
  // A 2 x 1 32-bit entry: 8 colour bytes, then 4 mask bytes; nothing more (no bit-field masks).
  Bytes file = {0, 0, 1, 0, 1, 0, 2, 1, 0, 0, 1, 0, 32, 0, 52, 0, 0, 0, 22, 0, 0, 0};
  Bytes header(40);
  header[0] = 40;
  header[4] = 2;
  header[8] = 2;
  header[12] = 1;
  header[14] = 32;
  file.insert(file.end(), header.begin(), header.end());
  file.insert(file.end(), {10, 20, 30, 200, 40, 50, 60, 255, 0x40, 0, 0, 0});
  TempFolder dir;
  WriteWholeFile(dir / "small.ico", file);
  TDIBSurface picture;
  const Loaded r = Load(picture, dir / "small.ico", false);
  EXPECT_TRUE(r.icon32);
  EXPECT_EQ(picture.GetPixel(0, 0), 0x1E140Au);
  EXPECT_EQ(picture.Alpha()->GetPixel(0, 0), 200u);
  EXPECT_EQ(picture.Alpha()->GetPixel(1, 0), 0u);  // mask bit set
}

// ---- writing ----

TEST(IconWriter, DirectoryFieldsForIconsAndCursors) {
  TempFolder dir;
  TDIBSurface p;
  p.SetSize(3, 2, 16);
  p.FillRectPixel(p.GetBoundsRect(), 0xFFFF);
  p.SetPixel(0, 0, 0);
  p.SaveToFileEx(dir / "a.cur", 0, nullptr, false, false, MakePoint(5, 7));
  p.SaveToFileEx(dir / "a.ICO", -1, nullptr, false, false, MakePoint(5, 7));
  const Bytes cur = ReadWholeFile(dir / "a.cur");
  const Bytes ico = ReadWholeFile(dir / "a.ICO");
  EXPECT_EQ(Get16(cur, 2), 2u);
  EXPECT_EQ(Get16(cur, 4), 1u);
  EXPECT_EQ(Get16(cur, 10), 5u);
  EXPECT_EQ(Get16(cur, 12), 7u);
  EXPECT_EQ(Get16(ico, 2), 1u);
  EXPECT_EQ(Get16(ico, 10), 0u);
  EXPECT_EQ(Get16(ico, 12), 24u);
  for (const Bytes* b : {&cur, &ico}) {
    EXPECT_EQ((*b)[6], 3);
    EXPECT_EQ((*b)[7], 2);
    EXPECT_EQ(Get32(*b, 18), 22u);
    EXPECT_EQ(Get32(*b, 22 + 8), 4u);   // header height counts two pictures
    EXPECT_EQ(Get16(*b, 22 + 14), 24u);  // 16 bits stored as 24
    const std::uint32_t s = 12, t = 4;
    EXPECT_EQ(Get32(*b, 22 + 20), s * 2 + t * 2);
    EXPECT_EQ(Get32(*b, 14), 40 + s * 2 + t * 2);
    ASSERT_EQ(b->size(), 22 + 40 + s * 2 + t * 2);
  }
  // Mask rows bottom-up: only the cursor's key pixel (0, 0), in the top row, is transparent.
  EXPECT_EQ(cur[cur.size() - 8], 0x00);
  EXPECT_EQ(cur[cur.size() - 4], 0x80);
  EXPECT_EQ(ico[ico.size() - 4], 0x00);
  EXPECT_EQ(IsCursorExt(".ico"), false);
  EXPECT_EQ(IsCursorExt("ICO"), false);
  EXPECT_EQ(IsCursorExt(".cur"), true);
  EXPECT_EQ(IsCursorExt(".icon"), true);
}

TEST(IconWriter, ImageMagickReadsOurIcons) {
  if (std::system("convert -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick is not installed";
  TempFolder dir;
  TDIBSurface source;
  Load(source, Fixture("ico-32-alpha.ico"), true);
  TDIBSurface& alpha = *source.Alpha();
  struct Case {
    const char* name;
    bool icon32;
  };
  for (const Case c : {Case{"ours32.ico", true}, Case{"ours24.ico", false}}) {
    SCOPED_TRACE(c.name);
    source.SaveToFileEx(dir / c.name, -1, &alpha, false, c.icon32, TPoint{});
    const std::string command = "convert '" + (dir / c.name) + "' -depth 8 rgba:'" + (dir / "out.rgba") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const Bytes theirs = ReadWholeFile(dir / "out.rgba");
    ASSERT_EQ(theirs.size(), 16u * 16 * 4);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const std::uint8_t* p = theirs.data() + (y * 16 + x) * 4;
        const std::uint32_t a = alpha.GetPixel(x, y);
        const std::uint32_t wantAlpha = c.icon32 ? a : (a < 128 ? 0 : 255);
        ASSERT_EQ(p[3], wantAlpha) << x << "," << y;
        if (wantAlpha != 0) {
          ASSERT_EQ(static_cast<std::uint32_t>((p[0] << 16) | (p[1] << 8) | p[2]), RGBAt(source, x, y)) << x << "," << y;
        }
      }
    TDIBSurface back;
    const Loaded r = Load(back, dir / c.name, true);
    EXPECT_EQ(r.icon32, c.icon32);
  }
}

TEST(IconWriter, EightBitAlphaSourceGetsABlackUnusedIndex) {
  TempFolder dir;
  TDIBSurface p;
  p.SetSize(2, 1, 8);
  p.ColorTable[0] = RGBQuadFromRGB(9, 9, 9);
  p.UpdatePalette();
  p.SetPixel(0, 0, 0);
  p.SetPixel(1, 0, 0);
  TDIB alpha;
  alpha.SetSize(2, 1, 8);
  alpha.SetPixel(0, 0, 255);
  alpha.SetPixel(1, 0, 10);
  p.SaveToFileEx(dir / "k.ico", -1, &alpha, false, false, TPoint{});
  const Bytes b = ReadWholeFile(dir / "k.ico");
  const std::size_t table = 22 + 40;
  EXPECT_EQ(Get32(b, table + 4), 0u);  // index 1, the lowest unused, made black
  const std::size_t rows = table + 256 * 4;
  EXPECT_EQ(b[rows], 0);
  EXPECT_EQ(b[rows + 1], 1);
  EXPECT_EQ(b[rows + 4], 0x40);  // mask: pixel 1 transparent
}

// ---- the paint box ----

TEST(DXPaintBox, PlacementRules) {
  struct Case {
    const char* what;
    int bw, bh;
    bool autoStretch, center, keepAspect, stretch;
    int viewWidth, viewHeight;
    TRect want;
  };
  const Case cases[] = {
      {"natural", 60, 40, false, false, false, false, 0, 0, MakeRect(0, 0, 60, 40)},
      {"natural centred", 60, 40, false, true, false, false, 0, 0, MakeRect(20, 30, 80, 70)},
      {"stretch", 200, 100, false, false, false, true, 0, 0, MakeRect(0, 0, 100, 100)},
      {"stretch keeping proportions", 200, 100, false, false, true, true, 0, 0, MakeRect(0, 0, 100, 50)},
      {"stretch keeping proportions centred", 200, 100, false, true, true, true, 0, 0, MakeRect(0, 25, 100, 75)},
      {"auto stretch, smaller", 60, 40, true, false, false, false, 0, 0, MakeRect(0, 0, 60, 40)},
      {"auto stretch, larger", 400, 100, true, false, false, false, 0, 0, MakeRect(0, 0, 100, 25)},
      {"view width", 60, 40, false, false, false, false, 80, 0, MakeRect(0, 0, 80, 40)},
      {"view size, auto stretch", 60, 40, true, false, false, false, 200, 50, MakeRect(0, 0, 100, 25)},
      // Halves round to the even neighbour: 2.5 gives 2, 3.5 gives 4.
      {"fitted half down", 400, 10, true, false, false, false, 0, 0, MakeRect(0, 0, 100, 2)},
      {"fitted half up", 400, 14, true, false, false, false, 0, 0, MakeRect(0, 0, 100, 4)},
      {"view half down", 60, 40, true, false, false, false, 400, 10, MakeRect(0, 0, 100, 2)},
      {"view half up", 60, 40, true, false, false, false, 400, 14, MakeRect(0, 0, 100, 4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TDXPaintBox box;
    box.Width = 100;
    box.Height = 100;
    box.DIB().SetSize(c.bw, c.bh, 24);
    box.SetAutoStretch(c.autoStretch);
    box.SetCenter(c.center);
    box.SetKeepAspect(c.keepAspect);
    box.SetStretch(c.stretch);
    box.SetViewWidth(c.viewWidth);
    box.SetViewHeight(c.viewHeight);
    const auto rect = box.DrawRect();
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(*rect, c.want);
  }
}

TEST(DXPaintBox, StateAndDrawing) {
  TDXPaintBox box;
  EXPECT_EQ(box.Width, 105);
  EXPECT_EQ(box.Height, 105);
  EXPECT_FALSE(box.AutoStretch() || box.Center() || box.KeepAspect() || box.Stretch());
  EXPECT_EQ(box.ViewWidth(), 0);
  box.SetViewWidth(-5);
  EXPECT_EQ(box.ViewWidth(), 0);
  EXPECT_EQ(box.InvalidateCount(), 0);
  box.SetCenter(true);
  box.SetCenter(true);
  box.SetViewHeight(3);
  EXPECT_EQ(box.InvalidateCount(), 2);
  EXPECT_FALSE(box.DrawRect().has_value());

  TDIB target;
  target.SetSize(105, 105, 24);
  TDIB& canvasOwner = target;
  box.SetViewHeight(0);
  box.Paint(canvasOwner.GetCanvas());  // empty bitmap: nothing drawn
  EXPECT_EQ(target.GetPixel(52, 52), 0u);

  TDIB source;
  source.SetSize(5, 5, 24);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) source.SetPixel(x, y, 0x00FF00);
  box.SetDIB(&source);
  EXPECT_EQ(box.DIB().Image(), source.Image());
  box.Paint(target.GetCanvas());
  EXPECT_EQ(target.GetPixel(50, 50), 0x00FF00u);
  EXPECT_EQ(target.GetPixel(49, 50), 0u);
  const int before = box.InvalidateCount();
  box.SetDIB(&box.DIB());
  EXPECT_EQ(box.InvalidateCount(), before);
}

// ---- BMP with alpha ----

TEST(BMPAlpha, AlphaSourceGoesIntoTheFourthByteAndComesBack) {
  TempFolder dir;
  TDIBSurface p;
  p.SetSize(3, 2, 24);
  p.FillRectPixel(p.GetBoundsRect(), 0x112233);
  TDIB alpha;
  alpha.SetSize(3, 2, 8);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) alpha.SetPixel(x, y, static_cast<std::uint32_t>(40 * x + y));
  p.SaveToFileEx(dir / "a.bmp", -1, &alpha, false, false, TPoint{});
  TDIBSurface back;
  Loaded r;
  r.info.BMPAlpha = true;
  r.key = 7;
  back.LoadFromFileEx(dir / "a.bmp", r.key, false, false, r.icon32, r.info);
  EXPECT_EQ(back.GetBitCount(), 32);
  EXPECT_FALSE(r.info.BMPAlpha);
  EXPECT_EQ(r.key, -1);
  const Loaded taken = Load(back, dir / "a.bmp", true);
  EXPECT_TRUE(taken.info.BMPAlpha);
  EXPECT_EQ(back.GetBitCount(), 24);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(back.Alpha()->GetPixel(x, y), alpha.GetPixel(x, y));
      EXPECT_EQ(back.GetPixel(x, y), 0x112233u);
    }

  TDIBSurface deep;
  deep.SetSize(3, 2, 16);
  try {
    deep.SaveToFileEx(dir / "b.bmp", -1, &alpha, false, false, TPoint{});
    ADD_FAILURE() << "no error";
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(std::string(e.what()).rfind(std::string(texts::kInvalidPixelFormat), 0), 0u);
  }
  EXPECT_FALSE(fs::exists(dir / "b.bmp"));
}

}  // namespace
}  // namespace vorn
