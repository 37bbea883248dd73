#pragma once

// A glyph rasteriser with glyphs fixed by the test: exact pixels on every machine, counts of the
// fonts opened and glyphs asked, and failures on demand.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/scoped_seam.h"
#include "platform/gdi/gdi_font.h"

namespace vorn::test {

struct ScriptedGlyph {
  gdi::GlyphMetrics metrics;
  // Coverage 0..255 a pixel, rows of gmBlackBoxX; turned into the asked format's levels.
  std::vector<std::uint8_t> coverage;
  // When set, returned as it stands whatever the format (for level-table tests).
  std::vector<std::uint8_t> raw;
  gdi::AbcWidths abc;
  bool abcSet = false;
};

class ScriptedRasteriser final : public gdi::GlyphRasteriser {
 public:
  ScriptedRasteriser();
  ~ScriptedRasteriser() override;

  std::unique_ptr<gdi::RasterFont> Open(const gdi::LogFont& record) override;

  // Glyphs by code; codes without an entry get a full box of (advance − 2) × size / 2 at x 1
  // from the top of the cell, advance size / 2 (one byte) or size (two bytes). 0x20 and 0x8140
  // are blank.
  std::map<std::uint16_t, ScriptedGlyph> glyphs;
  // Glyphs of one face (by the record's face name), looked up before `glyphs`.
  std::map<std::string, std::map<std::uint16_t, ScriptedGlyph>> faceGlyphs;
  int underscoreSize = 1;
  int strikeoutSize = 1;
  bool failMetrics = false;
  // Glyph requests in these formats fail; with failAll every request does.
  std::vector<unsigned> failFormats;
  bool failAll = false;
  bool usable = true;

  int opens = 0;
  int requests = 0;
  std::vector<gdi::LogFont> records;
  std::vector<unsigned> formats;

 private:
  ScopedSeam<gdi::GlyphRasteriser> seam_{gdi::ExchangeGlyphRasteriser};
};

}  // namespace vorn::test
