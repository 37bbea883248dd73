#include "platform/text_converter.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

namespace vorn::platform {
namespace {

std::string Convert(std::string_view input, const char* to, const char* from, std::string_view replacement,
                    bool utf8_source) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
  }
  std::string output;
  std::vector<char> buffer(input.size() * 4 + 16);
  char* in = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  while (in_left > 0) {
    char* out = buffer.data();
    std::size_t out_left = buffer.size();
    const std::size_t result = iconv(converter, &in, &in_left, &out, &out_left);
    output.append(buffer.data(), buffer.size() - out_left);
    if (result == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a cut sequence at the end): replace one byte and go on.
      output.append(replacement);
      // A UTF-8 character without a CP932 form is skipped whole: one "?" per character.
      do {
        ++in;
        --in_left;
      } while (utf8_source && in_left > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
      iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(converter);
  return output;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) { return Convert(cp932, "UTF-8", "CP932", "\xEF\xBF\xBD", false); }

std::string Utf8ToCp932(std::string_view utf8) { return Convert(utf8, "CP932", "UTF-8", "?", true); }

}  // namespace vorn::platform
