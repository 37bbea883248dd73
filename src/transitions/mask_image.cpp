#include "transitions/mask_image.h"

#include <cstddef>
#include <exception>

#include "engine/project.h"
#include "foundation/log_line.h"
#include "foundation/stream.h"
#include "foundation/vr_file_manager.h"
#include "graphics/pelk_frame_list.h"
#include "platform/text_converter.h"

namespace vorn {

namespace {

void Complain(const std::string& name, const std::string& reason) {
  LogLine("mask picture " + platform::Cp932ToUtf8(name) + " not used, the screen fades evenly: " + reason);
}

// The picture's grey levels row by row; empty when there is no picture to use.
std::vector<std::uint8_t> PictureGreys(const std::string& name, bool invert, int& pictureWidth,
                                       int& pictureHeight) {
  TProject* project = CurrentProject();
  if (project == nullptr) {
    Complain(name, "no project is running");
    return {};
  }
  if (!project->CheckFile(name)) {
    Complain(name, "no such file");
    return {};
  }
  TMemoryStream stream;
  project->Files().LoadToStream(stream, name);
  stream.SetPosition(0);
  TPelkFrameList frames(static_cast<std::uint32_t>(project->settings.identification_code));
  frames.LoadFromStream(stream, true, false);
  if (frames.Count() == 0) {
    Complain(name, "it holds no frame");
    return {};
  }
  TDIBSurface& picture = frames.GetFrame(0).Composite();
  pictureWidth = picture.Width();
  pictureHeight = picture.Height();
  if (pictureWidth <= 0 || pictureHeight <= 0) {
    Complain(name, "its frame is empty");
    return {};
  }
  if (invert) picture.Negative();
  std::vector<std::uint8_t> greys(static_cast<std::size_t>(pictureWidth) * static_cast<std::size_t>(pictureHeight));
  std::size_t at = 0;
  for (int y = 0; y < pictureHeight; ++y)
    for (int x = 0; x < pictureWidth; ++x) {
      std::uint8_t r = 0, g = 0, b = 0;
      picture.PixelToRGB8(picture.GetPixel(x, y), true, r, g, b);
      greys[at++] = static_cast<std::uint8_t>(MaskGrey(r, g, b));
    }
  return greys;
}

}  // namespace

std::vector<std::int16_t> MaskImageOffsets(const std::string& name, bool invert, int width,
                                           int height) {
  if (width <= 0 || height <= 0) return {};
  std::vector<std::int16_t> offsets(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  if (name.empty()) return offsets;
  std::vector<std::uint8_t> greys;
  int pictureWidth = 0, pictureHeight = 0;
  // A file that is there but cannot be read must not stop the transition: the flip that starts
  // it would raise again at every step.
  try {
    greys = PictureGreys(name, invert, pictureWidth, pictureHeight);
  } catch (const std::exception& error) {
    Complain(name, error.what());
    greys.clear();
  }
  if (greys.empty()) return offsets;
  std::size_t at = 0;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = greys.data() + static_cast<std::size_t>(y % pictureHeight) * static_cast<std::size_t>(pictureWidth);
    for (int x = 0; x < width; ++x) offsets[at++] = static_cast<std::int16_t>(row[x % pictureWidth] - 255);
  }
  return offsets;
}

}  // namespace vorn
