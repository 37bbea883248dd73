#pragma once

#include <cstdint>

namespace vorn {

class TWdGlyph;

// Whether the character code may not start a line (closing brackets and stops) or may not end
// one (opening brackets). Whole CP932 characters are compared, never single bytes, so a trail
// byte that happens to equal a letter matches nothing.
bool IsLineStartForbidden(std::uint16_t code);
bool IsLineEndForbidden(std::uint16_t code);

// Whether a line may break between the previous glyph (null at the start or after a line break)
// and glyph.
bool CanBreakBefore(const TWdGlyph& glyph, const TWdGlyph* previous);
// Whether a line may end with the glyph.
bool MayEndLine(const TWdGlyph& glyph);

}  // namespace vorn
