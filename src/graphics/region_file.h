#pragma once

// The region file of an image map: int32 count, then per region its text (int32 length and CP932
// bytes), a shape byte (0 rectangle, 1 ellipse, any other value polygon) and either four int32
// inclusive bounds left, top, right, bottom, or an int32 point count and that many int32 x, y
// pairs. Little-endian. Bytes after the last region are ignored.

#include <string>
#include <vector>

#include "foundation/errors.h"
#include "graphics/region.h"

namespace vorn {

class TStream;

inline constexpr std::uint8_t kRegionRectangle = 0;
inline constexpr std::uint8_t kRegionEllipse = 1;

struct TMapRegion {
  std::string text;
  TRegion region;
};

// A region file that ends early or holds counts no file of its size can hold.
class ERegionFileError : public EReadError {
 public:
  using EReadError::EReadError;
};

// The regions in file order. A malformed file raises ERegionFileError naming the file; nothing is
// returned then.
std::vector<TMapRegion> ReadRegionFile(TStream& stream, const std::string& file_name);

}  // namespace vorn
