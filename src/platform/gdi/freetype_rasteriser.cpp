// The glyph rasteriser over FreeType. Faces come only from the active font catalogue, by exact
// family name, so that a face the catalogue lacks stays unknown instead of turning into whatever
// font a best-match search would pick.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/font_catalog.h"
#include "platform/gdi/gdi_font.h"

namespace vorn::gdi {
namespace {

// Emboldening widens a glyph by about one pixel; italics are a shear.
constexpr FT_Pos kBoldStrength = 64;
constexpr double kItalicShear = 0.2;
// FreeType keeps sizes in 16.16 and 26.6 fields; beyond this a size cannot be represented.
constexpr std::int64_t kLargestEm26_6 = 0x7FFF * 64;

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    if (FT_Init_FreeType(&made) != 0) return static_cast<FT_Library>(nullptr);
    return made;
  }();
  return library;
}

std::int32_t Round(double value) { return static_cast<std::int32_t>(std::nearbyint(value)); }

// Coverage 0..255 as one of `levels` grey levels, rounding half to even.
std::uint8_t Level(unsigned coverage, unsigned levels) {
  const unsigned n = coverage * (levels - 1);
  unsigned q = n / 255;
  const unsigned r = n % 255;
  if (2 * r > 255) ++q;
  return static_cast<std::uint8_t>(q);
}

class BlankFont final : public RasterFont {
 public:
  BlankFont(std::int32_t size, bool usable) : size_(std::max(size, 1)), usable_(usable) {}
  bool Metrics(OutlineMetrics& out) override {
    out = {};
    out.height = size_;
    out.descent = size_ / 5;
    out.ascent = size_ - out.descent;
    out.underscoreSize = std::max(1, size_ / 20);
    out.underscorePosition = -std::max(1, size_ / 10);
    out.strikeoutSize = out.underscoreSize;
    out.strikeoutPosition = out.ascent / 3;
    return true;
  }
  bool Glyph(std::uint16_t code, unsigned /*format*/, GlyphMetrics& metrics, std::vector<std::uint8_t>& buffer) override {
    buffer.clear();
    metrics = {};
    metrics.gmCellIncX = static_cast<std::int16_t>(std::min<std::int32_t>(Advance(code), INT16_MAX));
    return true;
  }
  bool Abc(std::uint16_t code, AbcWidths& out) override {
    out = {};
    out.abcC = Advance(code);
    return true;
  }
  bool Usable() const override { return usable_; }

 private:
  std::int32_t Advance(std::uint16_t code) const { return code > 255 ? size_ : size_ / 2; }
  std::int32_t size_;
  bool usable_;
};

class FreeTypeFont final : public RasterFont {
 public:
  FreeTypeFont(FT_Face face, const LogFont& record, double scale, std::int32_t size)
      : face_(face), record_(record), scale_(scale), size_(size) {}
  ~FreeTypeFont() override { FT_Done_Face(face_); }

  bool Metrics(OutlineMetrics& out) override {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    out = {};
    out.height = size_;
    const double ascender = os2 != nullptr ? os2->usWinAscent : face_->ascender;
    out.ascent = Round(ascender * scale_);
    out.descent = size_ - out.ascent;
    out.underscoreSize = std::max(1, Round(face_->underline_thickness * scale_));
    out.underscorePosition = Round(face_->underline_position * scale_);
    if (os2 != nullptr && os2->version != 0xFFFF) {
      out.strikeoutSize = std::max(1, Round(os2->yStrikeoutSize * scale_));
      out.strikeoutPosition = Round(os2->yStrikeoutPosition * scale_);
    } else {
      out.strikeoutSize = out.underscoreSize;
      out.strikeoutPosition = out.ascent / 3;
    }
    return true;
  }

