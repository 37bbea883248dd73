#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/file_stream.h"
#include "foundation/system_texts.h"
#include "graphics/dib_surface.h"
#include "graphics/graphics_errors.h"
#include "graphics/tga_packets.h"
#include "support/temp_folder.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::TempFolder;
using testing::WriteWholeFile;

fs::path FixturePath(const std::string& name) { return fs::path(VORN_SOURCE_DIR) / "tests/graphics/data/tga_ico" / name; }

std::uint32_t Get16(const Bytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t Get32(const Bytes& b, std::size_t at) { return Get16(b, at) | (Get16(b, at + 2) << 16); }

struct Loaded {
  std::int32_t key = -1;
  bool icon32 = false;
  TSurfaceFileInfo info;
};

Loaded Load(TDIBSurface& picture, const std::string& path, bool takeAlpha, bool chooseIcon = false,
            std::int32_t key = 0xFF00FF) {
  Loaded r;
  r.key = key;
  picture.LoadFromFileEx(path, r.key, takeAlpha, chooseIcon, r.icon32, r.info);
  return r;
}

std::uint32_t RGBAt(TDIBSurface& picture, int x, int y) { return gdi::ReadPixelRGB(picture.Image()->View(), x, y); }

// Compares colours with ImageMagick's decoding; fiveBits compares the 5-bit fields only.
void ExpectPixels(TDIBSurface& picture, const Bytes& rgba, bool fiveBits, bool skipTransparent = false) {
  ASSERT_EQ(rgba.size(), static_cast<std::size_t>(picture.Width()) * picture.Height() * 4);
  int wrong = 0;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      const std::uint8_t* ref = rgba.data() + (static_cast<std::size_t>(y) * picture.Width() + x) * 4;
      if (skipTransparent && ref[3] == 0) continue;
      const std::uint32_t got = RGBAt(picture, x, y);
      std::uint32_t r = ref[0], g = ref[1], b = ref[2];
      std::uint32_t gr = (got >> 16) & 0xFF, gg = (got >> 8) & 0xFF, gb = got & 0xFF;
      if (fiveBits) {
        r = (r * 31 + 127) / 255, g = (g * 31 + 127) / 255, b = (b * 31 + 127) / 255;
        gr >>= 3, gg >>= 3, gb >>= 3;
      }
      if ((r != gr || g != gg || b != gb) && ++wrong < 4)
        ADD_FAILURE() << "pixel " << x << "," << y << " got " << std::hex << got << " want " << r << " " << g << " " << b;
    }
  EXPECT_EQ(wrong, 0);
}

// ---- TGA reading against ImageMagick ----

struct TGAFixture {
  const char* name;
  int bitCount;
  bool compressed;
  bool fiveBits;
};

TEST(TGAReader, MatchesImageMagickForEveryVariant) {
  const TGAFixture cases[] = {
      {"tga-24-bottom-up", 24, false, false}, {"tga-24-rle", 24, true, false},
      {"tga-8-mapped", 8, false, false},      {"tga-8-mapped-rle", 8, true, false},
      {"tga-grey", 8, false, false},          {"tga-grey-rle", 8, true, false},
      {"tga-16", 16, false, true},            {"tga-24-top-left", 24, false, false},
      {"tga-24-top-right", 24, false, false}, {"tga-24-comment", 24, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDIBSurface picture;
    const Loaded r = Load(picture, FixturePath(std::string(c.name) + ".tga").string(), false);
    EXPECT_EQ(picture.GetBitCount(), c.bitCount);
    EXPECT_EQ(r.info.TGACompressed, c.compressed);
    EXPECT_EQ(r.key, -1);
    ExpectPixels(picture, ReadWholeFile(FixturePath(std::string(c.name) + ".rgba")), c.fiveBits);
  }
}

TEST(TGAReader, ThirtyTwoBitsGiveAnInvertedAlphaPlaneOnlyWhenAsked) {
  const Bytes rgba = ReadWholeFile(FixturePath("tga-32-alpha.rgba"));
  TDIBSurface plain;
  const Loaded p = Load(plain, FixturePath("tga-32-alpha.tga").string(), false);
  EXPECT_EQ(plain.GetBitCount(), 32);
  EXPECT_FALSE(p.info.TGAAlpha);
  EXPECT_EQ(plain.Alpha(), nullptr);

  TDIBSurface picture;
  const Loaded r = Load(picture, FixturePath("tga-32-alpha.tga").string(), true);
  EXPECT_EQ(picture.GetBitCount(), 24);
  EXPECT_TRUE(r.info.TGAAlpha);
  ASSERT_NE(picture.Alpha(), nullptr);
  ExpectPixels(picture, rgba, false);
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x)
      ASSERT_EQ(picture.Alpha()->GetPixel(x, y), 255u - rgba[(y * picture.Width() + x) * 4 + 3]) << x << "," << y;
}

