#include "platform/text_field_text.h"

#include <algorithm>

namespace vorn::platform {

void TextFieldText::Set(std::u32string text) {
  last_change_ = Change{0, text_.size(), text.size()};
  text_ = std::move(text);
  caret_ = anchor_ = 0;
  can_undo_ = false;
  last_was_typing_ = false;
  undo_removed_.clear();
}

void TextFieldText::MoveCaret(std::size_t position, bool extend) {
  caret_ = std::min(position, text_.size());
  if (!extend) anchor_ = caret_;
  last_was_typing_ = false;
}

void TextFieldText::Select(std::size_t anchor, std::size_t caret) {
  anchor_ = std::min(anchor, text_.size());
  caret_ = std::min(caret, text_.size());
  last_was_typing_ = false;
}

void TextFieldText::Replace(std::size_t at, std::size_t count, std::u32string_view insert, bool typing) {
  const bool extends = typing && last_was_typing_ && can_undo_ && count == 0 && at == undo_at_ + undo_inserted_;
  if (extends) {
    undo_inserted_ += insert.size();
  } else {
    undo_at_ = at;
    undo_removed_.assign(text_, at, count);
    undo_inserted_ = insert.size();
    can_undo_ = true;
  }
  text_.replace(at, count, insert);
  caret_ = anchor_ = at + insert.size();
  last_was_typing_ = typing;
  last_change_ = Change{at, count, insert.size()};
}

void TextFieldText::ReplaceSelection(std::u32string_view insert, bool typing) {
  const std::size_t start = SelectionStart();
  const std::size_t count = SelectionEnd() - start;
  if (count == 0 && insert.empty()) return;
  Replace(start, count, insert, typing);
}

bool TextFieldText::DeleteBackward() {
  if (HasSelection()) {
    ReplaceSelection({});
    return true;
  }
  if (caret_ == 0) return false;
  // A CR LF pair goes as one.
  const std::size_t count = caret_ >= 2 && text_[caret_ - 1] == U'\n' && text_[caret_ - 2] == U'\r' ? 2 : 1;
  Replace(caret_ - count, count, {}, false);
  return true;
}

bool TextFieldText::DeleteForward() {
  if (HasSelection()) {
    ReplaceSelection({});
    return true;
  }
  if (caret_ >= text_.size()) return false;
  const std::size_t count = caret_ + 1 < text_.size() && text_[caret_] == U'\r' && text_[caret_ + 1] == U'\n' ? 2 : 1;
  Replace(caret_, count, {}, false);
  return true;
}

bool TextFieldText::Undo() {
  if (!can_undo_) return false;
  const std::u32string removed = std::move(undo_removed_);
  const std::size_t at = undo_at_, inserted = undo_inserted_;
  Replace(at, inserted, removed, false);
  // Select what came back, as a desktop edit control does.
  anchor_ = at;
  caret_ = at + removed.size();
  return true;
}

}  // namespace vorn::platform
