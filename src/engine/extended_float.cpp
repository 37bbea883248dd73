#include "engine/extended_float.h"

#include <cstring>

namespace vorn {

void PackExtended(TExtended value, std::uint8_t* bytes) {
  // The in-memory long double holds the 10 bytes first, then padding.
  std::memcpy(bytes, &value, kExtendedBytes);
}

TExtended UnpackExtended(const std::uint8_t* bytes) {
  TExtended value = 0;
  std::memcpy(&value, bytes, kExtendedBytes);
  return value;
}

void WriteExtendedToStream(TStream& stream, TExtended value) {
  std::uint8_t bytes[kExtendedBytes];
  PackExtended(value, bytes);
  stream.WriteBuffer(bytes, kExtendedBytes);
}

TExtended ReadExtendedFromStream(TStream& stream) {
  std::uint8_t bytes[kExtendedBytes];
  stream.ReadBuffer(bytes, kExtendedBytes);
  return UnpackExtended(bytes);
}

}  // namespace vorn
