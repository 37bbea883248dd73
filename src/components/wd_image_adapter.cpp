#include "components/wd_image_adapter.h"

#include "components/vorn_image_list.h"
#include "engine/project.h"
#include "foundation/archive.h"
#include "foundation/vr_errors.h"
#include "foundation/vr_file_manager.h"
#include "graphics/custom_dibx.h"

namespace vorn {

namespace {

class TImageListFrames final : public TWdImageFrames {
 public:
  explicit TImageListFrames(const TVornBaseList* scene) : list_(scene) {}

  void Load(const std::string& name) { list_.LoadFromFile(name, false); }

  int FrameCount() const override { return list_.Count(); }
  TCustomDIBX* FirstSurface() override {
    const TVornImageData* first = list_.GetItem(0);
    return first != nullptr ? first->GetSurface() : nullptr;
  }
  TCustomDIBX* CurrentSurface() override {
    const TVornImageData* current = list_.Current();
    return current != nullptr ? current->GetSurface() : nullptr;
  }
  TCustomDIBX* CurrentMask() override {
    const TVornImageData* current = list_.Current();
    return current != nullptr ? current->GetMask() : nullptr;
  }
  bool Animate() override { return list_.Animate(); }
  void ReleaseAll() override { list_.ReleaseAll(); }
  void RestoreAll() override { list_.RestoreAll(); }

 private:
  TVornImageList list_;
};

}  // namespace

bool TVornWdImageSource::Exists(const std::string& name) {
  TProject* project = CurrentProject();
  return project != nullptr && project->Files().Exists(name);
}

std::unique_ptr<TWdImageFrames> TVornWdImageSource::Load(const std::string& name) {
  if (!Exists(name)) throw EVrFileNotFound(FormatFileNotFound(name));
  auto frames = std::make_unique<TImageListFrames>(scene_);
  frames->Load(name);
  return frames;
}

}  // namespace vorn
