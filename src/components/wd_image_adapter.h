#pragma once

// Pictures inside message text: the text library's image source, served by image lists over the
// layered-image cache.

#include <memory>
#include <string>

#include "text/wd_image_source.h"

namespace vorn {

class TVornBaseList;

class TVornWdImageSource final : public TWdImageSource {
 public:
  // scene: whose screen decides the surfaces of brightness copies (null: bitmaps).
  explicit TVornWdImageSource(const TVornBaseList* scene = nullptr) : scene_(scene) {}

  // The current project has the file.
  bool Exists(const std::string& name) override;
  // The file's frames through the cache (the mask variant off); a missing file raises the file
  // layer's error instead of giving the cache's blank picture.
  std::unique_ptr<TWdImageFrames> Load(const std::string& name) override;

 private:
  const TVornBaseList* scene_;
};

}  // namespace vorn
