#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "text/text_values.h"
#include "text/wd_char.h"
#include "text/wd_glyph.h"

namespace vorn {

class TVornParser;

// Sets the alignment of the rows that follow.
class TWdOpeAlign : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;
  int GetKind() const override { return kGlyphAlign; }
  int GetUnits() const override { return 1; }
  std::uint8_t GetAlign() const override { return align_; }
  void SetAlign(std::uint8_t align) override { align_ = align; }
  void Assign(const TWdGlyph& source) override;
  void SaveToStream(TStream& stream) const override;

 private:
  std::uint8_t align_ = kAlignLeft;
};

// A line break, or with the page-break flag the end of a page.
class TWdOpeReturn : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;
  int GetKind() const override { return kGlyphReturn; }
  int GetUnits() const override { return 1; }
  // An empty line is as high as the document's font; after characters the break adds nothing.
  std::int32_t GetHeight() const override;
  bool GetPageBreak() const override { return page_break_; }
  void SetPageBreak(bool flag) override { page_break_ = flag; }
  std::string GetShownText() const override { return "\r\n"; }
  void Assign(const TWdGlyph& source) override;
  void SaveToStream(TStream& stream) const override;

 private:
  bool page_break_ = false;
};

// A line break inside an expanded variable value: no character position, never a page break.
class TWdVarReturn : public TWdOpeReturn {
 public:
  using TWdOpeReturn::TWdOpeReturn;
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;
  int GetUnits() const override { return 0; }
  bool GetPageBreak() const override { return false; }
  void SetPageBreak(bool /*flag*/) override {}
  void SaveToStream(TStream& /*stream*/) const override {}
};

// Later rows start under the glyph that follows.
class TWdOpeIndent : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;
  int GetKind() const override { return kGlyphIndent; }
  int GetUnits() const override { return 1; }
  void SaveToStream(TStream& stream) const override;
};

// Later rows start at the left again.
class TWdOpeUndent : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;
  int GetKind() const override { return kGlyphUndent; }
  int GetUnits() const override { return 1; }
  void SaveToStream(TStream& stream) const override;
};

// A cue handed to the document's event callback when the reveal reaches it.
class TWdOpeEvent : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;
  int GetKind() const override { return kGlyphEvent; }
  int GetUnits() const override { return 1; }
  std::string GetValue() const override { return value_; }
  void SetValue(const std::string& value) override { value_ = value; }
  bool EndFlag() const { return end_; }
  void SetEndFlag(bool flag) { end_ = flag; }
  // An operator that ends the text waits one unit, so the reveal step stops after it.
  std::int32_t GetWait() const override { return end_ ? 1 : 0; }
  void Assign(const TWdGlyph& source) override;
  // The end flag goes back in front of the value as the byte 0x01.
  void SaveToStream(TStream& stream) const override;

 private:
  std::string value_;
  bool end_ = false;
};

// A variable embedded in the text; its value is inserted as glyphs when expanded.
class TWdOpeVar : public TWdGlyph {
 public:
  explicit TWdOpeVar(TZkWord* document);
  ~TWdOpeVar() override;
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;
  int GetKind() const override { return kGlyphVar; }
  int GetUnits() const override { return 1; }

  const TDecorateValues& Decoration() const { return style_.Values(); }
  void SetDecoration(const TDecorateValues& values) { style_.Set(values); }
  const TDecorate* DecorationRecord() const { return style_.Record(); }
  void AdoptDecoration(TDecorate* record) { style_.Adopt(record); }
  std::string GetFontName() const override { return style_.Values().face; }
  void SetFontName(const std::string& face) override { style_.Modify([&](TDecorateValues& v) { v.face = face; }); }
  std::int32_t GetFontSize() const override { return style_.Values().size; }
  void SetFontSize(std::int32_t size) override { style_.Modify([&](TDecorateValues& v) { v.size = size; }); }
  std::uint8_t GetStyle() const override { return style_.Values().style; }
  void SetStyle(std::uint8_t style) override { style_.Modify([&](TDecorateValues& v) { v.style = style; }); }
  std::int32_t GetColor() const override { return style_.Values().color; }
  void SetColor(std::int32_t color) override { style_.Modify([&](TDecorateValues& v) { v.color = color; }); }
  std::int32_t GetBorderColor() const override { return style_.Values().border_color; }
  void SetBorderColor(std::int32_t color) override {
    style_.Modify([&](TDecorateValues& v) { v.border_color = color; });
  }
  std::int32_t GetBorder() const override { return style_.Values().border; }
  void SetBorder(std::int32_t width) override { style_.Modify([&](TDecorateValues& v) { v.border = width; }); }
  std::int32_t GetShadow() const override { return style_.Values().shadow; }
  void SetShadow(std::int32_t offset) override { style_.Modify([&](TDecorateValues& v) { v.shadow = offset; }); }
  std::int32_t GetShadowColor() const override { return style_.Values().shadow_color; }
  void SetShadowColor(std::int32_t color) override {
    style_.Modify([&](TDecorateValues& v) { v.shadow_color = color; });
  }
  bool GetNoBreak() const override { return style_.Values().no_break != 0; }
  void SetNoBreak(bool flag) override { style_.Modify([&](TDecorateValues& v) { v.no_break = flag ? 1 : 0; }); }
  std::string GetRuby() const override { return style_.Values().ruby; }
  void SetRuby(const std::string& text) override { style_.Modify([&](TDecorateValues& v) { v.ruby = text; }); }
  std::string GetLink() const override { return link_; }
  void SetLink(const std::string& link) override { link_ = link; }
  std::int32_t GetWait() const override { return wait_; }
  void SetWait(std::int32_t value) override { wait_ = value; }

  const std::string& ExpressionText() const { return expression_text_; }
  void SetExpressionText(const std::string& text) { expression_text_ = text; }
  TVornParser& Expression() { return *expression_; }
  const TVornParser& Expression() const { return *expression_; }
  // The value glyphs this operator has inserted into its document (owned by the document).
  const std::vector<TWdGlyph*>& InsertedGlyphs() const { return inserted_; }

  // A copy starts collapsed: the inserted glyphs belong to the source's document, and a later
  // collapse of the copy must never free them.
  void Assign(const TWdGlyph& source) override;
  // Writes the trimmed expression text; the compiled form of older streams is not written.
  void SaveToStream(TStream& stream) const override;

 private:
  TDecorateHolder style_;
  std::unique_ptr<TVornParser> expression_;
  std::vector<TWdGlyph*> inserted_;
  std::int32_t wait_ = 0;
  std::string link_;
  std::string expression_text_;
};

// The leading indent of a row.
class TWdSpace : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;
};

}  // namespace vorn
