#include "platform/text_field_font.h"

#include <algorithm>
#include <cstdlib>

#include "platform/font_catalog.h"
#include "platform/gdi/gdi_font.h"
#include "platform/text_converter.h"

namespace vorn::platform {
namespace {

constexpr std::string_view kFallbackFace = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ ゴシック
constexpr int kDefaultHeight = 12;
// Above this many pixels a glyph is not rasterised at all: a whole glyph of a huge font would take
// memory in proportion to its size, and a field shows only a sliver of it anyway.
constexpr int kLargestDrawnHeight = 1024;
constexpr int kBoldWeight = 700;
constexpr int kNormalWeight = 400;

bool FaceInstalled(std::string_view face) {
  const auto& faces = ActiveFontCatalog().Faces();
  return std::any_of(faces.begin(), faces.end(), [&](const FontFace& f) { return f.family == face; });
}

// The CP932 code of a character the glyph calls take: lead * 256 + trail, or a byte.
std::uint16_t Cp932Code(char32_t c) {
  const std::string bytes = Utf8ToCp932(CodePointsToUtf8(std::u32string_view(&c, 1)));
  if (bytes.size() == 1) return static_cast<unsigned char>(bytes[0]);
  if (bytes.size() == 2) return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[0]) << 8) |
                                                           static_cast<unsigned char>(bytes[1]));
  return '?';
}

std::uint32_t Blend(std::uint32_t under, std::uint32_t over, unsigned alpha) {
  std::uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const unsigned a = (under >> shift) & 0xFF, b = (over >> shift) & 0xFF;
    result |= ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
  }
  return result;
}

void FillClipped(Framebuffer& target, const Rect& rect, std::uint32_t xrgb, const Rect& clip) {
  const Rect area = Intersect(Intersect(rect, clip), target.bounds());
  if (!area.empty()) target.FillRect(area, xrgb);
}

}  // namespace

std::u32string Utf8ToCodePoints(std::string_view utf8) {
  std::u32string result;
  result.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= utf8.size() + (extra == 0 ? 1 : 0)) {
      result.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    char32_t value = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      value = (value << 6) | (next & 0x3F);
    }
    if (!valid || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      result.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    result.push_back(value);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return result;
}

std::string CodePointsToUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

TextFieldFont::TextFieldFont(const TextFieldFontSpec& spec) : spec_(spec) {
  std::int64_t height = spec.height == 0 ? kDefaultHeight : spec.height;
  size_ = static_cast<int>(std::min<std::int64_t>(std::llabs(height), INT32_MAX));
  face_known_ = FaceInstalled(spec.face);
  const std::string face = face_known_ ? spec.face : std::string(kFallbackFace);
  draws_glyphs_ = size_ <= kLargestDrawnHeight;
  gdi::LogFont record;
  record.lfHeight = draws_glyphs_ ? static_cast<std::int32_t>(height) : 1;
  record.lfWeight = (spec.style & kFieldBold) != 0 ? kBoldWeight : kNormalWeight;
  record.lfItalic = (spec.style & kFieldItalic) != 0 ? 1 : 0;
  record.lfUnderline = (spec.style & kFieldUnderline) != 0 ? 1 : 0;
  record.lfStrikeOut = (spec.style & kFieldStrikeOut) != 0 ? 1 : 0;
  record.lfCharSet = 128;  // Shift-JIS
  std::copy_n(face.data(), std::min(face.size(), sizeof record.lfFaceName - 1), record.lfFaceName);
  font_ = gdi::CreateFontIndirect(record);
  gdi::OutlineMetrics metrics;
  if (draws_glyphs_ && gdi::GetOutlineTextMetrics(*font_, metrics) && metrics.height > 0) {
    line_height_ = metrics.height;
    ascent_ = metrics.ascent;
    underline_position_ = metrics.underscorePosition;
    underline_size_ = std::max(1, metrics.underscoreSize);
    strikeout_position_ = metrics.strikeoutPosition;
    strikeout_size_ = std::max(1, metrics.strikeoutSize);
  } else {
    line_height_ = size_;
    ascent_ = size_ - size_ / 5;
    underline_position_ = -std::max(1, size_ / 10);
    underline_size_ = std::max(1, size_ / 20);
    strikeout_position_ = ascent_ / 3;
    strikeout_size_ = underline_size_;
  }
}

