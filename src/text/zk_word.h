#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/rect.h"
#include "graphics/dibx.h"
#include "text/decorate.h"
#include "text/wd_glyph.h"
#include "text/wd_row.h"

namespace vorn {

class TCustomDIBX;
class TStream;

// The pages a layout run makes; the caller owns them. They refer to the document's glyphs, so
// they are freed or laid out again before the document changes its glyphs.
using TWdPageList = std::vector<std::unique_ptr<TWdPage>>;

// What the markup preparation cuts the text into.
enum class TMarkupItemKind : std::uint8_t { Text, Tag, Comment };

struct TMarkupItem {
  TMarkupItemKind kind = TMarkupItemKind::Text;
  std::string text;
  friend bool operator==(const TMarkupItem&, const TMarkupItem&) = default;
};

// A text document: the flat list of glyphs made from markup or read from a glyph stream, its
// shared style records and the settings its layout and drawing use.
class TZkWord {
 public:
  TZkWord();
  ~TZkWord();
  TZkWord(const TZkWord&) = delete;
  TZkWord& operator=(const TZkWord&) = delete;

  std::int32_t FontSize = 12;
  std::string FontName;  // "ＭＳ ゴシック" in CP932
  std::int32_t TextColor = 0;
  std::int32_t VisibleHeight = 0;
  // 0: no wrapping; the layout then sets it to the widest row.
  std::int32_t VisibleWidth = 0;
  TDecorateList Decorations;
  TDIBX ColorSurface;
  TDIBX AlphaSurface;
  std::int32_t LineSpace = 0;
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  // The surface pages are drawn on; set by the owner for the duration of a draw.
  TCustomDIBX* Target = nullptr;
  // 1: pages are cut at the visible height; 0: one page grows and is scrolled.
  std::uint8_t Paging = 1;
  std::int32_t LinkColor = 0xFF0000;
  std::int32_t LinkHoverColor = 0x8000;
  std::int32_t FadeTime = 1;
  std::int32_t BorderColor = 0x808080;
  TRect ClipRect{};
  std::int32_t Opacity = 255;
  std::uint8_t Stopped = 0;
  std::function<void(TZkWord& sender, const std::string& text)> OnEvent;
  std::int32_t CaretX = 0;
  std::int32_t CaretY = 0;
  std::int32_t CaretHeight = 0;
  std::int32_t DelayScale = 0;
  std::uint8_t EventsOn = 0;
  std::int32_t Quality = 3;
  std::int32_t ShadowColor = 0;
  std::int32_t BorderWidth = 0;
  std::int32_t ShadowOffset = 0;
  // Lines "name=value" that take precedence over evaluating a variable.
  std::vector<std::string> VariableValues;
  std::vector<TRect> DirtyRects;

  // Frees the glyphs and empties the style records and the variable values.
  void Clear();
  int GlyphCount() const { return static_cast<int>(glyphs_.size()); }
  // Null outside the list.
  TWdGlyph* GetGlyph(int index) const;
  int IndexOf(const TWdGlyph* glyph) const;
  // Index clamped into 0..count.
  TWdGlyph* InsertGlyph(int index, std::unique_ptr<TWdGlyph> glyph);
  TWdGlyph* AddGlyph(std::unique_ptr<TWdGlyph> glyph);
  void DeleteGlyph(int index);
  // The first glyph reached after skipping glyphs whose units add up to n; -1 when the list ends
  // first.
  int GlyphAtUnit(std::int64_t n) const;
  // The units of the glyphs before it; -1 when it is not in this document.
  std::int64_t CharPosOf(const TWdGlyph* glyph) const;
  // The glyph before index (null when that is a line break); the glyph after it (null when the
  // glyph itself is a line break).
  TWdGlyph* PreviousGlyph(int index) const;
  TWdGlyph* NextGlyph(int index) const;
  // Copies source glyphs first..last (a last below 0 or beyond the end means the end).
  void AppendCopies(const TZkWord& source, int first, int last);
  void ReleaseSurfaces();
  void RestoreSurfaces();

  // Cuts raw markup lines into tags, comments and runs of text.
  static std::vector<TMarkupItem> PrepareMarkup(const std::vector<std::string>& lines);
  // Replaces the glyphs with those the markup describes. Raises on an A tag without HREF,
  // keeping the glyphs made before it.
  void SetText(const std::vector<std::string>& lines);
  // Lays glyphs first .. the glyph at unit position last (negative or too large: the end) out
  // into pages appended to `pages`.
  void Layout(TWdPageList& pages, int first, int last);

  // Appends the glyphs of a glyph stream (optional "ZkWord" header with a three-digit version,
  // style table, glyphs), read from the stream's position; meant for a cleared document. Each
  // style record the stream uses is appended once and counts the glyphs that use it; records no
  // glyph uses are dropped. A stream that breaks its format raises EReadError and adds nothing.
  void LoadGlyphs(TStream& stream);
  // The settings a message window keeps in saved games; LoadSettings reads the record of a saved
  // game of that version.
  void SaveSettings(TStream& stream) const;
  void LoadSettings(TStream& stream, std::int32_t version);

 private:
  std::vector<std::unique_ptr<TWdGlyph>> glyphs_;
};

}  // namespace vorn
