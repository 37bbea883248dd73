#include "platform/gdi/gdi_font.h"

#include <cstring>
#include <algorithm>
#include <climits>
#include <optional>
#include <string>

#include "platform/cp932_codec.h"

namespace vorn::gdi {

// Defined by the FreeType back end.
GlyphRasteriser& FreeTypeGlyphRasteriser();

namespace {

GlyphRasteriser* g_rasteriser = nullptr;


void Put32(std::uint8_t* record, std::size_t offset, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::int32_t Get32(const std::uint8_t* record, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(record[offset + i]) << (8 * i);
  return static_cast<std::int32_t>(v);
}

// Field offsets of the 32-bit outline-text-metric record.
constexpr std::size_t kSizeAt = 0, kHeightAt = 4, kAscentAt = 8, kDescentAt = 12, kOverhangAt = 36,
                      kStrikeoutSizeAt = 180, kStrikeoutPositionAt = 184, kUnderscoreSizeAt = 188,
                      kUnderscorePositionAt = 192;

}  // namespace

void WriteOutlineTextMetric(const OutlineMetrics& metrics, std::uint8_t* record) {
  Put32(record, kSizeAt, static_cast<std::int32_t>(kOutlineTextMetricSize));
  Put32(record, kHeightAt, metrics.height);
  Put32(record, kAscentAt, metrics.ascent);
  Put32(record, kDescentAt, metrics.descent);
  Put32(record, kOverhangAt, metrics.overhang);
  Put32(record, kStrikeoutSizeAt, metrics.strikeoutSize);
  Put32(record, kStrikeoutPositionAt, metrics.strikeoutPosition);
  Put32(record, kUnderscoreSizeAt, metrics.underscoreSize);
  Put32(record, kUnderscorePositionAt, metrics.underscorePosition);
}

OutlineMetrics ReadOutlineTextMetric(const std::uint8_t* record) {
  OutlineMetrics m;
  m.height = Get32(record, kHeightAt);
  m.ascent = Get32(record, kAscentAt);
  m.descent = Get32(record, kDescentAt);
  m.overhang = Get32(record, kOverhangAt);
  m.strikeoutSize = Get32(record, kStrikeoutSizeAt);
  m.strikeoutPosition = Get32(record, kStrikeoutPositionAt);
  m.underscoreSize = Get32(record, kUnderscoreSizeAt);
  m.underscorePosition = Get32(record, kUnderscorePositionAt);
  return m;
}

GlyphRasteriser& ActiveGlyphRasteriser() {
  return g_rasteriser != nullptr ? *g_rasteriser : FreeTypeGlyphRasteriser();
}

GlyphRasteriser* ExchangeGlyphRasteriser(GlyphRasteriser* rasteriser) {
  GlyphRasteriser* old = g_rasteriser;
  g_rasteriser = rasteriser;
  return old;
}

Font::Font(const LogFont& record) : record_(record), raster_(ActiveGlyphRasteriser().Open(record)) {}

HFONT CreateFontIndirect(const LogFont& record) { return std::make_shared<Font>(record); }

bool GetOutlineTextMetrics(Font& font, OutlineMetrics& out) { return font.Raster().Metrics(out); }

std::uint32_t GetGlyphOutline(Font& font, std::uint16_t code, unsigned format, GlyphMetrics& metrics,
                              std::vector<std::uint8_t>& buffer) {
  buffer.clear();
  if (!font.Raster().Glyph(code, format, metrics, buffer)) return GDI_ERROR;
  return static_cast<std::uint32_t>(buffer.size());
}

bool GetCharABCWidths(Font& font, std::uint16_t code, AbcWidths& out) { return font.Raster().Abc(code, out); }

bool GetTextExtentPoint(Font& font, std::string_view cp932, TextSize& out) {
  OutlineMetrics metrics;
  if (!font.Raster().Metrics(metrics)) return false;
  std::int64_t width = 0;
  for (std::size_t i = 0; i < cp932.size(); ++i) {
    auto code = static_cast<std::uint16_t>(static_cast<unsigned char>(cp932[i]));
    const bool lead = (code >= 0x81 && code <= 0x9F) || (code >= 0xE0 && code <= 0xFC);
    if (lead && i + 1 < cp932.size()) code = static_cast<std::uint16_t>(code * 256 + static_cast<unsigned char>(cp932[++i]));
    AbcWidths abc;
    if (!font.Raster().Abc(code, abc)) return false;
    width += static_cast<std::int64_t>(abc.abcA) + abc.abcB + abc.abcC;
  }
  out.cx = static_cast<std::int32_t>(std::clamp<std::int64_t>(width, INT32_MIN, INT32_MAX));
  out.cy = metrics.height;
  return true;
}

bool FontUsable(Font& font) { return font.Raster().Usable(); }

char32_t Cp932CodeToUnicode(std::uint16_t code) {
  static const std::vector<char32_t> table = [] {
    std::vector<char32_t> t(65536, 0);
    for (unsigned c = 0x20; c < 65536; ++c) {
      std::string bytes;
      if (c < 256) {
        bytes.push_back(static_cast<char>(c));
      } else {
        bytes.push_back(static_cast<char>(c >> 8));
        bytes.push_back(static_cast<char>(c & 0xFF));
      }
      const std::optional<std::string> utf8 = platform::StrictCp932ToUtf8(bytes);
      if (!utf8 || utf8->empty()) continue;
      const auto* u = reinterpret_cast<const unsigned char*>(utf8->data());
      const std::size_t n = utf8->size();
      char32_t value = 0;
      std::size_t length = 0;
      if (u[0] < 0x80) { value = u[0]; length = 1; }
      else if ((u[0] & 0xE0) == 0xC0) { value = u[0] & 0x1F; length = 2; }
      else if ((u[0] & 0xF0) == 0xE0) { value = u[0] & 0x0F; length = 3; }
      else if ((u[0] & 0xF8) == 0xF0) { value = u[0] & 0x07; length = 4; }
      if (length == 0 || length != n) continue;  // more than one character: not a single code
      for (std::size_t i = 1; i < length; ++i) value = (value << 6) | (u[i] & 0x3F);
      t[c] = value;
    }
    return t;
  }();
  return table[code];
}

}  // namespace vorn::gdi
