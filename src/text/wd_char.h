#pragma once

#include <cstdint>
#include <string>

#include "text/decorate.h"
#include "text/wd_glyph.h"

namespace vorn {

// A glyph a reader sees and that the reveal walks: link, hover, opacity and wait.
class TWdReal : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;

  bool IsVisibleGlyph() const override { return true; }
  std::string GetLink() const override { return link_; }
  void SetLink(const std::string& link) override { link_ = link; }
  bool GetHover() const override { return hover_; }
  void SetHover(bool flag) override { hover_ = flag; }
  std::int32_t GetOpacity() const override { return opacity_; }
  void SetOpacity(std::int32_t value) override;
  std::int32_t GetWait() const override { return wait_; }
  void SetWait(std::int32_t value) override { wait_ = value; }
  void Render(bool reset) override;
  void Assign(const TWdGlyph& source) override;

 private:
  std::string link_;
  bool hover_ = false;
  std::int32_t opacity_ = 255;
  std::int32_t wait_ = 0;
};

// A style record held through the document's list: every setter moves the holder with Change.
class TDecorateHolder {
 public:
  explicit TDecorateHolder(TZkWord* document);
  ~TDecorateHolder();
  TDecorateHolder(const TDecorateHolder&) = delete;
  TDecorateHolder& operator=(const TDecorateHolder&) = delete;

  const TDecorateValues& Values() const { return record_->values; }
  const TDecorate* Record() const { return record_; }
  void Set(const TDecorateValues& values);
  // Moves the holder onto a record of the document's list.
  void Adopt(TDecorate* record);
  template <class F>
  void Modify(F change) {
    TDecorateValues values = record_->values;
    change(values);
    Set(values);
  }

 private:
  TZkWord* document_;
  TDecorate* record_;
};

// One character of the text, in a shared style record.
class TWdChar : public TWdReal {
 public:
  explicit TWdChar(TZkWord* document) : TWdReal(document), style_(document) {}
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;

  int GetKind() const override { return 1; }
  int GetUnits() const override { return 1; }

  const TDecorateValues& Decoration() const { return style_.Values(); }
  const TDecorate* DecorationRecord() const { return style_.Record(); }
  void SetDecoration(const TDecorateValues& values) { style_.Set(values); }
  void AdoptDecoration(TDecorate* record) { style_.Adopt(record); }

  std::string GetFontName() const override { return style_.Values().face; }
  void SetFontName(const std::string& face) override;
  std::int32_t GetFontSize() const override { return style_.Values().size; }
  void SetFontSize(std::int32_t size) override;
  std::uint8_t GetStyle() const override { return style_.Values().style; }
  void SetStyle(std::uint8_t style) override;
  std::int32_t GetColor() const override { return style_.Values().color; }
  void SetColor(std::int32_t color) override;
  std::int32_t GetBorderColor() const override { return style_.Values().border_color; }
  void SetBorderColor(std::int32_t color) override;
  // A negative border width or shadow offset stands for the document's value.
  std::int32_t GetBorder() const override;
  void SetBorder(std::int32_t width) override;
  std::int32_t GetShadow() const override;
  void SetShadow(std::int32_t offset) override;
  std::int32_t GetShadowColor() const override { return style_.Values().shadow_color; }
  void SetShadowColor(std::int32_t color) override;
  bool GetNoBreak() const override { return style_.Values().no_break != 0; }
  void SetNoBreak(bool flag) override;
  std::string GetRuby() const override { return style_.Values().ruby; }
  void SetRuby(const std::string& text) override;
  std::uint16_t GetCode() const override { return code_; }
  void SetCode(std::uint16_t code) override { code_ = code; }
  std::string GetShownText() const override { return GetText(); }

  // A square cell of the character's size, whatever the character.
  void Measure() override;
  // The glyph from the cache, centred in its cell below its ruby, into the document's surfaces.
  void Render(bool reset) override;
  // The drawn rectangle, clipped to the text area, on the document's target at the opacity.
  void Draw() override;
  // The colours drawn with (0x00BBGGRR): the own colour, else the link's or the document's.
  std::int32_t TextColorValue() const;
  std::int32_t BorderColorValue() const;
  std::int32_t ShadowColorValue() const;
  void Assign(const TWdGlyph& source) override;
  void SaveToStream(TStream& stream) const override;

  // Where the character was last drawn.
  TRect DrawnRect{};

 private:
  TDecorateHolder style_;
  std::uint16_t code_ = 0;
};

// A character of an expanded variable value: it counts for no character position.
class TWdVarChar : public TWdChar {
 public:
  using TWdChar::TWdChar;
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;
  int GetUnits() const override { return 0; }
  // Made again when its variable is expanded.
  void SaveToStream(TStream& /*stream*/) const override {}
};

}  // namespace vorn
