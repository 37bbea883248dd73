#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/font_catalog.h"

namespace vorn {

// The 60-byte logical font record, laid out as the stored and exchanged font descriptions are.
struct TLogFont {
  std::int32_t lfHeight = 0;
  std::int32_t lfWidth = 0;
  std::int32_t lfEscapement = 0;
  std::int32_t lfOrientation = 0;
  std::int32_t lfWeight = 0;
  std::uint8_t lfItalic = 0;
  std::uint8_t lfUnderline = 0;
  std::uint8_t lfStrikeOut = 0;
  std::uint8_t lfCharSet = 0;
  std::uint8_t lfOutPrecision = 0;
  std::uint8_t lfClipPrecision = 0;
  std::uint8_t lfQuality = 0;
  std::uint8_t lfPitchAndFamily = 0;
  char lfFaceName[32] = {};

  std::string_view FaceName() const;
};
static_assert(sizeof(TLogFont) == 60, "the font record is 60 bytes");

constexpr std::uint8_t kShiftJisCharset = 128;

// The faces of the installed fonts that cover Japanese, into list (replacing its content), sorted
// ignoring case when asked; only fixed-pitch ones with fixed_only. The host has no vertical "@"
// faces, so with_vertical adds none.
void GetFontList(platform::FontCatalog& catalog, std::vector<std::string>& list, bool sorted, bool with_vertical,
                 bool fixed_only);
void GetFontList(std::vector<std::string>& list, bool sorted, bool with_vertical, bool fixed_only);

// The record of the first installed face named face (case-sensitive); all zeros and false when
// there is none. The caller sets height, weight and styles for the size it draws at.
bool FindFontLogFont(platform::FontCatalog& catalog, std::string_view face, TLogFont& record);
bool FindFontLogFont(std::string_view face, TLogFont& record);

}  // namespace vorn
