#include "engine/script_error.h"

namespace vorn {

std::string FormatText(std::string_view pattern, std::string_view arg) {
  const auto at = pattern.find("%s");
  if (at == std::string_view::npos) return std::string(pattern);
  std::string text;
  text.reserve(pattern.size() + arg.size());
  text.append(pattern.substr(0, at));
  text.append(arg);
  text.append(pattern.substr(at + 2));
  return text;
}

}  // namespace vorn
