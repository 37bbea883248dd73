#include "platform/cp932_codec.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace vorn::platform {
namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view text) {
  if (text.empty()) return std::string();
  iconv_t descriptor = ::iconv_open(to, from);
  if (descriptor == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::vector<char> input(text.begin(), text.end());
  std::string output(text.size() * 4 + 16, '\0');
  char* in = input.data();
  std::size_t in_left = input.size();
  char* out = output.data();
  std::size_t out_left = output.size();
  const std::size_t result = ::iconv(descriptor, &in, &in_left, &out, &out_left);
  ::iconv_close(descriptor);
  if (result == static_cast<std::size_t>(-1) || in_left != 0) return std::nullopt;
  output.resize(output.size() - out_left);
  return output;
}

}  // namespace

std::optional<std::string> StrictCp932ToUtf8(std::string_view cp932) { return Convert("UTF-8", "CP932", cp932); }

std::optional<std::string> StrictUtf8ToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8); }

}  // namespace vorn::platform
