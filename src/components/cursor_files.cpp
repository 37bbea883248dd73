#include "components/cursor_files.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "graphics/ani_file.h"
#include "graphics/dib_surface.h"
#include "graphics/graphics_errors.h"

namespace vorn {
namespace {

constexpr std::uint64_t kMsPerSecond = 1000;

platform::CursorImage ToCursorImage(TDIBSurface& picture, TPoint hot_spot) {
  if (picture.Width() <= 0 || picture.Height() <= 0 || picture.Width() > kMaxCursorSide ||
      picture.Height() > kMaxCursorSide) {
    throw EInvalidGraphic("cursor picture of " + std::to_string(picture.Width()) + " x " +
                          std::to_string(picture.Height()) + " pixels");
  }
  platform::CursorImage image;
  image.width = picture.Width();
  image.height = picture.Height();
  image.hot_x = std::clamp(hot_spot.x, 0, image.width - 1);
  image.hot_y = std::clamp(hot_spot.y, 0, image.height - 1);
  image.pixels.reserve(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
  TDIBSurface* alpha = picture.Alpha();
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      std::uint8_t red = 0;
      std::uint8_t green = 0;
      std::uint8_t blue = 0;
      picture.PixelToRGB8(picture.GetPixel(x, y), true, red, green, blue);
      const std::uint32_t a = alpha != nullptr ? alpha->GetPixel(x, y) & 0xFF : 0xFF;
      image.pixels.push_back((a << 24) | (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue);
    }
  }
  return image;
}

bool StartsWithRiff(TStream& stream) {
  std::uint8_t id[4] = {};
  stream.SetPosition(0);
  const bool riff = stream.Read(id, sizeof id) == sizeof id && id[0] == 'R' && id[1] == 'I' && id[2] == 'F' && id[3] == 'F';
  stream.SetPosition(0);
  return riff;
}

}  // namespace

TCursorPictures ReadCursorPictures(TStream& stream) {
  TCursorPictures result;
  if (StartsWithRiff(stream)) {
    TAniCursor cursor = ReadAniCursor(stream);
    for (TAniFrame& frame : cursor.frames) result.frames.push_back(ToCursorImage(*frame.picture, frame.hot_spot));
    for (const TAniStep& step : cursor.steps) {
      const std::uint64_t ms = std::uint64_t{step.jiffies} * kMsPerSecond / kAniJiffiesPerSecond;
      result.steps.push_back(platform::CursorStep{
          step.frame, static_cast<std::uint32_t>(std::clamp<std::uint64_t>(ms, 1, std::numeric_limits<std::int32_t>::max()))});
    }
    return result;
  }
  TDIBSurface picture;
  std::int32_t key = -1;
  bool icon32 = false;
  TPoint hot_spot{};
  picture.ReadIconEntry(stream, 0, key, true, icon32, hot_spot);
  result.frames.push_back(ToCursorImage(picture, hot_spot));
  return result;
}

}  // namespace vorn