  bool Glyph(std::uint16_t code, unsigned format, GlyphMetrics& metrics, std::vector<std::uint8_t>& buffer) override {
    buffer.clear();
    metrics = {};
    unsigned levels = 0;
    switch (format) {
      case GGO_BITMAP: levels = 2; break;
      case GGO_GRAY2_BITMAP: levels = 5; break;
      case GGO_GRAY4_BITMAP: levels = 17; break;
      case GGO_GRAY8_BITMAP: levels = 65; break;
      default: return false;
    }
    if (!Render(code, format == GGO_BITMAP)) return false;
    const FT_GlyphSlot slot = face_->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    metrics.gmCellIncX = static_cast<std::int16_t>(std::clamp<FT_Pos>((slot->advance.x + 32) >> 6, INT16_MIN, INT16_MAX));
    if (bitmap.width == 0 || bitmap.rows == 0) return true;
    metrics.gmBlackBoxX = bitmap.width;
    metrics.gmBlackBoxY = bitmap.rows;
    metrics.originX = slot->bitmap_left;
    metrics.originY = slot->bitmap_top;
    const std::size_t width = bitmap.width, rows = bitmap.rows;
    if (format == GGO_BITMAP) {
      const std::size_t stride = (width + 31) / 32 * 4;
      buffer.assign(stride * rows, 0);
      for (std::size_t y = 0; y < rows; ++y) {
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        std::copy_n(source, (width + 7) / 8, buffer.begin() + static_cast<std::ptrdiff_t>(y * stride));
      }
    } else {
      const std::size_t stride = (width + 3) / 4 * 4;
      buffer.assign(stride * rows, 0);
      for (std::size_t y = 0; y < rows; ++y) {
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        for (std::size_t x = 0; x < width; ++x) buffer[y * stride + x] = Level(source[x], levels);
      }
    }
    return true;
  }

  bool Abc(std::uint16_t code, AbcWidths& out) override {
    out = {};
    if (!Render(code, false)) return false;
    const FT_GlyphSlot slot = face_->glyph;
    const std::int32_t advance = static_cast<std::int32_t>((slot->advance.x + 32) >> 6);
    if (slot->bitmap.width == 0 || slot->bitmap.rows == 0) {
      out.abcC = advance;
      return true;
    }
    out.abcA = slot->bitmap_left;
    out.abcB = slot->bitmap.width;
    out.abcC = advance - out.abcA - static_cast<std::int32_t>(out.abcB);
    return true;
  }

 private:
  bool Render(std::uint16_t code, bool mono) {
    const char32_t unicode = Cp932CodeToUnicode(code);
    const FT_UInt index = unicode == 0 ? 0 : FT_Get_Char_Index(face_, unicode);
    if (FT_Load_Glyph(face_, index, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0) return false;
    FT_GlyphSlot slot = face_->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
    if (record_.lfWeight >= 600) {
      FT_Outline_EmboldenXY(&slot->outline, kBoldStrength, 0);
      slot->advance.x += kBoldStrength;
    }
    if (record_.lfItalic != 0) {
      FT_Matrix shear{0x10000, static_cast<FT_Fixed>(kItalicShear * 0x10000), 0, 0x10000};
      FT_Outline_Transform(&slot->outline, &shear);
    }
    return FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) == 0;
  }

  FT_Face face_;
  LogFont record_;
  double scale_;
  std::int32_t size_;
};

class FreeTypeRasteriser final : public GlyphRasteriser {
 public:
  std::unique_ptr<RasterFont> Open(const LogFont& record) override {
    const std::int32_t size = record.lfHeight == INT32_MIN ? 0 : std::abs(record.lfHeight);
    const platform::FontFace* found = nullptr;
    for (const platform::FontFace& face : platform::ActiveFontCatalog().Faces()) {
      if (face.family == record.FaceName()) {
        found = &face;
        break;
      }
    }
    FT_Library library = Library();
    FT_Face face = nullptr;
    if (found == nullptr || library == nullptr || FT_New_Face(library, found->file.c_str(), found->index, &face) != 0) {
      return std::make_unique<BlankFont>(size, false);
    }
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    double cell = os2 != nullptr ? static_cast<double>(os2->usWinAscent) + os2->usWinDescent
                                 : static_cast<double>(face->ascender) - face->descender;
    if (cell <= 0) cell = face->units_per_EM;
    const double scale = size / cell;
    const auto em = static_cast<std::int64_t>(std::llround(scale * face->units_per_EM * 64));
    if (size <= 0 || em <= 0 || em > kLargestEm26_6 ||
        FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(em), 72, 72) != 0) {
      FT_Done_Face(face);
      return std::make_unique<BlankFont>(size, true);
    }
    return std::make_unique<FreeTypeFont>(face, record, scale, size);
  }
};

}  // namespace

GlyphRasteriser& FreeTypeGlyphRasteriser() {
  static FreeTypeRasteriser rasteriser;
  return rasteriser;
}

}  // namespace vorn::gdi