TextFieldFont::~TextFieldFont() = default;

TextFieldFont::Glyph& TextFieldFont::Find(char32_t c, bool rendered) {
  auto [it, fresh] = glyphs_.try_emplace(c);
  Glyph& glyph = it->second;
  if (c < 0x20 || c == 0x7F) return glyph;  // control characters: nothing
  if (!draws_glyphs_) {
    if (fresh) glyph.advance = c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F) ? size_ / 2 : size_;
    return glyph;
  }
  if (fresh) {
    gdi::AbcWidths abc;
    if (gdi::GetCharABCWidths(*font_, Cp932Code(c), abc)) {
      glyph.advance = abc.abcA + static_cast<int>(abc.abcB) + abc.abcC;
    }
  }
  if (rendered && !glyph.rendered) {
    glyph.rendered = true;
    gdi::GlyphMetrics metrics;
    std::vector<std::uint8_t> buffer;
    if (gdi::GetGlyphOutline(*font_, Cp932Code(c), gdi::GGO_GRAY8_BITMAP, metrics, buffer) != gdi::GDI_ERROR &&
        metrics.gmBlackBoxX > 0 && !buffer.empty()) {
      glyph.width = static_cast<int>(metrics.gmBlackBoxX);
      glyph.height = static_cast<int>(metrics.gmBlackBoxY);
      glyph.left = metrics.originX;
      glyph.top = metrics.originY;
      const std::size_t stride = (static_cast<std::size_t>(glyph.width) + 3) / 4 * 4;
      glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * glyph.height);
      for (int y = 0; y < glyph.height; ++y) {
        for (int x = 0; x < glyph.width; ++x) {
          const unsigned level = buffer[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)];
          glyph.coverage[static_cast<std::size_t>(y) * glyph.width + x] =
              static_cast<std::uint8_t>(std::min(255u, level * 255u / 64u));
        }
      }
    }
  }
  return glyph;
}

int TextFieldFont::Advance(char32_t c) { return Find(c, false).advance; }

void TextFieldFont::DrawGlyph(Framebuffer& target, int x, int baseline, char32_t c, std::uint32_t xrgb,
                              const Rect& clip) {
  const Glyph& g = Find(c, true);
  if (g.coverage.empty()) return;
  const Rect area = Intersect(clip, target.bounds());
  const std::int64_t gx = std::int64_t{x} + g.left, gy = std::int64_t{baseline} - g.top;
  for (int row = 0; row < g.height; ++row) {
    const std::int64_t ty = gy + row;
    if (ty < area.top || ty >= area.bottom()) continue;
    std::uint32_t* out = target.row(static_cast<int>(ty));
    for (int col = 0; col < g.width; ++col) {
      const std::int64_t tx = gx + col;
      if (tx < area.left || tx >= area.right()) continue;
      const unsigned coverage = g.coverage[static_cast<std::size_t>(row) * g.width + col];
      if (coverage != 0) out[tx] = Blend(out[tx], xrgb, coverage);
    }
  }
}

void TextFieldFont::DrawLines(Framebuffer& target, int x0, int x1, int baseline, std::uint32_t xrgb,
                              const Rect& clip) {
  if (x1 <= x0) return;
  if ((spec_.style & kFieldUnderline) != 0) {
    FillClipped(target, Rect{x0, baseline - underline_position_, x1 - x0, underline_size_}, xrgb, clip);
  }
  if ((spec_.style & kFieldStrikeOut) != 0) {
    FillClipped(target, Rect{x0, baseline - strikeout_position_, x1 - x0, strikeout_size_}, xrgb, clip);
  }
}

}  // namespace vorn::platform
