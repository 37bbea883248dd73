#include "support/text/glyph_listing.h"

#include <cstdio>

#include "text/wd_char.h"
#include "text/wd_img.h"
#include "text/wd_operators.h"

namespace vorn::test {

std::string Printable(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && c != '\\') {
      out += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    }
  }
  return out;
}

namespace {

std::string Quoted(std::string_view bytes) { return "'" + Printable(bytes) + "'"; }

std::string Style(const TDecorateValues& v) {
  return "<" + std::to_string(v.color) + "," + std::to_string(v.border_color) + "," + std::to_string(v.shadow_color) +
         "," + std::to_string(v.size) + "," + std::to_string(v.style) + "," + Quoted(v.face) + "," +
         std::to_string(v.no_break) + "," + Quoted(v.ruby) + "," + std::to_string(v.border) + "," +
         std::to_string(v.shadow) + ">";
}

std::string WaitAndLink(const TWdGlyph& g) { return " w" + std::to_string(g.GetWait()) + " " + Quoted(g.GetLink()); }

}  // namespace

std::string ListGlyph(const TWdGlyph& g) {
  if (const auto* ch = dynamic_cast<const TWdChar*>(&g)) {
    std::string head = dynamic_cast<const TWdVarChar*>(&g) != nullptr ? "VC " : "C ";
    return head + Quoted(g.GetText()) + " " + Style(ch->Decoration()) + WaitAndLink(g);
  }
  if (const auto* var = dynamic_cast<const TWdOpeVar*>(&g)) {
    return "VAR " + Quoted(var->ExpressionText()) + " " + Style(var->Decoration()) + WaitAndLink(g);
  }
  if (const auto* img = dynamic_cast<const TWdImg*>(&g)) {
    return "IMG " + Quoted(img->FileName()) + " a" + std::to_string(img->GetAlign()) + " nobr" +
           std::to_string(img->GetNoBreak() ? 1 : 0) + " " + Quoted(img->GetRuby()) + WaitAndLink(g);
  }
  if (const auto* event = dynamic_cast<const TWdOpeEvent*>(&g)) {
    return "EVENT " + Quoted(event->GetValue()) + (event->EndFlag() ? " end" : "");
  }
  switch (g.GetKind()) {
    case kGlyphAlign:
      return "ALIGN " + std::to_string(g.GetAlign());
    case kGlyphReturn:
      if (dynamic_cast<const TWdVarReturn*>(&g) != nullptr) return "VBR";
      return g.GetPageBreak() ? "BR CLEAR" : "BR";
    case kGlyphIndent:
      return "INDENT";
    case kGlyphUndent:
      return "UNDENT";
    default:
      break;
  }
  if (dynamic_cast<const TWdSpace*>(&g) != nullptr) return "SPACE " + std::to_string(g.GetWidth());
  return "GLYPH kind " + std::to_string(g.GetKind());
}

std::string ListGlyphs(const TZkWord& document) {
  std::string out;
  for (int i = 0; i < document.GlyphCount(); ++i) out += ListGlyph(*document.GetGlyph(i)) + "\n";
  return out;
}

std::string ListPages(const TWdPageList& pages) {
  std::string out;
  for (std::size_t p = 0; p < pages.size(); ++p) {
    const TWdPage& page = *pages[p];
    out += "page " + std::to_string(p) + " h " + std::to_string(page.GetHeight()) + "\n";
    for (int r = 0; r < page.GetChildCount(); ++r) {
      const TWdGlyph& row = *page.GetChild(r);
      out += "  row " + std::to_string(row.y) + " h " + std::to_string(row.GetHeight()) + ":";
      for (int c = 0; c < row.GetChildCount(); ++c) out += " " + std::to_string(row.GetChild(c)->x);
      out += "\n";
    }
  }
  return out;
}

std::string RowTexts(const TWdPageList& pages) {
  std::string out;
  for (std::size_t p = 0; p < pages.size(); ++p) {
    if (p > 0) out += " | ";
    const TWdPage& page = *pages[p];
    for (int r = 0; r < page.GetChildCount(); ++r) {
      if (r > 0) out += " / ";
      const TWdGlyph& row = *page.GetChild(r);
      for (int c = 0; c < row.GetChildCount(); ++c) {
        const TWdGlyph& child = *row.GetChild(c);
        out += child.GetKind() == kGlyphChar ? child.GetText() : std::string("_");
      }
    }
  }
  return out;
}

}  // namespace vorn::test
