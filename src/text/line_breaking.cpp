#include "text/line_breaking.h"

#include <algorithm>
#include <array>

#include "text/wd_glyph.h"

namespace vorn {

namespace {

// 。、｣」』)）､｡!?！？】 in CP932.
constexpr std::array<std::uint16_t, 14> kLineStartCodes{0x8142, 0x8141, 0xA3, 0x8176, 0x8178, 0x29, 0x816A,
                                                        0xA4,   0xA1,   0x21, 0x3F,   0x8149, 0x8148, 0x817A};
// ｢「『（([<【 in CP932.
constexpr std::array<std::uint16_t, 8> kLineEndCodes{0xA2, 0x8175, 0x8177, 0x8169, 0x28, 0x5B, 0x3C, 0x8179};

// A glyph's text as a character code: operators and images answer the byte 0, which is in
// neither set.
std::uint16_t CodeOf(const TWdGlyph& glyph) { return glyph.GetCode(); }

}  // namespace

bool IsLineStartForbidden(std::uint16_t code) {
  return std::find(kLineStartCodes.begin(), kLineStartCodes.end(), code) != kLineStartCodes.end();
}

bool IsLineEndForbidden(std::uint16_t code) {
  return std::find(kLineEndCodes.begin(), kLineEndCodes.end(), code) != kLineEndCodes.end();
}

bool CanBreakBefore(const TWdGlyph& glyph, const TWdGlyph* previous) {
  if (previous != nullptr) {
    if (previous->GetNoBreak() && glyph.GetNoBreak()) return false;
    std::string ruby = glyph.GetRuby();
    if (!ruby.empty() && previous->GetRuby() == ruby) return false;
    std::uint16_t a = previous->GetCode();
    std::uint16_t b = glyph.GetCode();
    if (a >= 33 && a <= 255 && b >= 33 && b <= 255) return false;
    if (a != 32 && b == 32) return false;
  }
  return !IsLineStartForbidden(CodeOf(glyph));
}

bool MayEndLine(const TWdGlyph& glyph) { return !IsLineEndForbidden(CodeOf(glyph)); }

}  // namespace vorn
