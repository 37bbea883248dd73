#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/screen_pictures.h"
#include "foundation/errors.h"

namespace vorn {

class TVornBaseList;
class TVrFileManager;

// A screenshot or layer picture that cannot be made (no scene, no layer surface, no size).
class EScreenPictureError : public Exception {
 public:
  using Exception::Exception;
};

// The screen pictures of the scene's layers and of the project's image files. Image files are
// read through the file manager.
class TScenePictures final : public TScreenPictures {
 public:
  // scene: the layers to photograph; null: the scene scripts run against, while that is one.
  explicit TScenePictures(TVrFileManager& files, TVornBaseList* scene = nullptr) : files_(files), scene_(scene) {}

  std::int32_t SceneWidth() const override;
  std::int32_t SceneHeight() const override;
  void WriteLayerImage(TStream& out, bool other_layer, std::int32_t width, std::int32_t height, int compression,
                       int quality) override;
  bool WriteImageBitmap(TStream& out, std::string_view image) override;
  bool WriteLayerBitmap(TStream& out) override;
  // Frees the idle cached pictures of the name.
  void PurgeImage(std::string_view name) override;

 private:
  TVornBaseList* Scene() const;
  // A layered picture through the cache, with this service as its user: frame 0 as a bitmap.
  bool WriteCachedBitmap(TStream& out, const std::string& name);

  TVrFileManager& files_;
  TVornBaseList* scene_;
};

}  // namespace vorn
