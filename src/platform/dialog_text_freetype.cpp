#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <unordered_map>

#include "platform/dialog.h"
#include "platform/text_converter.h"

namespace vorn::platform {
namespace {

// The file of the face fontconfig gives for the family; empty when there is none. A config of
// its own, freed again: the library's default one would stay for the whole process, and a leak
// check could then tell nothing of ours apart from it.
std::string FontFileFor(const char* family) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) return {};
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  if (pattern == nullptr) {
    FcConfigDestroy(config);
    return {};
  }
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  std::string file;
  FcChar8* path = nullptr;
  FcChar8* found_family = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
      FcPatternGetString(match, FC_FAMILY, 0, &found_family) == FcResultMatch &&
      std::string(reinterpret_cast<const char*>(found_family)) == family) {
    file = reinterpret_cast<const char*>(path);
  }
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  return file;
}

std::vector<char32_t> CodePoints(std::string_view utf8) {
  std::vector<char32_t> result;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    char32_t value = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    ++i;
    for (; extra > 0 && i < utf8.size(); --extra, ++i) value = (value << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    result.push_back(value);
  }
  return result;
}

class FreeTypeRenderer final : public TextRenderer {
 public:
  FreeTypeRenderer(FT_Library library, FT_Face face, int pixel_height)
      : library_(library), face_(face), pixel_height_(pixel_height) {}
  ~FreeTypeRenderer() override {
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }

  int TextWidth(std::string_view cp932) override {
    int width = 0;
    for (char32_t c : CodePoints(Cp932ToUtf8(cp932))) width += Glyph(c).advance;
    return width;
  }

  void DrawText(Framebuffer& target, int x, int y, std::string_view cp932, std::uint32_t xrgb,
                const Rect& clip) override {
    const Rect area = Intersect(clip, target.bounds());
    const int baseline = y + ascent_;
    for (char32_t c : CodePoints(Cp932ToUtf8(cp932))) {
      const CachedGlyph& g = Glyph(c);
      for (int row = 0; row < g.height; ++row) {
        const int ty = baseline - g.top + row;
        if (ty < area.top || ty >= area.bottom()) continue;
        for (int col = 0; col < g.width; ++col) {
          const int tx = x + g.left + col;
          if (tx < area.left || tx >= area.right()) continue;
          const unsigned coverage = g.pixels[static_cast<std::size_t>(row) * g.width + col];
          if (coverage == 0) continue;
          std::uint32_t& out = target.row(ty)[tx];
          out = Blend(out, xrgb, coverage);
        }
      }
      x += g.advance;
    }
  }

  int LineHeight() override { return line_height_; }

  void SetAscent(int ascent) { ascent_ = ascent; }
  void SetLineHeight(int height) { line_height_ = height; }

 private:
  struct CachedGlyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int advance = 0;
    std::vector<std::uint8_t> pixels;
  };

  static std::uint32_t Blend(std::uint32_t under, std::uint32_t over, unsigned alpha) {
    std::uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      const unsigned a = (under >> shift) & 0xFF, b = (over >> shift) & 0xFF;
      result |= ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
    }
    return result;
  }

  const CachedGlyph& Glyph(char32_t c) {
    auto found = cache_.find(c);
    if (found != cache_.end()) return found->second;
    CachedGlyph glyph;
    if (FT_Load_Char(face_, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
      const FT_GlyphSlot slot = face_->glyph;
      glyph.left = slot->bitmap_left;
      glyph.top = slot->bitmap_top;
      glyph.width = static_cast<int>(slot->bitmap.width);
      glyph.height = static_cast<int>(slot->bitmap.rows);
      glyph.advance = static_cast<int>(slot->advance.x >> 6);
      if (slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        glyph.pixels.resize(static_cast<std::size_t>(glyph.width) * glyph.height);
        for (int row = 0; row < glyph.height; ++row) {
          std::copy_n(slot->bitmap.buffer + static_cast<std::ptrdiff_t>(row) * slot->bitmap.pitch, glyph.width,
                      glyph.pixels.begin() + static_cast<std::ptrdiff_t>(row) * glyph.width);
        }
      } else {
        glyph.width = glyph.height = 0;
      }
    } else {
      glyph.advance = pixel_height_ / 2;
    }
    return cache_.emplace(c, std::move(glyph)).first->second;
  }

  FT_Library library_;
  FT_Face face_;
  int pixel_height_;
  int ascent_ = 0;
  int line_height_ = 0;
  std::unordered_map<char32_t, CachedGlyph> cache_;
};

}  // namespace

std::unique_ptr<TextRenderer> CreateDialogTextRenderer(int pixel_height, std::string& reason) {
  const std::string file = FontFileFor("IPAPGothic");
  if (file.empty()) {
    reason = "no IPAPGothic font (fonts-ipafont-gothic)";
    return nullptr;
  }
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    reason = "FreeType cannot start";
    return nullptr;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(library, file.c_str(), 0, &face) != 0) {
    FT_Done_FreeType(library);
    reason = "cannot open " + file;
    return nullptr;
  }
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_height));
  auto renderer = std::make_unique<FreeTypeRenderer>(library, face, pixel_height);
  // The cell's ascent: a height of 12 puts the baseline near 10 pixels down.
  renderer->SetAscent(static_cast<int>((face->size->metrics.ascender + 63) >> 6));
  renderer->SetLineHeight(static_cast<int>((face->size->metrics.height + 63) >> 6));
  return renderer;
}

}  // namespace vorn::platform
