#pragma once

// The font a text field draws with: glyph advances and grey-level glyphs of one face, height and
// style, rasterised once per character and kept.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/framebuffer.h"
#include "platform/geometry.h"

namespace vorn::gdi {
class Font;
}

namespace vorn::platform {

// Bits of a field font's style.
inline constexpr unsigned kFieldBold = 1;
inline constexpr unsigned kFieldItalic = 2;
inline constexpr unsigned kFieldUnderline = 4;
inline constexpr unsigned kFieldStrikeOut = 8;

struct TextFieldFontSpec {
  std::string face;  // CP932
  int height = 12;   // positive: the cell height; negative: the character height; 0: 12
  unsigned style = 0;
  bool operator==(const TextFieldFontSpec&) const = default;
};

class TextFieldFont {
 public:
  explicit TextFieldFont(const TextFieldFontSpec& spec);
  ~TextFieldFont();
  TextFieldFont(const TextFieldFont&) = delete;
  TextFieldFont& operator=(const TextFieldFont&) = delete;

  // False when the face is not installed under that name (another face stands in for it).
  bool face_known() const { return face_known_; }
  int line_height() const { return line_height_; }
  int ascent() const { return ascent_; }
  // Line breaks and other control characters take no room.
  int Advance(char32_t c);
  // The glyph with its pen at (x, baseline) into the target, blended in xrgb, clipped to clip.
  void DrawGlyph(Framebuffer& target, int x, int baseline, char32_t c, std::uint32_t xrgb, const Rect& clip);
  // Underline and strike-out of a run from x0 to x1 on the baseline.
  void DrawLines(Framebuffer& target, int x0, int x1, int baseline, std::uint32_t xrgb, const Rect& clip);

 private:
  struct Glyph {
    int advance = 0;
    int left = 0;
    int top = 0;  // above the baseline
    int width = 0;
    int height = 0;
    bool rendered = false;
    std::vector<std::uint8_t> coverage;  // 0..255
  };
  Glyph& Find(char32_t c, bool rendered);

  TextFieldFontSpec spec_;
  std::shared_ptr<gdi::Font> font_;
  bool face_known_ = true;
  bool draws_glyphs_ = true;
  int size_ = 12;
  int line_height_ = 12;
  int ascent_ = 10;
  int underline_position_ = 0;
  int underline_size_ = 1;
  int strikeout_position_ = 0;
  int strikeout_size_ = 1;
  std::unordered_map<char32_t, Glyph> glyphs_;
};

// Code points of UTF-8 text (an invalid sequence gives U+FFFD) and back.
std::u32string Utf8ToCodePoints(std::string_view utf8);
std::string CodePointsToUtf8(std::u32string_view text);

}  // namespace vorn::platform
