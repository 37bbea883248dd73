#include "text/wd_char.h"

#include <algorithm>

#include "text/text_values.h"
#include "text/zk_word.h"

namespace vorn {

void TWdReal::SetOpacity(std::int32_t value) { opacity_ = std::clamp(value, 0, 255); }

void TWdReal::Assign(const TWdGlyph& source) {
  TWdGlyph::Assign(source);
  if (const auto* real = dynamic_cast<const TWdReal*>(&source)) {
    link_ = real->link_;
    hover_ = real->hover_;
    opacity_ = real->opacity_;
    wait_ = real->wait_;
  }
}

TDecorateHolder::TDecorateHolder(TZkWord* document)
    : document_(document), record_(document->Decorations.Acquire(TDecorateValues{})) {}

TDecorateHolder::~TDecorateHolder() { document_->Decorations.Release(record_); }

void TDecorateHolder::Set(const TDecorateValues& values) { document_->Decorations.Change(record_, values); }

void TDecorateHolder::Adopt(TDecorate* record) {
  if (record == record_) return;
  document_->Decorations.Hold(record);
  document_->Decorations.Release(record_);
  record_ = record;
}

std::unique_ptr<TWdGlyph> TWdChar::NewLike(TZkWord* document) const { return std::make_unique<TWdChar>(document); }
std::unique_ptr<TWdGlyph> TWdVarChar::NewLike(TZkWord* document) const {
  return std::make_unique<TWdVarChar>(document);
}

void TWdChar::SetFontName(const std::string& face) { style_.Modify([&](TDecorateValues& v) { v.face = face; }); }
void TWdChar::SetFontSize(std::int32_t size) { style_.Modify([&](TDecorateValues& v) { v.size = size; }); }
void TWdChar::SetStyle(std::uint8_t style) { style_.Modify([&](TDecorateValues& v) { v.style = style; }); }
void TWdChar::SetColor(std::int32_t color) { style_.Modify([&](TDecorateValues& v) { v.color = color; }); }
void TWdChar::SetBorderColor(std::int32_t color) {
  style_.Modify([&](TDecorateValues& v) { v.border_color = color; });
}
void TWdChar::SetBorder(std::int32_t width) { style_.Modify([&](TDecorateValues& v) { v.border = width; }); }
void TWdChar::SetShadow(std::int32_t offset) { style_.Modify([&](TDecorateValues& v) { v.shadow = offset; }); }
void TWdChar::SetShadowColor(std::int32_t color) {
  style_.Modify([&](TDecorateValues& v) { v.shadow_color = color; });
}
void TWdChar::SetNoBreak(bool flag) { style_.Modify([&](TDecorateValues& v) { v.no_break = flag ? 1 : 0; }); }
void TWdChar::SetRuby(const std::string& text) { style_.Modify([&](TDecorateValues& v) { v.ruby = text; }); }

std::int32_t TWdChar::GetBorder() const {
  std::int32_t own = style_.Values().border;
  return own < 0 ? document_->BorderWidth : own;
}

std::int32_t TWdChar::GetShadow() const {
  std::int32_t own = style_.Values().shadow;
  return own < 0 ? document_->ShadowOffset : own;
}

void TWdChar::Measure() {
  const TDecorateValues& v = style_.Values();
  std::int64_t size = v.size == 0 ? document_->FontSize : v.size;
  std::int64_t w = size;
  std::int64_t h = size;
  if ((v.style & kStyleItalic) != 0) w += size / 5;
  if (!v.ruby.empty()) h += std::max<std::int64_t>(1, size / 2);
  std::int64_t edge = 2 * static_cast<std::int64_t>(GetBorder()) + GetShadow();
  width = SaturateToInt32(w + edge);
  height = SaturateToInt32(h + edge);
}

void TWdChar::Assign(const TWdGlyph& source) {
  TWdReal::Assign(source);
  if (const auto* ch = dynamic_cast<const TWdChar*>(&source)) {
    style_.Set(ch->Decoration());
    code_ = ch->code_;
    DrawnRect = ch->DrawnRect;
  }
}

}  // namespace vorn
