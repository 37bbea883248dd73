#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/rect.h"

namespace vorn {

class TZkWord;
class TWdPage;
class TStream;

// One element of a text document: a character, an operator, an image, or a composite (row,
// page) that lays others out. Getters of values a class does not carry answer 0, empty or null;
// setters of such values do nothing. Glyphs belong to their document; rows and pages only refer
// to them.
class TWdGlyph {
 public:
  explicit TWdGlyph(TZkWord* document) : document_(document) {}
  virtual ~TWdGlyph();
  TWdGlyph(const TWdGlyph&) = delete;
  TWdGlyph& operator=(const TWdGlyph&) = delete;

  // A new glyph of the same class in another document, for copying.
  virtual std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const = 0;

  TZkWord* Document() const { return document_; }
  TWdGlyph* Parent() const { return parent_; }

  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

  virtual TWdPage* GetPage();
  virtual int GetKind() const { return 0; }
  virtual int GetUnits() const { return 0; }
  virtual int GetChildCount() const { return 0; }
  virtual TWdGlyph* GetChild(int /*index*/) const { return nullptr; }
  virtual std::int32_t GetWidth() const { return width; }
  virtual std::int32_t GetHeight() const { return height; }

  virtual std::string GetFontName() const { return {}; }
  virtual void SetFontName(const std::string& /*face*/) {}
  virtual std::int32_t GetFontSize() const { return 0; }
  virtual void SetFontSize(std::int32_t /*size*/) {}
  virtual std::uint8_t GetStyle() const { return 0; }
  virtual void SetStyle(std::uint8_t /*style*/) {}
  virtual std::int32_t GetColor() const { return 0; }
  virtual void SetColor(std::int32_t /*color*/) {}
  virtual std::int32_t GetBorderColor() const { return 0; }
  virtual void SetBorderColor(std::int32_t /*color*/) {}
  virtual std::int32_t GetBorder() const { return 0; }
  virtual void SetBorder(std::int32_t /*width*/) {}
  virtual std::int32_t GetShadow() const { return 0; }
  virtual void SetShadow(std::int32_t /*offset*/) {}
  virtual std::int32_t GetShadowColor() const { return 0; }
  virtual void SetShadowColor(std::int32_t /*color*/) {}
  virtual bool GetNoBreak() const { return false; }
  virtual void SetNoBreak(bool /*flag*/) {}
  virtual std::string GetRuby() const { return {}; }
  virtual void SetRuby(const std::string& /*text*/) {}
  virtual std::uint16_t GetCode() const { return 0; }
  virtual void SetCode(std::uint16_t /*code*/) {}
  virtual std::uint8_t GetAlign() const { return 0; }
  virtual void SetAlign(std::uint8_t /*align*/) {}
  virtual std::int32_t GetLeftLimit() const { return 0; }
  virtual void SetLeftLimit(std::int32_t /*value*/) {}
  virtual std::int32_t GetRightLimit() const { return 0; }
  virtual void SetRightLimit(std::int32_t /*value*/) {}
  virtual std::string GetLink() const { return {}; }
  virtual void SetLink(const std::string& /*link*/) {}
  virtual bool GetHover() const { return false; }
  virtual void SetHover(bool /*flag*/) {}
  virtual std::int32_t GetOpacity() const { return 255; }
  virtual void SetOpacity(std::int32_t /*value*/) {}
  virtual std::int32_t GetWait() const { return 0; }
  virtual void SetWait(std::int32_t /*value*/) {}
  virtual bool GetPageBreak() const { return false; }
  virtual void SetPageBreak(bool /*flag*/) {}
  virtual std::string GetValue() const { return {}; }
  virtual void SetValue(const std::string& /*value*/) {}

  // Position on the target surface, and inside the document's own surfaces.
  virtual std::int32_t GetScreenX() const;
  virtual std::int32_t GetScreenY() const;
  virtual std::int32_t GetSurfaceX() const;
  virtual std::int32_t GetSurfaceY() const;
  // The code as one byte, or lead then trail byte above 255.
  virtual std::string GetText() const;
  // What a reader sees of the glyph so far.
  virtual std::string GetShownText() const { return {}; }

