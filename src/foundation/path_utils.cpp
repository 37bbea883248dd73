#include "foundation/path_utils.h"

#include "foundation/sjis.h"

namespace vorn {

bool IsPathDelimiterAt(std::string_view s, std::size_t i) {
  return i < s.size() && (s[i] == '\\' || s[i] == '/') && !IsTrailByteAt(s, i);
}

bool EndsWithPathDelimiter(std::string_view s) { return !s.empty() && IsPathDelimiterAt(s, s.size() - 1); }

std::string IncludeTrailingDelimiter(std::string_view s) {
  std::string out(s);
  if (!EndsWithPathDelimiter(s)) out.push_back('\\');
  return out;
}

std::size_t LastPathDelimiter(std::string_view s) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < s.size(); i += CharLengthAt(s, i)) {
    if (s[i] == '\\' || s[i] == '/') found = i;
  }
  return found;
}

void TPathParser::Parse(std::string_view path) {
  components_.clear();
  if (path.empty()) return;
  const std::string text = IncludeTrailingDelimiter(Cp932UpperCase(path));

  std::size_t start = 0;
  std::size_t i = 0;
  if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\') {
    // The server part "\\SERVER\" runs to the first delimiter from the third character on.
    for (i = 2; i < text.size() && !IsPathDelimiterAt(text, i); i += CharLengthAt(text, i)) {
    }
    components_.push_back(text.substr(0, i + 1));
    start = i = i + 1;
  } else if (text.size() >= 3 && text[1] == ':') {
    components_.push_back(text.substr(0, 3));
    start = i = 3;
  }
  for (; i < text.size(); i += CharLengthAt(text, i)) {
    if (IsPathDelimiterAt(text, i)) {
      components_.push_back(text.substr(start, i + 1 - start));
      start = i + 1;
    }
  }
}

std::string TPathParser::Join() const {
  std::string out;
  for (const std::string& component : components_) out += component;
  return out;
}

namespace {

bool StartsWithParent(std::string_view path) {
  return path.size() >= 3 && path[0] == '.' && path[1] == '.' && (path[2] == '\\' || path[2] == '/');
}

}  // namespace

std::string ExpandRelativePath(std::string_view path, std::string_view base) {
  if (path.size() <= 1 || path[0] == '\\' || path[0] == '/' || path[1] == ':') return std::string(path);
  if (!StartsWithParent(path)) return std::string(base) + std::string(path);
  TPathParser parser;
  parser.Parse(base);
  while (parser.Count() > 0 && StartsWithParent(path)) {
    parser.DeleteLast();
    path.remove_prefix(3);
  }
  return parser.Join() + std::string(path);
}

std::string SplitPageLabel(std::string& name) {
  for (std::size_t i = name.size(); i-- > 1;) {
    const char c = name[i];
    if (c != ':' && c != '.' && c != '\\') continue;
    // ":" is never a trail byte, so only the parity rule can tell the byte before it apart
    // (メ is 83 81). "." and "\" keep the rule of the stored references: a lead-range byte before
    // them makes them part of that character, and the scan goes on before it.
    const bool trail = c == ':' ? IsTrailByteAt(name, i) : IsLeadByte(name[i - 1]);
    if (trail) {
      --i;
      continue;
    }
    if (c != ':') return {};
    std::string label = name.substr(i + 1);
    name.erase(i);
    return label;
  }
  return {};
}

}  // namespace vorn
