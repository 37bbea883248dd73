#include "text/wd_operators.h"

#include "engine/param_collection.h"
#include "engine/vorn_parser.h"
#include "text/zk_word.h"

namespace vorn {

TWdOpeVar::TWdOpeVar(TZkWord* document)
    : TWdGlyph(document), style_(document), expression_(std::make_unique<TVornParser>()) {}

TWdOpeVar::~TWdOpeVar() = default;

std::unique_ptr<TWdGlyph> TWdOpeAlign::NewLike(TZkWord* document) const {
  return std::make_unique<TWdOpeAlign>(document);
}
std::unique_ptr<TWdGlyph> TWdOpeReturn::NewLike(TZkWord* document) const {
  return std::make_unique<TWdOpeReturn>(document);
}
std::unique_ptr<TWdGlyph> TWdVarReturn::NewLike(TZkWord* document) const {
  return std::make_unique<TWdVarReturn>(document);
}
std::unique_ptr<TWdGlyph> TWdOpeIndent::NewLike(TZkWord* document) const {
  return std::make_unique<TWdOpeIndent>(document);
}
std::unique_ptr<TWdGlyph> TWdOpeUndent::NewLike(TZkWord* document) const {
  return std::make_unique<TWdOpeUndent>(document);
}
std::unique_ptr<TWdGlyph> TWdOpeEvent::NewLike(TZkWord* document) const {
  return std::make_unique<TWdOpeEvent>(document);
}
std::unique_ptr<TWdGlyph> TWdOpeVar::NewLike(TZkWord* document) const {
  return std::make_unique<TWdOpeVar>(document);
}
std::unique_ptr<TWdGlyph> TWdSpace::NewLike(TZkWord* document) const {
  return std::make_unique<TWdSpace>(document);
}

void TWdOpeAlign::Assign(const TWdGlyph& source) {
  TWdGlyph::Assign(source);
  align_ = source.GetAlign();
}

std::int32_t TWdOpeReturn::GetHeight() const {
  if (parent_ != nullptr && parent_->GetChildCount() == 1) return document_->FontSize;
  return 0;
}

void TWdOpeReturn::Assign(const TWdGlyph& source) {
  TWdGlyph::Assign(source);
  page_break_ = source.GetPageBreak();
}

void TWdOpeEvent::Assign(const TWdGlyph& source) {
  TWdGlyph::Assign(source);
  if (const auto* event = dynamic_cast<const TWdOpeEvent*>(&source)) {
    value_ = event->value_;
    end_ = event->end_;
  }
}

void TWdOpeVar::Assign(const TWdGlyph& source) {
  TWdGlyph::Assign(source);
  if (const auto* var = dynamic_cast<const TWdOpeVar*>(&source)) {
    expression_->Assign(*var->expression_);
    expression_text_ = var->expression_text_;
    style_.Set(var->Decoration());
    wait_ = var->wait_;
    link_ = var->link_;
  }
}

}  // namespace vorn