  virtual TWdGlyph* FirstChild() const { return nullptr; }
  virtual TWdGlyph* LastChild() const { return nullptr; }
  void SetBounds(std::int32_t left, std::int32_t top, std::int32_t w, std::int32_t h);
  virtual int IndexOfChild(const TWdGlyph* /*child*/) const { return -1; }
  virtual void AddChild(TWdGlyph* /*child*/) {}
  virtual void DeleteChild(int /*index*/) {}
  virtual void ClearChildren() {}
  // Whether a visible (character or image) glyph is among the children.
  virtual bool HasVisibleChild() const { return false; }
  virtual bool IsVisibleGlyph() const { return false; }

  virtual void Measure() {}
  virtual void Arrange() {}
  // Draws the glyph into the document's colour and alpha surfaces; with reset a visible glyph's
  // opacity becomes 0 first.
  virtual void Render(bool /*reset*/) {}
  // Puts what Render drew on the document's target.
  virtual void Draw() {}
  virtual TWdGlyph* HitTest(std::int32_t /*px*/, std::int32_t /*py*/) { return nullptr; }
  virtual void SetOpacityAll(std::int32_t value) { SetOpacity(value); }
  // Adds the glyph's screen rectangle, when not empty, to the document's dirty rectangles.
  virtual void Invalidate();
  virtual void Hide() { SetOpacity(0); }
  virtual bool IsAnimated() const { return false; }
  virtual void Animate() {}
  virtual void ReleaseSurfaces() {}
  virtual void RestoreSurfaces() {}
  virtual TWdGlyph* FirstUnitGlyph();
  virtual TWdGlyph* LastUnitGlyph();
  // Copies position, size and the class's own data from a glyph of the same class.
  virtual void Assign(const TWdGlyph& source);
  // The glyph in the newest glyph-stream form: its kind byte, then its fields. Glyphs that
  // streams do not hold (rows, pages, the values of expanded variables) write nothing.
  virtual void SaveToStream(TStream& /*stream*/) const {}

 protected:
  friend class TWdComposite;
  TZkWord* document_;
  TWdGlyph* parent_ = nullptr;
};

// A glyph that lays out others. Its children are not owned (they belong to the document or to
// the owned objects); a child's parent pointer is cleared when the composite goes, and the
// document takes a glyph out of its composite before freeing it, so neither side dangles.
class TWdComposite : public TWdGlyph {
 public:
  using TWdGlyph::TWdGlyph;
  ~TWdComposite() override;

  int GetChildCount() const override { return static_cast<int>(children_.size()); }
  TWdGlyph* GetChild(int index) const override;
  TWdGlyph* FirstChild() const override { return children_.empty() ? nullptr : children_.front(); }
  TWdGlyph* LastChild() const override { return children_.empty() ? nullptr : children_.back(); }
  std::string GetText() const override;
  std::string GetShownText() const override;
  int IndexOfChild(const TWdGlyph* child) const override;
  void AddChild(TWdGlyph* child) override;
  void DeleteChild(int index) override;
  void ClearChildren() override;
  bool HasVisibleChild() const override;
  void Render(bool reset) override;
  void Draw() override;
  void SetOpacityAll(std::int32_t value) override;
  void Hide() override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;
  TWdGlyph* FirstUnitGlyph() override;
  TWdGlyph* LastUnitGlyph() override;

  // Takes ownership of an object the composite lays out (a row of a page, a row's indent space).
  TWdGlyph* Own(std::unique_ptr<TWdGlyph> object);
  // Frees an owned object (after it has been taken out of the children).
  void FreeOwned(TWdGlyph* object);
  // Forgets a child that its document is about to free.
  void ForgetChild(TWdGlyph* child);

  const std::vector<TWdGlyph*>& Children() const { return children_; }

 protected:
  std::vector<TWdGlyph*> children_;
  std::vector<std::unique_ptr<TWdGlyph>> owned_;
};

}  // namespace vorn
