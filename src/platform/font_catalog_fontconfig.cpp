#include <fontconfig/fontconfig.h>

#include <string>

#include "platform/cp932_codec.h"
#include "platform/font_catalog.h"

namespace vorn::platform {

const std::vector<FontFace>& FontconfigCatalog::Faces() {
  if (loaded_) return faces_;
  loaded_ = true;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) return faces_;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_SPACING, FC_LANG, FC_FILE, FC_INDEX, FC_OUTLINE, nullptr);
  FcFontSet* set = FcFontList(config, pattern, objects);
  FcLangSet* japanese = FcLangSetCreate();
  FcLangSetAdd(japanese, reinterpret_cast<const FcChar8*>("ja"));

  if (set != nullptr) {
    for (int i = 0; i < set->nfont; ++i) {
      FcPattern* font = set->fonts[i];
      FcChar8* file = nullptr;
      int index = 0;
      int spacing = FC_PROPORTIONAL;
      FcLangSet* langs = nullptr;
      FcPatternGetString(font, FC_FILE, 0, &file);
      FcPatternGetInteger(font, FC_INDEX, 0, &index);
      FcPatternGetInteger(font, FC_SPACING, 0, &spacing);
      const bool is_japanese = FcPatternGetLangSet(font, FC_LANG, 0, &langs) == FcResultMatch &&
                               FcLangSetContains(langs, japanese) == FcTrue;
      FcChar8* family = nullptr;
      for (int n = 0; FcPatternGetString(font, FC_FAMILY, n, &family) == FcResultMatch; ++n) {
        const auto name = StrictUtf8ToCp932(reinterpret_cast<const char*>(family));
        if (!name || name->empty()) continue;
        bool seen = false;
        for (const FontFace& face : faces_) seen = seen || face.family == *name;
        if (seen) continue;
        FontFace face;
        face.family = *name;
        face.japanese = is_japanese;
        // Dual-width faces (full-width kanji, half-width latin) count as fixed, as the fixed table does.
        face.fixed_pitch = spacing == FC_MONO || spacing == FC_DUAL;
        face.file = file != nullptr ? reinterpret_cast<const char*>(file) : "";
        face.index = index;
        faces_.push_back(std::move(face));
      }
    }
    FcFontSetDestroy(set);
  }
  FcLangSetDestroy(japanese);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  AddWindowsFaceAliases(faces_);
  return faces_;
}

}  // namespace vorn::platform
