#include "graphics/graphics_errors.h"

#include <string>

namespace vorn {

namespace {
// '%' never occurs as the second byte of a CP932 character, so a byte search is safe.
std::string Substitute(std::string_view format, const std::string& argument) {
  std::string result(format);
  const auto at = result.find('%');
  if (at != std::string::npos && at + 1 < result.size()) result.replace(at, 2, argument);
  return result;
}
}  // namespace

std::string FormatSystemText(std::string_view format, const std::string& argument) {
  return Substitute(format, argument);
}

std::string FormatSystemText(std::string_view format, long long argument) {
  return Substitute(format, std::to_string(argument));
}

}  // namespace vorn
