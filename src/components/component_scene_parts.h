#pragma once

#include <cstdint>

#include "engine/save_scene.h"

namespace vorn {

class TVornBaseList;

// The parts of saved games that the components write: the scene record comes from the scene it is
// given. The backlog and the read registry are still the tagged stand-in's until the message window
// saves itself; the image cache writes its own status record.
class TComponentSceneParts final : public TSavedSceneParts {
 public:
  explicit TComponentSceneParts(TVornBaseList& scene) : scene_(scene) {}

  void SaveScene(TStream& stream) override;
  void LoadScene(TStream& stream, std::int32_t version) override;
  void SaveBacklog(TStream& stream) override { tagged_.SaveBacklog(stream); }
  void LoadBacklog(TStream& stream, std::int32_t version) override { tagged_.LoadBacklog(stream, version); }
  void RestoreAfterLoad() override { tagged_.RestoreAfterLoad(); }
  // The read registry is still the stand-in's; the image cache is the scene's PelkMan.
  bool HasStatusParts() const override;
  void SaveReadRegistry(TStream& stream) override { tagged_.SaveReadRegistry(stream); }
  void LoadReadRegistry(TStream& stream, std::int32_t version) override { tagged_.LoadReadRegistry(stream, version); }
  void SaveImageCache(TStream& stream) override;
  void LoadImageCache(TStream& stream, std::int32_t version) override;

 private:
  TVornBaseList& scene_;
  TTaggedSceneParts tagged_;
};

}  // namespace vorn