TEST(TGAReader, FooterAndExtensionArea) {
  const Bytes rgba = ReadWholeFile(FixturePath("tga-24-bottom-up.rgba"));
  TDIBSurface zeros;
  EXPECT_EQ(Load(zeros, FixturePath("tga-24-footer-zeros.tga").string(), false).key, -1);
  ExpectPixels(zeros, rgba, false);

  TDIBSurface keyed;
  EXPECT_EQ(Load(keyed, FixturePath("tga-24-extension-key.tga").string(), false).key, 0x4080C0);
  ExpectPixels(keyed, rgba, false);

  TDIBSurface mapped;
  const Loaded m = Load(mapped, FixturePath("tga-8-extension-key.tga").string(), false);
  EXPECT_EQ(m.key, gdi::NearestColorTableIndex(mapped.ColorTable, 256, 0x40, 0x80, 0xC0));
  ASSERT_GE(m.key, 0);

  // A key colour field that is not followed by "." at the end: no footer, no key.
  TempFolder dir;
  Bytes broken = ReadWholeFile(FixturePath("tga-24-extension-key.tga"));
  broken[broken.size() - 5] = 'X';
  WriteWholeFile(dir / "broken.tga", broken);
  TDIBSurface noFooter;
  EXPECT_EQ(Load(noFooter, dir / "broken.tga", false).key, -1);
}

