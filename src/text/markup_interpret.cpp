#include <cstdint>
#include <memory>
#include <string>

#include "engine/script_text.h"
#include "engine/system_vars.h"
#include "foundation/errors.h"
#include "foundation/sjis.h"
#include "foundation/system_texts.h"
#include "foundation/unescape_string.h"
#include "text/tag.h"
#include "text/tag_val_list.h"
#include "text/wd_char.h"
#include "text/wd_img.h"
#include "text/wd_operators.h"
#include "text/zk_word.h"

namespace vorn {

namespace {

TDecorateValues StyleOf(const TTagValList& state) {
  TDecorateValues v;
  v.size = state.size.Top();
  v.color = state.color.Top();
  v.border_color = state.border_color.Top();
  v.shadow_color = state.shadow_color.Top();
  v.face = state.face.Top();
  v.style = state.style;
  v.no_break = state.no_break ? 1 : 0;
  v.ruby = state.ruby;
  v.border = state.border.Top();
  v.shadow = state.shadow.Top();
  return v;
}

// An integer attribute, or the fallback when absent or no valid int32.
std::int32_t IntAttr(const TTag& tag, std::string_view name, std::int32_t fallback) {
  if (tag.IndexOfAttr(name) < 0) return fallback;
  std::int32_t value = 0;
  return script_text::TryStrToInt(tag.AttrValue(name, ""), value) ? value : fallback;
}

// BORDER and SHADOW: present without a (valid) value means 1, negative means 0.
std::int32_t EdgeAttr(const TTag& tag, std::string_view name, std::int32_t current) {
  if (tag.IndexOfAttr(name) < 0) return current;
  std::int32_t value = IntAttr(tag, name, 1);
  return value < 0 ? 0 : value;
}

class MarkupInterpreter {
 public:
  MarkupInterpreter(TZkWord& document, std::int32_t default_wait) : doc_(document), state_(default_wait) {}

  void Text(const std::string& text);
  void Tag(const TTag& tag);

 private:
  template <class G>
  G& Emit() {
    return static_cast<G&>(*doc_.AddGlyph(std::make_unique<G>(&doc_)));
  }
  void EmitAlign() { Emit<TWdOpeAlign>().SetAlign(state_.align.Top()); }
  void EmitReturn(bool page_break) { Emit<TWdOpeReturn>().SetPageBreak(page_break); }
  void Font(const TTag& tag);

