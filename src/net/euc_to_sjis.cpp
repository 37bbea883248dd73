#include "net/euc_to_sjis.h"

namespace vorn {
namespace {

constexpr std::uint8_t kSingleShift2 = 0x8E;

}  // namespace

std::string JisToShiftJisPair(std::uint8_t j1, std::uint8_t j2) {
  std::uint8_t trail;
  if ((j1 & 1) == 0) {
    trail = static_cast<std::uint8_t>(j2 + 0x7E);
  } else {
    trail = static_cast<std::uint8_t>(j2 + (j2 < 0x60 ? 0x1F : 0x20));
  }
  const std::uint8_t lead = static_cast<std::uint8_t>(((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0));
  return std::string{static_cast<char>(lead), static_cast<char>(trail)};
}

std::string EucToShiftJis(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t p = 0;
  while (p < text.size()) {
    const auto b = static_cast<std::uint8_t>(text[p]);
    if (b <= 0x80 || b == 0xFF) {
      out.push_back(static_cast<char>(b));
      ++p;
      continue;
    }
    // A lead byte with no partner is dropped: nothing past the end is read.
    if (p + 1 >= text.size()) break;
    const auto next = static_cast<std::uint8_t>(text[p + 1]);
    if (b == kSingleShift2) {
      out.push_back(static_cast<char>(next));
    } else {
      out += JisToShiftJisPair(static_cast<std::uint8_t>(b & 0x7F), static_cast<std::uint8_t>(next & 0x7F));
    }
    p += 2;
  }
  return out;
}

}  // namespace vorn
