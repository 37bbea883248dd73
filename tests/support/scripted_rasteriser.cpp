#include "support/scripted_rasteriser.h"

#include <algorithm>
#include <cstdlib>

namespace vorn::test {
namespace {

class ScriptedFont final : public gdi::RasterFont {
 public:
  ScriptedFont(ScriptedRasteriser& owner, const gdi::LogFont& record)
      : owner_(owner), face_(record.FaceName()), size_(std::abs(record.lfHeight)) {}

  bool Metrics(gdi::OutlineMetrics& out) override {
    if (owner_.failMetrics) return false;
    out = {};
    out.height = size_;
    out.ascent = size_ * 3 / 4;
    out.descent = size_ - out.ascent;
    out.underscoreSize = owner_.underscoreSize;
    out.underscorePosition = -1;
    out.strikeoutSize = owner_.strikeoutSize;
    out.strikeoutPosition = size_ / 4;
    return true;
  }

  bool Glyph(std::uint16_t code, unsigned format, gdi::GlyphMetrics& metrics,
             std::vector<std::uint8_t>& buffer) override {
    ++owner_.requests;
    owner_.formats.push_back(format);
    if (owner_.failAll ||
        std::find(owner_.failFormats.begin(), owner_.failFormats.end(), format) != owner_.failFormats.end()) {
      return false;
    }
    const ScriptedGlyph glyph = Find(code);
    metrics = glyph.metrics;
    buffer.clear();
    if (!owner_.usable) {
      metrics = {};
      metrics.gmCellIncX = static_cast<std::int16_t>(Advance(code));
      return true;
    }
    if (!glyph.raw.empty()) {
      buffer = glyph.raw;
      return true;
    }
    const unsigned w = glyph.metrics.gmBlackBoxX, h = glyph.metrics.gmBlackBoxY;
    if (w == 0 || h == 0) return true;
    const unsigned levels = format == gdi::GGO_GRAY2_BITMAP ? 5 : format == gdi::GGO_GRAY4_BITMAP ? 17 : 65;
    const std::size_t stride = format == gdi::GGO_BITMAP ? (w + 31) / 32 * 4 : (w + 3) / 4 * 4;
    buffer.assign(stride * h, 0);
    for (unsigned y = 0; y < h; ++y) {
      for (unsigned x = 0; x < w; ++x) {
        const unsigned c = glyph.coverage[y * w + x];
        if (format == gdi::GGO_BITMAP) {
          if (c >= 128) buffer[y * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        } else {
          buffer[y * stride + x] = static_cast<std::uint8_t>((c * (levels - 1) * 2 + 255) / 510);
        }
      }
    }
    return true;
  }

  bool Abc(std::uint16_t code, gdi::AbcWidths& out) override {
    const ScriptedGlyph glyph = Find(code);
    if (glyph.abcSet) {
      out = glyph.abc;
      return true;
    }
    out = {};
    if (glyph.metrics.gmBlackBoxX == 0 || !owner_.usable) {
      out.abcC = Advance(code);
      return true;
    }
    out.abcA = glyph.metrics.originX;
    out.abcB = glyph.metrics.gmBlackBoxX;
    out.abcC = glyph.metrics.gmCellIncX - out.abcA - static_cast<std::int32_t>(out.abcB);
    return true;
  }

  bool Usable() const override { return owner_.usable; }

 private:
  std::int32_t Advance(std::uint16_t code) const { return code > 255 ? size_ : size_ / 2; }

  ScriptedGlyph Find(std::uint16_t code) const {
    const auto face = owner_.faceGlyphs.find(face_);
    if (face != owner_.faceGlyphs.end()) {
      const auto own = face->second.find(code);
      if (own != face->second.end()) return own->second;
    }
    const auto found = owner_.glyphs.find(code);
    if (found != owner_.glyphs.end()) return found->second;
    ScriptedGlyph glyph;
    const std::int32_t advance = Advance(code);
    glyph.metrics.gmCellIncX = static_cast<std::int16_t>(advance);
    if (code == 0x20 || code == 0x8140 || advance < 3 || size_ < 2) return glyph;
    glyph.metrics.gmBlackBoxX = static_cast<std::uint32_t>(advance - 2);
    glyph.metrics.gmBlackBoxY = static_cast<std::uint32_t>(size_ / 2);
    glyph.metrics.originX = 1;
    glyph.metrics.originY = size_ * 3 / 4;
    glyph.coverage.assign(static_cast<std::size_t>(advance - 2) * static_cast<std::size_t>(size_ / 2), 255);
    return glyph;
  }

  ScriptedRasteriser& owner_;
  std::string face_;
  std::int32_t size_;
};

}  // namespace

ScriptedRasteriser::ScriptedRasteriser() { seam_.Install(this); }
ScriptedRasteriser::~ScriptedRasteriser() = default;

std::unique_ptr<gdi::RasterFont> ScriptedRasteriser::Open(const gdi::LogFont& record) {
  ++opens;
  records.push_back(record);
  return std::make_unique<ScriptedFont>(*this, record);
}

}  // namespace vorn::test