  TZkWord& doc_;
  TTagValList state_;
};

void MarkupInterpreter::Text(const std::string& text) {
  TDecorateValues style = StyleOf(state_);
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t length = CharLengthAt(text, i);
    auto code = static_cast<std::uint16_t>(static_cast<std::uint8_t>(text[i]));
    if (length == 2) code = static_cast<std::uint16_t>(code << 8 | static_cast<std::uint8_t>(text[i + 1]));
    auto& ch = Emit<TWdChar>();
    ch.SetCode(code);
    ch.SetDecoration(style);
    ch.SetLink(state_.link);
    ch.SetWait(state_.wait.Top());
    i += length;
  }
}

void MarkupInterpreter::Font(const TTag& tag) {
  state_.size.Push(IntAttr(tag, "SIZE", state_.size.Top()));
  state_.color.Push(tag.AttrColor("COLOR", state_.color.Top()));
  state_.border_color.Push(tag.AttrColor("BCOLOR", state_.border_color.Top()));
  state_.shadow_color.Push(tag.AttrColor("SCOLOR", state_.shadow_color.Top()));
  state_.face.Push(tag.AttrValue("NAME", state_.face.Top()));
  state_.border.Push(EdgeAttr(tag, "BORDER", state_.border.Top()));
  state_.shadow.Push(EdgeAttr(tag, "SHADOW", state_.shadow.Top()));
}

void MarkupInterpreter::Tag(const TTag& tag) {
  switch (tag.TagId()) {
    case kTagA: {
      std::string href = tag.AttrValue("HREF", "");
      if (href.empty()) throw Exception(std::string(texts::kLinkHrefMissing));
      state_.link = UnescapeString(href);
      break;
    }
    case kTagEndA: state_.link.clear(); break;
    case kTagB: state_.style |= kStyleBold; break;
    case kTagEndB: state_.style &= static_cast<std::uint8_t>(~kStyleBold); break;
    case kTagI: state_.style |= kStyleItalic; break;
    case kTagEndI: state_.style &= static_cast<std::uint8_t>(~kStyleItalic); break;
    case kTagS: state_.style |= kStyleStrikeOut; break;
    case kTagEndS: state_.style &= static_cast<std::uint8_t>(~kStyleStrikeOut); break;
    case kTagU: state_.style |= kStyleUnderline; break;
    case kTagEndU: state_.style &= static_cast<std::uint8_t>(~kStyleUnderline); break;
    case kTagFont: Font(tag); break;
    case kTagEndFont:
      state_.size.Pop();
      state_.color.Pop();
      state_.border_color.Pop();
      state_.shadow_color.Pop();
      state_.face.Pop();
      state_.border.Pop();
      state_.shadow.Pop();
      break;
    case kTagNoBr: state_.no_break = true; break;
    case kTagEndNoBr: state_.no_break = false; break;
    case kTagRuby: state_.ruby = tag.AttrValue("VALUE", ""); break;
    case kTagEndRuby: state_.ruby.clear(); break;
    case kTagDiv:
      state_.align.Push(tag.AttrAlign({kAlignLeft, kAlignRight, kAlignCenter}, kAlignLeft));
      EmitAlign();
      break;
    case kTagEndDiv:
      state_.align.Pop();
      EmitAlign();
      break;
    case kTagIndent: Emit<TWdOpeIndent>(); break;
    case kTagUndent: Emit<TWdOpeUndent>(); break;
    case kTagBr: EmitReturn(tag.IndexOfAttr("CLEAR") >= 0); break;
    case kTagClear: EmitReturn(true); break;
    case kTagEvent: {
      std::string value = UnescapeString(tag.AttrValue("VALUE", ""));
      // A leading 0x01 tells the reveal that the event ends the text.
      if (tag.IndexOfAttr("END") >= 0) value.insert(value.begin(), '\x01');
      Emit<TWdOpeEvent>().SetValue(value);
      break;
    }
    case kTagWait: state_.wait.Push(IntAttr(tag, "VALUE", state_.wait.Top())); break;
    case kTagEndWait: state_.wait.Pop(); break;
    case kTagVar: {
      std::string name = tag.AttrValue("NAME", "");
      if (name.empty()) break;
      auto& var = Emit<TWdOpeVar>();
      var.SetExpressionText(name);
      var.SetDecoration(StyleOf(state_));
      var.SetLink(state_.link);
      var.SetWait(state_.wait.Top());
      break;
    }
    case kTagImg: {
      std::string source = tag.AttrValue("SRC", "");
      if (source.empty()) break;
      auto& img = Emit<TWdImg>();
      img.SetFileName(source);
      img.SetAlign(tag.AttrAlign({kAlignCenter, kAlignTop, kAlignBottom}, kAlignBottom));
      img.SetNoBreak(state_.no_break);
      img.SetRuby(state_.ruby);
      img.SetLink(state_.link);
      img.SetWait(state_.wait.Top());
      break;
    }
    default:
      break;
  }
}

}  // namespace

void TZkWord::SetText(const std::vector<std::string>& lines) {
  Clear();
  MarkupInterpreter interpreter(*this, TextDelayValue());
  TTag tag;
  for (const TMarkupItem& item : PrepareMarkup(lines)) {
    switch (item.kind) {
      case TMarkupItemKind::Comment:
        break;
      case TMarkupItemKind::Text:
        interpreter.Text(item.text);
        break;
      case TMarkupItemKind::Tag:
        tag.Parse(item.text);
        // Brackets around nothing that names a tag ("<>") are shown as they stand.
        if (tag.TagId() == kTagNone) {
          interpreter.Text(item.text);
        } else {
          interpreter.Tag(tag);
        }
        break;
    }
  }
}

}  // namespace vorn
