#include "graphics/region_file.h"

#include "foundation/stream.h"
#include "foundation/stream_encoding.h"

namespace vorn {

namespace {

// The fewest bytes a region takes: empty text, shape byte, zero points.
constexpr std::int64_t kSmallestRegionBytes = 4 + 1 + 4;
constexpr std::int64_t kPointBytes = 8;

class TRegionReader {
 public:
  TRegionReader(TStream& stream, const std::string& file_name) : stream_(stream), file_name_(file_name) {}

  std::vector<TMapRegion> Read() {
    const std::int32_t count = Int("region count");
    if (count < 0 || count > stream_.Remaining() / kSmallestRegionBytes) Fail("bad region count");
    std::vector<TMapRegion> regions;
    regions.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) regions.push_back(ReadRegion());
    return regions;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw ERegionFileError("region file " + file_name_ + ": " + what);
  }
  std::int32_t Int(const char* what) {
    if (stream_.Remaining() < 4) Fail(std::string("ends inside the ") + what);
    return ReadIntFromStream(stream_);
  }

  TMapRegion ReadRegion() {
    TMapRegion region;
    const std::int32_t length = Int("region text length");
    if (length < 0 || length > stream_.Remaining()) Fail("bad region text length");
    region.text.resize(static_cast<std::size_t>(length));
    if (length > 0) stream_.ReadBuffer(region.text.data(), region.text.size());
    if (stream_.Remaining() < 1) Fail("ends inside a region's shape");
    const std::uint8_t shape = ReadByteFromStream(stream_);
    if (shape == kRegionRectangle || shape == kRegionEllipse) {
      const std::int32_t left = Int("region bounds");
      const std::int32_t top = Int("region bounds");
      const std::int32_t right = Int("region bounds");
      const std::int32_t bottom = Int("region bounds");
      region.region = shape == kRegionRectangle ? TRegion::Rectangle(left, top, right, bottom)
                                                : TRegion::Ellipse(left, top, right, bottom);
      return region;
    }
    const std::int32_t count = Int("point count");
    if (count < 0 || count > stream_.Remaining() / kPointBytes) Fail("bad point count");
    std::vector<TPoint> points(static_cast<std::size_t>(count));
    for (TPoint& point : points) {
      point.x = ReadIntFromStream(stream_);
      point.y = ReadIntFromStream(stream_);
    }
    region.region = TRegion::Polygon(points);
    return region;
  }

  TStream& stream_;
  const std::string& file_name_;
};

}  // namespace

std::vector<TMapRegion> ReadRegionFile(TStream& stream, const std::string& file_name) {
  return TRegionReader(stream, file_name).Read();
}

}  // namespace vorn
