#include "platform/font_catalog.h"

#include <string_view>

namespace vorn::platform {
namespace {

// CP932 spellings of the faces involved.
constexpr std::string_view kMsGothic = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";           // ＭＳ ゴシック
constexpr std::string_view kMsPGothic = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ Ｐゴシック
constexpr std::string_view kMsMincho = "\x82\x6C\x82\x72\x20\x96\xBE\x92\xA9";                           // ＭＳ 明朝
constexpr std::string_view kMsPMincho = "\x82\x6C\x82\x72\x20\x82\x6F\x96\xBE\x92\xA9";                  // ＭＳ Ｐ明朝
constexpr std::string_view kIpaGothicJa = "IPA\x83\x53\x83\x56\x83\x62\x83\x4E";                         // IPAゴシック
constexpr std::string_view kIpaPGothicJa = "IPA P\x83\x53\x83\x56\x83\x62\x83\x4E";                      // IPA Pゴシック

FontCatalog* g_active = nullptr;

const FontFace* FindFamily(const std::vector<FontFace>& faces, std::string_view family) {
  for (const FontFace& face : faces) {
    if (face.family == family && face.alias_of.empty()) return &face;
  }
  return nullptr;
}

}  // namespace

void AddWindowsFaceAliases(std::vector<FontFace>& faces) {
  const FontFace* first_japanese = nullptr;
  for (const FontFace& face : faces) {
    if (face.japanese) {
      first_japanese = &face;
      break;
    }
  }
  struct Alias {
    std::string_view name;
    std::string_view targets[3];
  };
  const Alias aliases[] = {
      {kMsGothic, {"IPAGothic", kIpaGothicJa, "IPAexGothic"}},
      {kMsPGothic, {"IPAPGothic", kIpaPGothicJa, "IPAGothic"}},
      {kMsMincho, {"IPAMincho", "IPAexMincho", "IPAGothic"}},
      {kMsPMincho, {"IPAPMincho", "IPAMincho", "IPAPGothic"}},
  };
  std::vector<FontFace> added;
  for (const Alias& alias : aliases) {
    if (FindFamily(faces, alias.name) != nullptr) continue;
    const FontFace* target = nullptr;
    for (std::string_view name : alias.targets) {
      if ((target = FindFamily(faces, name)) != nullptr) break;
    }
    if (target == nullptr) target = first_japanese;
    if (target == nullptr) continue;
    FontFace face = *target;
    face.alias_of = face.family;
    face.family = std::string(alias.name);
    added.push_back(std::move(face));
  }
  faces.insert(faces.end(), added.begin(), added.end());
}

FixedFontCatalog::FixedFontCatalog() {
  const std::string gothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
  const std::string pgothic = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";
  faces_ = {
      {"IPAGothic", true, true, gothic, 0, ""},
      {std::string(kIpaGothicJa), true, true, gothic, 0, ""},
      {"IPAPGothic", true, false, pgothic, 0, ""},
      {std::string(kIpaPGothicJa), true, false, pgothic, 0, ""},
      {"DejaVu Sans", false, false, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, ""},
      {"DejaVu Sans Mono", false, true, "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", 0, ""},
  };
  AddWindowsFaceAliases(faces_);
}

FontCatalog& ActiveFontCatalog() {
  if (g_active != nullptr) return *g_active;
  static FixedFontCatalog fixed;
  return fixed;
}

void SetActiveFontCatalog(FontCatalog* catalog) { g_active = catalog; }

FontCatalog* ExchangeActiveFontCatalog(FontCatalog* catalog) {
  FontCatalog* previous = g_active;
  g_active = catalog;
  return previous;
}

}  // namespace vorn::platform
