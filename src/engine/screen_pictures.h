#pragma once

// What the screenshot and wallpaper functions need from the layers, the picture code and the
// desktop. The engine decides which file is written, where and when; the pictures themselves are
// painted and encoded by the subsystems above it, which install their implementation at start-up.

#include <cstdint>
#include <string_view>

namespace vorn {

class TStream;

namespace platform {
class Wallpaper;
}

class TScreenPictures {
 public:
  virtual ~TScreenPictures() = default;

  // The scene's WIDTH and HEIGHT (0 without a scene).
  virtual std::int32_t SceneWidth() const = 0;
  virtual std::int32_t SceneHeight() const = 0;

  // Paints the active layer (the other one when other_layer is set), takes the scene-size picture
  // from its top-left corner at 24 bits, brings it to width x height with the smooth stretch when
  // that differs, and writes it to out as a one-frame layered image with identification code 0,
  // the compression code and the JPEG quality. Raises when there is no layer surface to read.
  virtual void WriteLayerImage(TStream& out, bool other_layer, std::int32_t width, std::int32_t height,
                               int compression, int quality) = 0;

  // The first frame of the project's image file of that name as a bitmap file into out; false
  // when the image has no frame. Raises when the file cannot be read or decoded.
  virtual bool WriteImageBitmap(TStream& out, std::string_view image) = 0;

  // The active layer's drawing surface as it stands (not painted again) as a bitmap file into
  // out; false when the layer has no surface.
  virtual bool WriteLayerBitmap(TStream& out) = 0;

  // Forgets the cached picture of that name, so its next use reads the file again.
  virtual void PurgeImage(std::string_view name) = 0;
};

// None installed: no scene, so no screenshot and no layer picture (the functions answer false).
TScreenPictures* GetScreenPictures();
// Returns the one installed before.
TScreenPictures* SetScreenPictures(TScreenPictures* pictures);

// The desktop's wallpaper service; none installed: no wallpaper can be set.
platform::Wallpaper* GetDesktopWallpaper();
platform::Wallpaper* SetDesktopWallpaper(platform::Wallpaper* wallpaper);

}  // namespace vorn