Bytes TGAHeader(int idLength, int mapType, int type, int mapFirst, int mapLength, int mapBits, int width, int height,
                int depth, int descriptor) {
  return {static_cast<std::uint8_t>(idLength), static_cast<std::uint8_t>(mapType), static_cast<std::uint8_t>(type),
          static_cast<std::uint8_t>(mapFirst), static_cast<std::uint8_t>(mapFirst >> 8),
          static_cast<std::uint8_t>(mapLength), static_cast<std::uint8_t>(mapLength >> 8),
          static_cast<std::uint8_t>(mapBits), 0, 0, 0, 0,
          static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(width >> 8),
          static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8),
          static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(descriptor)};
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(TGAReader, HandWrittenLayouts) {
  {
    SCOPED_TRACE("a 16-bit map with a first index, entries past 255 skipped");
    // Map entries 254 and 255 are stored; the third would be 256 and is skipped, not read as pixels.
    const Bytes bytes = Cat({TGAHeader(0, 1, 1, 254, 3, 16, 2, 1, 8, 0x20), {0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C}, {254, 255}});
    TDIBSurface p;
    TMemoryStream s(bytes);
    std::int32_t key = 5;
    TSurfaceFileInfo info;
    p.ReadTGA(s, key, false, info);
    EXPECT_EQ(key, -1);
    EXPECT_EQ(p.ColorTable[254], RGBQuadFromRGB(0, 0, 0xF8));
    EXPECT_EQ(p.ColorTable[255], RGBQuadFromRGB(0, 0xF8, 0));
    EXPECT_EQ(p.GetPixel(0, 0), 254u);
    EXPECT_EQ(p.GetPixel(1, 0), 255u);
  }
  {
    SCOPED_TRACE("a map of 15-bit entries is skipped whole");
    const Bytes bytes = Cat({TGAHeader(0, 1, 1, 0, 2, 15, 2, 1, 8, 0x20), {1, 2, 3, 4}, {7, 9}});
    TDIBSurface p;
    TMemoryStream s(bytes);
    std::int32_t key = -1;
    TSurfaceFileInfo info;
    p.ReadTGA(s, key, false, info);
    EXPECT_EQ(p.GetPixel(0, 0), 7u);
    EXPECT_EQ(p.GetPixel(1, 0), 9u);
  }
  {
    SCOPED_TRACE("run-length packets run across rows and a long count is cut");
    // 3 x 2 at 8 bits: run of 4 x 0x11, then a literal of 3 where only 2 are missing.
    const Bytes bytes = Cat({TGAHeader(0, 0, 11, 0, 0, 0, 3, 2, 8, 0x20), {0x83, 0x11, 0x02, 0x21, 0x22, 0x23}});
    TDIBSurface p;
    TMemoryStream s(bytes);
    std::int32_t key = -1;
    TSurfaceFileInfo info;
    p.ReadTGA(s, key, false, info);
    EXPECT_TRUE(info.TGACompressed);
    const std::uint32_t want[6] = {0x11, 0x11, 0x11, 0x11, 0x21, 0x22};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(p.GetPixel(i % 3, i / 3), want[i]) << i;
  }
  {
    SCOPED_TRACE("depth 15 keeps 5-5-5 with bit 15 cleared, raw and packed");
    for (const int type : {2, 10}) {
      const Bytes data = type == 2 ? Bytes{0x1F, 0xFC} : Bytes{0x00, 0x1F, 0xFC};
      const Bytes bytes = Cat({TGAHeader(0, 0, type, 0, 0, 0, 1, 1, 15, 0x20), data});
      TDIBSurface p;
      TMemoryStream s(bytes);
      std::int32_t key = -1;
      TSurfaceFileInfo info;
      p.ReadTGA(s, key, false, info);
      EXPECT_EQ(p.GetBitCount(), 15);
      EXPECT_EQ(p.GetPixel(0, 0), 0x7C1Fu);
    }
  }
  {
    SCOPED_TRACE("other image types load nothing");
    const Bytes bytes = Cat({TGAHeader(0, 0, 32, 0, 0, 0, 1, 1, 24, 0x20), {1, 2, 3}});
    TDIBSurface p;
    TMemoryStream s(bytes);
    std::int32_t key = -1;
    TSurfaceFileInfo info;
    p.ReadTGA(s, key, false, info);
    EXPECT_TRUE(p.GetEmpty());
  }
}

TEST(TGAReader, BadInputRaisesClearErrors) {
  struct Case {
    const char* what;
    Bytes bytes;
    std::string message;  // empty: a read error
  };
  const std::string depth7 = FormatSystemText(texts::kInvalidBitCountFormat, 7);
  const Case cases[] = {
      {"header cut short", Bytes{0, 0, 2, 0, 0}, ""},
      {"ID field cut short", Cat({TGAHeader(40, 0, 2, 0, 0, 0, 1, 1, 24, 0x20), {1, 2, 3}}), ""},
      {"colour map cut short", Cat({TGAHeader(0, 1, 1, 0, 256, 24, 1, 1, 8, 0x20), {1, 2, 3}}), ""},
      {"raw pixels cut short", Cat({TGAHeader(0, 0, 2, 0, 0, 0, 4, 4, 24, 0x20), {1, 2, 3}}), ""},
      {"packets ending early", Cat({TGAHeader(0, 0, 10, 0, 0, 0, 4, 1, 24, 0x20), {0x81, 1, 2, 3}}), ""},
      {"a huge picture with few bytes", Cat({TGAHeader(0, 0, 10, 0, 0, 0, 0xFFFF, 0xFFFF, 32, 0x20), {0xFF, 1, 2, 3, 4}}),
       "TGA picture too large"},
      {"packets too few for the picture", Cat({TGAHeader(0, 0, 10, 0, 0, 0, 2000, 2000, 32, 0x20), {0xFF, 1, 2, 3, 4}}), ""},
      {"depth 7", Cat({TGAHeader(0, 0, 2, 0, 0, 0, 1, 1, 7, 0x20), {1}}), depth7},
      {"run-length below 8 bits", Cat({TGAHeader(0, 0, 9, 0, 0, 0, 8, 1, 1, 0x20), {0x80, 1}}),
       FormatSystemText(texts::kInvalidBitCountFormat, 1)},
  };
  TempFolder dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteWholeFile(dir / "bad.tga", c.bytes);
    TDIBSurface p;
    try {
      Load(p, dir / "bad.tga", true);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      const std::string what = e.what();
      if (c.message.empty())
        EXPECT_NE(dynamic_cast<const EReadError*>(&e), nullptr) << what;
      else
        EXPECT_EQ(what.rfind(c.message, 0), 0u) << what;
      EXPECT_NE(what.find("bad.tga"), std::string::npos) << what;
    }
    EXPECT_TRUE(p.GetEmpty());
  }
  TDIBSurface p;
  EXPECT_THROW(Load(p, dir / "missing.tga", false), EFOpenError);
}

