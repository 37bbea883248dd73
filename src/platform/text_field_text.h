#pragma once

// The text of a field with its caret, selection and one level of undo. Positions count
// characters (code points), so the caret never stands inside one.

#include <cstddef>
#include <string>
#include <string_view>

namespace vorn::platform {

class TextFieldText {
 public:
  const std::u32string& text() const { return text_; }
  // Replaces the whole text: caret at the start, no selection, nothing to undo.
  void Set(std::u32string text);

  std::size_t caret() const { return caret_; }
  std::size_t anchor() const { return anchor_; }
  bool HasSelection() const { return caret_ != anchor_; }
  std::size_t SelectionStart() const { return caret_ < anchor_ ? caret_ : anchor_; }
  std::size_t SelectionEnd() const { return caret_ < anchor_ ? anchor_ : caret_; }
  std::u32string_view Selected() const { return std::u32string_view(text_).substr(SelectionStart(), SelectionEnd() - SelectionStart()); }
  // Moves the caret (clamped to the text); extend keeps the anchor, else the selection goes.
  void MoveCaret(std::size_t position, bool extend);
  void Select(std::size_t anchor, std::size_t caret);

  // Replaces the selection (or inserts at the caret); the caret ends after the insertion.
  // Typing in a row forms one undo step.
  void ReplaceSelection(std::u32string_view insert, bool typing = false);
  // The selection, else the character before (after) the caret; false when nothing changed.
  bool DeleteBackward();
  bool DeleteForward();
  // Puts back the text the last edit replaced; a second undo redoes it.
  bool Undo();

  // Where the edit starts and how many characters it replaced and inserted, for the layout.
  struct Change {
    std::size_t at = 0;
    std::size_t removed = 0;
    std::size_t inserted = 0;
  };
  const Change& last_change() const { return last_change_; }

 private:
  void Replace(std::size_t at, std::size_t count, std::u32string_view insert, bool typing);

  std::u32string text_;
  std::size_t caret_ = 0;
  std::size_t anchor_ = 0;
  // The last edit: what stood at undo_at_ before it, and how long the text that replaced it is.
  std::size_t undo_at_ = 0;
  std::u32string undo_removed_;
  std::size_t undo_inserted_ = 0;
  bool can_undo_ = false;
  bool last_was_typing_ = false;
  Change last_change_;
};

}  // namespace vorn::platform
