#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// The fields of one line, as views into it, by the rules of TTabStrings (the list is cleared
// first). Callers that read many lines keep the list and the line alive and allocate nothing.
void SplitTabFields(std::string_view line, std::vector<std::string_view>& fields, char separator = '\t');

// One line of a tab-separated table split into fields. A separator that is the trail byte of a
// two-byte character does not split; a separator at the very end adds no empty last field.
class TTabStrings {
 public:
  TTabStrings() = default;

  void SetLine(std::string_view line);
  // The index-th field; the empty string when index is not below the count.
  std::string GetField(int index) const;
  void GetField(int index, std::string& text) const { text = GetField(index); }
  int Count() const { return static_cast<int>(fields_.size()); }
  void Clear();

  char Separator() const { return separator_; }
  void SetSeparator(char separator) { separator_ = separator; }
  // A read position for callers that walk the fields; Clear (and SetLine) resets it to 0.
  int Position() const { return position_; }
  void SetPosition(int position) { position_ = position; }
  const std::vector<std::string>& Fields() const { return fields_; }

 private:
  std::vector<std::string> fields_;
  char separator_ = '\t';
  int position_ = 0;
};

}  // namespace vorn