// ---- TGA writing ----

TEST(TGAWriter, PacketPlannerFollowsTheRunRules) {
  struct Case {
    const char* what;
    Bytes pixels;
    Bytes headers;
  };
  Bytes equal130(130, 7), different300(300);
  for (int i = 0; i < 300; ++i) different300[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  const Case cases[] = {
      {"130 equal", equal130, {0xFF, 0x81}},
      {"1 2 2 3", {1, 2, 2, 3}, {0x00, 0x81, 0x00}},
      {"all different", different300, {0x7F, 0x7F, 0x2B}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes buffer = c.pixels;
    buffer.push_back(0);
    const Bytes packed = EncodeTGAPackets(buffer.data(), static_cast<std::int64_t>(c.pixels.size()), 1);
    Bytes headers;
    std::size_t at = 0;
    while (at < packed.size()) {
      const std::uint8_t h = packed[at];
      headers.push_back(h);
      at += 1 + (h >= 0x80 ? 1 : h + 1);
    }
    EXPECT_EQ(headers, c.headers);
  }
  // Pixel bytes are written lowest first.
  const Bytes pixels24 = {1, 2, 3, 1, 2, 3, 0};
  EXPECT_EQ(EncodeTGAPackets(pixels24.data(), 2, 3), (Bytes{0x81, 1, 2, 3}));
}

TEST(TGAWriter, HeaderAndFooterFields) {
  TempFolder dir;
  TDIBSurface p;
  p.SetSize(3, 2, 24);
  p.FillRectPixel(p.GetBoundsRect(), 0x102030);
  p.SaveToFileEx(dir / "PICTURE.TGA", 0x102030, nullptr, false, false, TPoint{});
  const Bytes b = ReadWholeFile(dir / "PICTURE.TGA");
  const Bytes header(b.begin(), b.begin() + 18);
  EXPECT_EQ(header, TGAHeader(0, 0, 2, 0, 0, 24, 3, 2, 24, 0x20));
  const std::size_t ext = 18 + 18;
  ASSERT_EQ(b.size(), ext + 495 + 26);
  EXPECT_EQ(Get16(b, ext), 495u);
  EXPECT_EQ(Bytes(b.begin() + ext + 470, b.begin() + ext + 474), (Bytes{0, 0x10, 0x20, 0x30}));
  EXPECT_EQ(Get32(b, ext + 495), ext);
  EXPECT_EQ(Get32(b, ext + 499), 0u);
  EXPECT_EQ(std::string(b.end() - 18, b.end()), std::string("TRUEVISION-XFILE.\0", 18));

  p.SaveToFile(dir / "plain.tga");
  const Bytes plain = ReadWholeFile(dir / "plain.tga");
  ASSERT_EQ(plain.size(), 18u + 18 + 26);
  EXPECT_EQ(Get32(plain, 36), 0u);
  EXPECT_EQ(Get32(plain, 40), 0u);

  TDIBSurface back;
  EXPECT_EQ(Load(back, dir / "PICTURE.TGA", false).key, 0x102030);
  EXPECT_EQ(back.GetPixel(2, 1), 0x102030u);

  // A bigger name ending: BMP.
  p.SaveToFile(dir / "picture.tga.bmp");
  const Bytes bmp = ReadWholeFile(dir / "picture.tga.bmp");
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
}

TEST(TGAWriter, LowDepthsGoOutAsEightBitsWithTheWholeTable) {
  TempFolder dir;
  for (const int bits : {1, 4}) {
    SCOPED_TRACE(bits);
    TDIBSurface p;
    p.SetSize(5, 3, bits);
    for (int i = 0; i < (1 << bits); ++i) p.ColorTable[i] = RGBQuadFromRGB(static_cast<std::uint8_t>(i * 10), 7, 200);
    p.UpdatePalette();
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) p.SetPixel(x, y, static_cast<std::uint32_t>((x + y) % (1 << bits)));
    for (const bool compress : {false, true}) {
      p.SaveToFileEx(dir / "low.tga", -1, nullptr, compress, false, TPoint{});
      const Bytes b = ReadWholeFile(dir / "low.tga");
      EXPECT_EQ(Bytes(b.begin(), b.begin() + 18), TGAHeader(0, 1, compress ? 9 : 1, 0, 256, 24, 5, 3, 8, 0x20));
      TDIBSurface back;
      Load(back, dir / "low.tga", false);
      EXPECT_EQ(back.GetBitCount(), 8);
      for (int i = 0; i < 256; ++i) ASSERT_EQ(back.ColorTable[i], p.ColorTable[i]) << i;
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(back.GetPixel(x, y), p.GetPixel(x, y));
    }
  }
}

TEST(TGAWriter, SixteenBitsTravelAsFiveFiveFive) {
  TempFolder dir;
  TDIBSurface p;
  p.SetSize(2, 1, 16);
  p.SetPixel(0, 0, 0xFFFF);
  p.SetPixel(1, 0, 0x07E0);
  p.SaveToFile(dir / "w.tga");
  const Bytes b = ReadWholeFile(dir / "w.tga");
  EXPECT_EQ(b[16], 16);
  EXPECT_EQ(Get16(b, 18), 0x7FFFu);
  EXPECT_EQ(Get16(b, 20), 0x03E0u);
  TDIBSurface back;
  Load(back, dir / "w.tga", false);
  EXPECT_EQ(back.GetBitCount(), 16);
  EXPECT_EQ(back.GetPixel(0, 0), 0xFFDFu);
  EXPECT_EQ(back.GetPixel(1, 0), 0x07C0u);

  TDIBSurface p15;
  p15.SetSize(1, 1, 15);
  p15.SetPixel(0, 0, 0x7C1F);
  p15.SaveToFile(dir / "w15.tga");
  TDIBSurface back15;
  Load(back15, dir / "w15.tga", false);
  EXPECT_EQ(back15.GetBitCount(), 16);
  EXPECT_EQ(back15.GetPixel(0, 0), 0xF81Fu);
}

// The lowest green bit of a 5-6-5 picture does not travel; the key travels the same way, so it
// still names the pixels it named.
TEST(TGAWriter, SixteenBitKeyTravelsAsThePixelsDo) {
  TempFolder dir;
  TDIBSurface p;
  p.SetSize(2, 1, 16);
  p.SetPixel(0, 0, 0x0FE1);  // red 1, green 63 (lowest bit set), blue 1
  p.SetPixel(1, 0, 0xF800);
  p.SaveToFileEx(dir / "k.tga", 0x0FE1, nullptr, false, false, TPoint{});
  const Bytes b = ReadWholeFile(dir / "k.tga");
  const std::size_t ext = 18 + 2 * 2;
  // Key colour field: 0, red 1, green 62 (the 6-bit field without the bit the pixels lost), blue 1.
  EXPECT_EQ(Bytes(b.begin() + ext + 470, b.begin() + ext + 474), (Bytes{0, 1, 62, 1}));
  TDIBSurface back;
  const Loaded r = Load(back, dir / "k.tga", false);
  EXPECT_EQ(back.GetPixel(0, 0), 0x0FC1u);
  EXPECT_EQ(r.key, 0x0FC1);
}

TEST(TGAWriter, AlphaSourceIsStoredInvertedAndComesBack) {
  TempFolder dir;
  TDIBSurface p;
  p.SetSize(4, 2, 24);
  for (int x = 0; x < 4; ++x) p.SetPixel(x, 0, 0x0000FFu * static_cast<std::uint32_t>(x + 1) / 4);
  TDIB alpha;
  alpha.SetSize(4, 2, 8);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) alpha.SetPixel(x, y, static_cast<std::uint32_t>(x * 80 + y));
  p.SaveToFileEx(dir / "a.tga", 0x123456, &alpha, true, false, TPoint{});
  const Bytes b = ReadWholeFile(dir / "a.tga");
  EXPECT_EQ(b[2], 10);
  EXPECT_EQ(b[16], 32);
  EXPECT_EQ(Get32(b, b.size() - 26), 0u);  // no extension area with an alpha source
  TDIBSurface back;
  const Loaded r = Load(back, dir / "a.tga", true);
  EXPECT_TRUE(r.info.TGAAlpha);
  ASSERT_NE(back.Alpha(), nullptr);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(back.Alpha()->GetPixel(x, y), alpha.GetPixel(x, y));
      EXPECT_EQ(back.GetPixel(x, y), p.GetPixel(x, y));
    }
}

