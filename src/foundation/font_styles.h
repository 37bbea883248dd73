#pragma once

#include <cstdint>

namespace vorn {

enum class TFontStyle : std::uint8_t { kBold = 0, kItalic = 1, kUnderline = 2, kStrikeOut = 3 };

// A set of font styles; as an integer, bold, italic, underline and strike-out are bits 0 to 3.
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr bool Has(TFontStyle style) const { return (bits_ & Bit(style)) != 0; }
  constexpr TFontStyles& Include(TFontStyle style) {
    bits_ = static_cast<std::uint8_t>(bits_ | Bit(style));
    return *this;
  }
  constexpr TFontStyles& Exclude(TFontStyle style) {
    bits_ = static_cast<std::uint8_t>(bits_ & ~Bit(style));
    return *this;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr std::uint8_t Bits() const { return bits_; }
  static constexpr TFontStyles FromBits(int bits) {
    TFontStyles styles;
    styles.bits_ = static_cast<std::uint8_t>(bits & 0x0F);
    return styles;
  }
  friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

 private:
  static constexpr std::uint8_t Bit(TFontStyle style) { return static_cast<std::uint8_t>(1u << static_cast<int>(style)); }
  std::uint8_t bits_ = 0;
};

constexpr int FontStylesToInt(TFontStyles styles) { return styles.Bits(); }
// Bits above 3 are ignored.
constexpr TFontStyles IntToFontStyles(int n) { return TFontStyles::FromBits(n); }

}  // namespace vorn
