#pragma once

#include <memory>
#include <string>
#include <vector>

namespace vorn::platform {

// One installed face as the player sees it.
struct FontFace {
  std::string family;        // CP932
  bool japanese = false;     // covers Japanese: stands for the Shift-JIS character set
  bool fixed_pitch = false;  // monospace
  std::string file;          // host path of the font file, for the glyph rasteriser
  int index = 0;             // face index within the file
  std::string alias_of;      // CP932 family this face is a stand-in name for, else empty
};

// The installed scalable fonts. Faces come in the host's order, one entry per family name.
class FontCatalog {
 public:
  virtual ~FontCatalog() = default;
  virtual const std::vector<FontFace>& Faces() = 0;
};

// Faces from fontconfig: scalable outlines only; family names that do not convert to CP932 are
// left out. Read once, on first use.
class FontconfigCatalog final : public FontCatalog {
 public:
  const std::vector<FontFace>& Faces() override;

 private:
  bool loaded_ = false;
  std::vector<FontFace> faces_;
};

// Headless: a fixed list that includes IPA Gothic, the same on every machine.
class FixedFontCatalog final : public FontCatalog {
 public:
  FixedFontCatalog();
  explicit FixedFontCatalog(std::vector<FontFace> faces) : faces_(std::move(faces)) {}
  const std::vector<FontFace>& Faces() override { return faces_; }

 private:
  std::vector<FontFace> faces_;
};

// Windows names that scripts and the glyph cache ask for by name ("ＭＳ ゴシック" above all) have
// no font here; they are answered by the nearest IPA face (IPA Gothic for the Gothic ones), or
// else by the first Japanese face. Appends those alias faces to the list.
void AddWindowsFaceAliases(std::vector<FontFace>& faces);

// The catalogue the player's font look-ups use. Until one is set it is a FixedFontCatalog; the
// player installs its platform's catalogue for its run (the executable's is a FontconfigCatalog).
FontCatalog& ActiveFontCatalog();
// Sets the catalogue (not owned; nullptr goes back to the fixed one).
void SetActiveFontCatalog(FontCatalog* catalog);
// Sets the catalogue and answers the one set before (nullptr when none was).
FontCatalog* ExchangeActiveFontCatalog(FontCatalog* catalog);

}  // namespace vorn::platform
