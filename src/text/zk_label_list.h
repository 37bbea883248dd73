#pragma once

// Pre-rendered single-line texts in one style (the items of drawn list boxes and menus): each
// label keeps a colour surface and an 8-bit alpha surface of its text, rendered through the
// glyph cache, and composites them onto a target. The style is stored in saved games.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/gdi_font.h"

namespace vorn {

class TCustomDIBX;
class TDIBX;
class TStream;
class TZkLabelList;

// Character code -> measured width, shared by the labels of one Measure.
using TZkTagValList = std::map<std::uint16_t, std::int32_t>;

// The style record is read with the quality's old meaning before this version.
inline constexpr std::int32_t kLabelStyleQualityVersion = 109;
// The style record has its shadow fields from this version on.
inline constexpr std::int32_t kLabelStyleShadowVersion = 122;

class TZkLabelDIB {
 public:
  explicit TZkLabelDIB(TZkLabelList& owner);
  ~TZkLabelDIB();
  TZkLabelDIB(const TZkLabelDIB&) = delete;
  TZkLabelDIB& operator=(const TZkLabelDIB&) = delete;

  const std::string& Text() const { return text_; }
  // Marks the label dirty only when the text changes. Its size comes with the list's next Measure.
  void SetText(const std::string& text);
  bool IsDirty() const { return dirty_; }

  // Set by the list's Measure.
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  const std::vector<std::int32_t>& CharWidths() const { return char_widths_; }

  // Renders at the depth of the list's target surface (32 bits without one).
  void Render();
  // Renders when dirty or when the target's depth is not the one rendered at, then composites
  // the label at (x, y) with the list's opacity.
  void Draw(TCustomDIBX& target, int x, int y);

  // The rendered pair; empty before the first render and for an empty size.
  TCustomDIBX& ColorSurface();
  TCustomDIBX& AlphaSurface();

 private:
  friend class TZkLabelList;
  void RenderAt(int bit_count);

  TZkLabelList& owner_;
  std::unique_ptr<TDIBX> color_;
  std::unique_ptr<TDIBX> alpha_;
  std::string text_;
  bool dirty_ = true;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<std::int32_t> char_widths_;
  int rendered_bits_ = 0;
};

class TZkLabelList {
 public:
  TZkLabelList();
  ~TZkLabelList();
  TZkLabelList(const TZkLabelList&) = delete;
  TZkLabelList& operator=(const TZkLabelList&) = delete;

  // The style, set by the owner; Measure (and for the text's look, a new render) follows a change.
  std::int32_t quality = 3;
  // The surface whose depth the labels follow; not owned.
  TCustomDIBX* target = nullptr;
  std::int32_t border_width = 0;
  std::int32_t opacity = 255;
  std::int32_t font_size = 12;
  std::string face;
  std::int32_t text_color = 0xFFFFFF;
  std::int32_t border_color = 0;
  std::uint8_t flags = 0;
  std::int32_t shadow_offset = 0;
  std::int32_t shadow_color = 0;
  // The font's 32-bit outline-text-metric record: loaded bytes are kept, Measure writes the
  // fields it computes.
  std::array<std::uint8_t, gdi::kOutlineTextMetricSize> metrics{};

  void Clear();
  int Count() const { return static_cast<int>(labels_.size()); }
  // Null outside 0 .. Count() - 1.
  TZkLabelDIB* GetLabel(int index) const;
  // Appends an empty label.
  TZkLabelDIB* AddLabel();
  // The width of the widest label (0 without labels).
  std::int32_t MaxWidth() const;
  // Sizes every label from the font: height = font height + 2 × border + shadow; each character
  // its ABC width plus overhang, 2 × border and shadow.
  void Measure();
  void SetFontSize(std::int32_t size);
  // Marks every label dirty.
  void Invalidate();

  // The style record.
  void SaveToStream(TStream& stream) const;
  void LoadFromStream(TStream& stream, std::int32_t version);

 private:
  std::vector<std::unique_ptr<TZkLabelDIB>> labels_;
  TZkTagValList widths_;
};

}  // namespace vorn
