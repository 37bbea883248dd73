#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/font_catalog.h"
#include "platform/gdi/gdi.h"

namespace vorn {

// The 60-byte logical font record: one struct shared with the platform's fonts.
using TLogFont = gdi::LogFont;

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
