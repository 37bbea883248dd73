// A character's glyph drawn into the document's colour and alpha surfaces (Render), with its
// ruby above it, and that pair put on the document's target (Draw).

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "foundation/sjis.h"
#include "foundation/system_texts.h"
#include "graphics/custom_dibx.h"
#include "text/font_pixel.h"
#include "text/text_values.h"
#include "text/wd_char.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

constexpr std::int32_t kOpaque = 255;

// The glyph's neighbour in its row, or in the document when it is in none.
TWdGlyph* Sibling(const TWdGlyph& glyph, int step) {
  TWdGlyph* parent = glyph.Parent();
  if (parent != nullptr) {
    const int index = parent->IndexOfChild(&glyph);
    return index < 0 ? nullptr : parent->GetChild(index + step);
  }
  TZkWord* document = glyph.Document();
  if (document == nullptr) return nullptr;
  const int index = document->IndexOf(&glyph);
  return index < 0 ? nullptr : document->GetGlyph(index + step);
}

// Characters are drawn as one run, border and shadow lines joined, while these agree.
bool SameFrame(const TWdChar& a, const TWdGlyph* b) {
  const auto* other = dynamic_cast<const TWdChar*>(b);
  return other != nullptr && a.GetBorder() == other->GetBorder() && a.GetShadow() == other->GetShadow() &&
         a.BorderColorValue() == other->BorderColorValue() && a.ShadowColorValue() == other->ShadowColorValue();
}

std::vector<std::uint16_t> Codes(const std::string& text) {
  std::vector<std::uint16_t> codes;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharLengthAt(text, i);
    const auto lead = static_cast<std::uint8_t>(text[i]);
    codes.push_back(length == 2 ? static_cast<std::uint16_t>(lead << 8 | static_cast<std::uint8_t>(text[i + 1]))
                                : lead);
    i += length;
  }
  return codes;
}

TRect Union(const TRect& a, const TRect& b) {
  if (RectIsEmpty(a)) return b;
  if (RectIsEmpty(b)) return a;
  return UnionRect(a, b);
}

}  // namespace

void TWdReal::Render(bool reset) {
  if (reset) SetOpacity(0);
}

std::int32_t TWdChar::TextColorValue() const {
  if (GetHover()) return document_->LinkHoverColor;
  const std::int32_t own = Decoration().color;
  if (own != -1) return own;
  return GetLink().empty() ? document_->TextColor : document_->LinkColor;
}

std::int32_t TWdChar::BorderColorValue() const {
  const std::int32_t own = Decoration().border_color;
  return own != -1 ? own : document_->BorderColor;
}

std::int32_t TWdChar::ShadowColorValue() const {
  const std::int32_t own = Decoration().shadow_color;
  return own != -1 ? own : document_->ShadowColor;
}

