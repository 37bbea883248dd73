#pragma once

// Fonts for the software device contexts: a logical font made from the 60-byte record, its
// outline metrics, glyph outlines as grey-level or monochrome bitmaps, ABC widths and text
// extents. The answers come from a replaceable rasteriser, FreeType by default, so that tests can
// script exact glyphs.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/gdi/gdi.h"

namespace vorn::gdi {

// Glyph outline formats: a bitmap of one bit a pixel (rows padded to 32 bits), or one byte a
// pixel of 5, 17 or 65 grey levels (rows padded to 4 bytes).
constexpr unsigned GGO_BITMAP = 1;
constexpr unsigned GGO_GRAY2_BITMAP = 4;
constexpr unsigned GGO_GRAY4_BITMAP = 5;
constexpr unsigned GGO_GRAY8_BITMAP = 6;
constexpr std::uint32_t GDI_ERROR = 0xFFFFFFFF;

struct GlyphMetrics {
  std::uint32_t gmBlackBoxX = 0;
  std::uint32_t gmBlackBoxY = 0;
  std::int32_t originX = 0;  // left of the black box from the pen
  std::int32_t originY = 0;  // top of the black box above the baseline
  std::int16_t gmCellIncX = 0;
  std::int16_t gmCellIncY = 0;
};

struct AbcWidths {
  std::int32_t abcA = 0;
  std::uint32_t abcB = 0;
  std::int32_t abcC = 0;
};

struct TextSize {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
};

// What the outline-text-metric record carries that the player reads.
struct OutlineMetrics {
  std::int32_t height = 0;
  std::int32_t ascent = 0;
  std::int32_t descent = 0;
  std::int32_t overhang = 0;
  std::int32_t strikeoutSize = 0;
  std::int32_t strikeoutPosition = 0;
  std::int32_t underscoreSize = 0;
  std::int32_t underscorePosition = 0;
};

// The 32-bit outline-text-metric record is 212 bytes; only the fields above are written into it,
// the rest of a loaded record is kept as it is.
constexpr std::size_t kOutlineTextMetricSize = 212;
void WriteOutlineTextMetric(const OutlineMetrics& metrics, std::uint8_t* record);
OutlineMetrics ReadOutlineTextMetric(const std::uint8_t* record);

// One logical font as the rasteriser realised it. Codes are CP932: lead * 256 + trail, or a byte.
class RasterFont {
 public:
  virtual ~RasterFont() = default;
  // False when the metrics cannot be read.
  virtual bool Metrics(OutlineMetrics& out) = 0;
  // The glyph in one of the formats above. False when the request fails; a blank glyph (a space)
  // answers true with an empty buffer and a zero black box.
  virtual bool Glyph(std::uint16_t code, unsigned format, GlyphMetrics& metrics,
                     std::vector<std::uint8_t>& buffer) = 0;
  virtual bool Abc(std::uint16_t code, AbcWidths& out) = 0;
  // False when no font file backs the record (nothing installed, unreadable file): every glyph
  // is then blank with metrics derived from the size.
  virtual bool Usable() const { return true; }
};

class GlyphRasteriser {
 public:
  virtual ~GlyphRasteriser() = default;
  virtual std::unique_ptr<RasterFont> Open(const LogFont& record) = 0;
};

// The rasteriser fonts are made by (FreeType over the active font catalogue until another is
// installed). The exchange answers what it replaced; nullptr puts the FreeType one back.
GlyphRasteriser& ActiveGlyphRasteriser();
GlyphRasteriser* ExchangeGlyphRasteriser(GlyphRasteriser* rasteriser);

// A logical font; shared between the DCs it is selected into.
class Font {
 public:
  explicit Font(const LogFont& record);
  const LogFont& Record() const { return record_; }
  RasterFont& Raster() { return *raster_; }

 private:
  LogFont record_;
  std::unique_ptr<RasterFont> raster_;
};
using HFONT = std::shared_ptr<Font>;

HFONT CreateFontIndirect(const LogFont& record);

// The calls below answer for one font.
bool GetOutlineTextMetrics(Font& font, OutlineMetrics& out);
// The buffer size, or GDI_ERROR.
std::uint32_t GetGlyphOutline(Font& font, std::uint16_t code, unsigned format, GlyphMetrics& metrics,
                              std::vector<std::uint8_t>& buffer);
bool GetCharABCWidths(Font& font, std::uint16_t code, AbcWidths& out);
// Width of CP932 text as the sum of advances; height = the font's height.
bool GetTextExtentPoint(Font& font, std::string_view cp932, TextSize& out);
bool FontUsable(Font& font);

// Unicode of a CP932 code; 0 for a code that maps to nothing (and for the control codes, which
// draw the missing-glyph shape).
char32_t Cp932CodeToUnicode(std::uint16_t code);

}  // namespace vorn::gdi
