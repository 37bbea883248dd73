// Runs one foundation routine over stdin and writes the result to stdout, so that independent
// references (Python's codecs and zlib) can check it. Usage: foundation_probe <routine>
//   lower, upper            the CP932 case fold of the whole input
//   han2zen, zen2han        the conversion of each "\n"-separated line, joined by "\n"
//   compress, decompress    CompressStream / DecompressStream of the whole input
//   glyphcodes              (no input) the Unicode value fonts draw for each glyph code 0..65535,
//                           4 bytes little-endian each, 0 for the missing-glyph shape
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/sjis.h"
#include "platform/gdi/gdi_font.h"
#include "foundation/zlib_stream.h"

namespace {

std::string ReadAll() {
  std::string data((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  return data;
}

template <class F>
std::string PerLine(const std::string& input, F convert) {
  std::string out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = input.find('\n', start);
    out += convert(std::string_view(input).substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    out.push_back('\n');
    start = end + 1;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: foundation_probe lower|upper|han2zen|zen2han|compress|decompress|glyphcodes\n");
    return 2;
  }
  std::ios::sync_with_stdio(false);
  const std::string_view routine = argv[1];
  const std::string input = ReadAll();
  std::string out;
  try {
    if (routine == "lower") {
      out = vorn::Cp932LowerCase(input);
    } else if (routine == "upper") {
      out = vorn::Cp932UpperCase(input);
    } else if (routine == "han2zen") {
      out = PerLine(input, [](std::string_view s) { return vorn::HanToZen(s); });
    } else if (routine == "zen2han") {
      out = PerLine(input, [](std::string_view s) { return vorn::ZenToHan(s); });
    } else if (routine == "compress" || routine == "decompress") {
      vorn::TMemoryStream stream(std::vector<std::uint8_t>(input.begin(), input.end()));
      if (routine == "compress") {
        vorn::CompressStream(stream);
      } else {
        vorn::DecompressStream(stream);
      }
      out.assign(stream.Bytes().begin(), stream.Bytes().end());
    } else if (routine == "glyphcodes") {
      for (unsigned code = 0; code < 65536; ++code) {
        const char32_t unicode = vorn::gdi::Cp932CodeToUnicode(static_cast<std::uint16_t>(code));
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((unicode >> (8 * i)) & 0xFF));
      }
    } else {
      std::fprintf(stderr, "unknown routine\n");
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
  return 0;
}
