#include "foundation/tab_strings.h"

#include "foundation/sjis.h"

namespace vorn {

void SplitTabFields(std::string_view line, std::vector<std::string_view>& fields, char separator) {
  fields.clear();
  std::size_t start = 0;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = line.find(separator, from);
    if (at == std::string_view::npos) break;
    from = at + 1;
    // The second byte of a two-byte character is no separator.
    if (at > 0 && IsTrailByteAt(line, at)) continue;
    fields.push_back(line.substr(start, at - start));
    start = from;
  }
  if (start < line.size()) fields.push_back(line.substr(start));
}

void TTabStrings::Clear() {
  fields_.clear();
  position_ = 0;
}

void TTabStrings::SetLine(std::string_view line) {
  Clear();
  std::vector<std::string_view> views;
  SplitTabFields(line, views, separator_);
  fields_.assign(views.begin(), views.end());
}

std::string TTabStrings::GetField(int index) const {
  if (index < 0 || index >= Count()) return {};
  return fields_[static_cast<std::size_t>(index)];
}

}  // namespace vorn
