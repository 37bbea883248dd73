#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// "\" and, for native paths on this host, "/" are path delimiters, unless the byte is the trail
// byte of a two-byte character (ソ is 83 5C).
bool IsPathDelimiterAt(std::string_view s, std::size_t i);
bool EndsWithPathDelimiter(std::string_view s);
// s with "\" appended unless it already ends with a path delimiter.
std::string IncludeTrailingDelimiter(std::string_view s);
// Byte index of the last path delimiter, or npos.
std::size_t LastPathDelimiter(std::string_view s);

// A path cut into components, each ending with its delimiter; the path is upper-cased first.
// "\\SERVER\" and "C:\" are first components of their own.
class TPathParser {
 public:
  void Parse(std::string_view path);
  std::string Join() const;
  void Clear() { components_.clear(); }
  int Count() const { return static_cast<int>(components_.size()); }
  const std::string& Component(int index) const { return components_[static_cast<std::size_t>(index)]; }
  void DeleteLast() { components_.pop_back(); }
  const std::vector<std::string>& Components() const { return components_; }

 private:
  std::vector<std::string> components_;
};

// path against the folder base: an absolute path (or one of at most one character) as it
// stands, else base + path, each leading "..\" removing the last component of base.
std::string ExpandRelativePath(std::string_view path, std::string_view base);

// Splits "page:label": returns the label and cuts name before the ":". A "." or "\" nearer the end
// ends the search with no label, as does a ":" in the first position.
std::string SplitPageLabel(std::string& name);

}  // namespace vorn
