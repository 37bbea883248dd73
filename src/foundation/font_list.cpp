#include "foundation/font_list.h"

#include <algorithm>
#include <cstring>

#include "foundation/sjis.h"

namespace vorn {
namespace {

// What the font enumeration reports for a scalable face.
constexpr std::int32_t kEnumHeight = 16;
constexpr std::int32_t kEnumWidth = 8;
constexpr std::int32_t kNormalWeight = 400;
constexpr std::uint8_t kOutStrokePrecision = 3;
constexpr std::uint8_t kClipStrokePrecision = 2;
constexpr std::uint8_t kDraftQuality = 1;
constexpr std::uint8_t kFixedPitchModern = 0x31;
constexpr std::uint8_t kVariablePitchSwiss = 0x22;
constexpr std::uint8_t kAnsiCharset = 0;

}  // namespace

void GetFontList(platform::FontCatalog& catalog, std::vector<std::string>& list, bool sorted, bool /*with_vertical*/,
                 bool fixed_only) {
  list.clear();
  for (const platform::FontFace& face : catalog.Faces()) {
    if (!face.japanese || (fixed_only && !face.fixed_pitch)) continue;
    if (std::find(list.begin(), list.end(), face.family) == list.end()) list.push_back(face.family);
  }
  if (sorted) {
    std::stable_sort(list.begin(), list.end(),
                     [](const std::string& a, const std::string& b) { return Cp932CompareText(a, b) < 0; });
  }
}

void GetFontList(std::vector<std::string>& list, bool sorted, bool with_vertical, bool fixed_only) {
  GetFontList(platform::ActiveFontCatalog(), list, sorted, with_vertical, fixed_only);
}

bool FindFontLogFont(platform::FontCatalog& catalog, std::string_view face, TLogFont& record) {
  record = TLogFont{};
  for (const platform::FontFace& candidate : catalog.Faces()) {
    if (candidate.family != face) continue;
    record.lfHeight = kEnumHeight;
    record.lfWidth = kEnumWidth;
    record.lfWeight = kNormalWeight;
    record.lfCharSet = candidate.japanese ? kShiftJisCharset : kAnsiCharset;
    record.lfOutPrecision = kOutStrokePrecision;
    record.lfClipPrecision = kClipStrokePrecision;
    record.lfQuality = kDraftQuality;
    record.lfPitchAndFamily = candidate.fixed_pitch ? kFixedPitchModern : kVariablePitchSwiss;
    // The face field holds 31 bytes and a NUL; never cut a two-byte character in half.
    std::size_t length = std::min(face.size(), sizeof record.lfFaceName - 1);
    if (length < face.size() && length > 0 && IsTrailByteAt(face, length)) --length;
    std::memcpy(record.lfFaceName, face.data(), length);
    return true;
  }
  return false;
}

bool FindFontLogFont(std::string_view face, TLogFont& record) {
  return FindFontLogFont(platform::ActiveFontCatalog(), face, record);
}

}  // namespace vorn