void TWdChar::Render(bool reset) {
  TWdReal::Render(reset);
  DrawnRect = TRect{};
  TFontPixelManager* cache = FontPixelManager();
  if (cache == nullptr) return;
  TZkWord& doc = *document_;
  const TDecorateValues& v = Decoration();
  std::string face = v.face;
  if (face.empty()) face = doc.FontName;
  if (face.empty()) face = std::string(texts::kDefaultTextFace);
  std::uint8_t flags = v.style;
  if (!GetLink().empty()) flags |= kFontUnderline;
  const std::int32_t size = v.size != 0 ? v.size : doc.FontSize;
  cache->SetQuality(doc.Quality);

  TCustomDIBX& color = doc.ColorSurface;
  TCustomDIBX& alpha = doc.AlphaSurface;
  const auto text = static_cast<std::uint32_t>(color.ColorToPixel(TextColorValue()));
  const auto border_color = static_cast<std::uint32_t>(color.ColorToPixel(BorderColorValue()));
  const auto shadow_color = static_cast<std::uint32_t>(color.ColorToPixel(ShadowColorValue()));
  const std::int32_t border = GetBorder();
  const std::int32_t shadow = GetShadow();
  const std::int32_t left = GetSurfaceX();
  std::int32_t top = GetSurfaceY();
  std::int32_t cell_height = height;

  if (!v.ruby.empty()) {
    const std::int32_t r = std::max(1, size / 2);
    const TWdGlyph* previous = Sibling(*this, -1);
    if (previous == nullptr || previous->GetRuby() != v.ruby) {
      std::int64_t group_width = width;
      for (const TWdGlyph* next = Sibling(*this, 1); next != nullptr && next->GetRuby() == v.ruby;
           next = Sibling(*next, 1)) {
        group_width += next->GetWidth();
      }
      const std::vector<std::uint16_t> codes = Codes(v.ruby);
      const auto n = static_cast<std::int64_t>(codes.size());
      const auto ruby_flags = static_cast<std::uint8_t>(v.style & (kFontBold | kFontItalic));
      for (std::int64_t i = 1; i <= n; ++i) {
        const std::uint16_t code = codes[static_cast<std::size_t>(i - 1)];
        TFontPixel* glyph = cache->GetGlyph(code, face, ruby_flags, r);
        const double centre =
            std::nearbyint(static_cast<double>(2 * i - 1) * static_cast<double>(group_width) / static_cast<double>(2 * n));
        const std::int64_t x = left + static_cast<std::int64_t>(centre) - (code > 0xFF ? r / 2 : r / 4);
        TRect drawn;
        glyph->DrawTo(color, alpha, false, drawn, shadow_color, border_color, text, false, false, std::min(1, shadow),
                      std::min(1, border), SaturateToInt32(x), top, r, r);
        DrawnRect = Union(DrawnRect, drawn);
      }
    }
    top = SaturateToInt32(static_cast<std::int64_t>(top) + r);
    cell_height = SaturateToInt32(static_cast<std::int64_t>(cell_height) - r);
  }

  TFontPixel* glyph = cache->GetGlyph(GetCode(), face, flags, size);
  const bool is_first = !SameFrame(*this, Sibling(*this, -1));
  const bool is_last = !SameFrame(*this, Sibling(*this, 1));
  TRect drawn;
  glyph->DrawTo(color, alpha, false, drawn, shadow_color, border_color, text, is_last, is_first, shadow, border, left,
                top, width, cell_height);
  DrawnRect = Union(DrawnRect, drawn);
}

void TWdChar::Draw() {
  TZkWord& doc = *document_;
  const std::int32_t opacity = GetOpacity();
  if (opacity <= 0 || RectIsEmpty(DrawnRect) || doc.Target == nullptr) return;
  // From the document's surfaces to the target: the page's screen position.
  const std::int64_t dx = static_cast<std::int64_t>(GetScreenX()) - GetSurfaceX();
  const std::int64_t dy = static_cast<std::int64_t>(GetScreenY()) - GetSurfaceY();
  const std::int64_t area_left = doc.Left;
  const std::int64_t area_top = doc.Top;
  const std::int64_t left = std::max<std::int64_t>(DrawnRect.left + dx, area_left);
  const std::int64_t top = std::max<std::int64_t>(DrawnRect.top + dy, area_top);
  const std::int64_t right = std::min<std::int64_t>(DrawnRect.right + dx, area_left + doc.VisibleWidth);
  const std::int64_t bottom = std::min<std::int64_t>(DrawnRect.bottom + dy, area_top + doc.VisibleHeight);
  if (left >= right || top >= bottom) return;
  // Both ends lie in the drawn rectangle, so the source is within int32; the destination may not be.
  const TRect source{SaturateToInt32(left - dx), SaturateToInt32(top - dy), SaturateToInt32(right - dx),
                     SaturateToInt32(bottom - dy)};
  const std::int32_t x = SaturateToInt32(left);
  const std::int32_t y = SaturateToInt32(top);
  TCustomDIBX& target = *doc.Target;
  const auto value = static_cast<std::uint32_t>(opacity);
  if (GetBorder() > 0 || GetShadow() > 0) {
    if (opacity < kOpaque) {
      target.DrawMaskOpacity(x, y, doc.ColorSurface, source, false, false, &doc.AlphaSurface, value);
    } else {
      target.DrawMask(x, y, doc.ColorSurface, source, false, false, &doc.AlphaSurface);
    }
  } else {
    const auto text = static_cast<std::uint32_t>(target.ColorToPixel(TextColorValue()));
    target.DrawColorMask(x, y, &doc.AlphaSurface, source, false, false, text, value);
  }
}

}  // namespace vorn
