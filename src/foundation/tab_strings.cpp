#include "foundation/tab_strings.h"

#include "foundation/sjis.h"

namespace vorn {

void TTabStrings::Clear() {
  fields_.clear();
  position_ = 0;
}

void TTabStrings::SetLine(std::string_view line) {
  Clear();
  std::size_t start = 0;
  for (std::size_t i = 0; i < line.size(); i += CharLengthAt(line, i)) {
    if (line[i] == separator_) {
      fields_.emplace_back(line.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < line.size()) fields_.emplace_back(line.substr(start));
}

std::string TTabStrings::GetField(int index) const {
  if (index < 0 || index >= Count()) return {};
  return fields_[static_cast<std::size_t>(index)];
}

}  // namespace vorn