TEST(TGAWriter, RefusesSidesBeyondSixteenBits) {
  TempFolder dir;
  TDIBSurface p;
  p.SetSize(65536, 1, 8);
  EXPECT_THROW(p.SaveToFile(dir / "wide.tga"), EInvalidGraphicOperation);
  EXPECT_FALSE(fs::exists(dir / "wide.tga"));
}

bool HaveImageMagick() { return std::system("convert -version > /dev/null 2>&1") == 0; }

Bytes ImageMagickRGBA(const std::string& file, const std::string& out) {
  const std::string command = "convert '" + file + "' -auto-orient -depth 8 rgba:'" + out + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return ReadWholeFile(out);
}

TEST(TGAWriter, ImageMagickReadsWhatWeWrite) {
  if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
  TempFolder dir;
  struct Case {
    const char* source;
    bool compress;
  };
  for (const Case c : {Case{"tga-24-bottom-up", false}, Case{"tga-24-bottom-up", true}, Case{"tga-8-mapped", true},
                       Case{"tga-8-mapped", false}}) {
    SCOPED_TRACE(std::string(c.source) + (c.compress ? " packed" : " raw"));
    TDIBSurface p;
    Load(p, FixturePath(std::string(c.source) + ".tga").string(), false);
    p.SaveToFileEx(dir / "ours.tga", -1, nullptr, c.compress, false, TPoint{});
    const Bytes theirs = ImageMagickRGBA(dir / "ours.tga", dir / "ours.rgba");
    ExpectPixels(p, theirs, false);
  }
  // The fourth byte holds 255 - alpha: ImageMagick sees the alpha inverted.
  TDIBSurface p;
  Load(p, FixturePath("tga-32-alpha.tga").string(), true);
  ASSERT_NE(p.Alpha(), nullptr);
  p.SaveToFileEx(dir / "alpha.tga", -1, p.Alpha(), false, false, TPoint{});
  const Bytes theirs = ImageMagickRGBA(dir / "alpha.tga", dir / "alpha.rgba");
  ExpectPixels(p, theirs, false);
  for (int y = 0; y < p.Height(); ++y)
    for (int x = 0; x < p.Width(); ++x)
      ASSERT_EQ(theirs[(y * p.Width() + x) * 4 + 3], 255u - p.Alpha()->GetPixel(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace vorn
