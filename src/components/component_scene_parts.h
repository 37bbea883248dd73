#pragma once

#include <cstdint>

#include "engine/save_scene.h"

namespace vorn {

class TVornBaseList;

// The parts of saved games that the components write: the scene record comes from the scene it is
// given. The backlog, the read registry and the image cache are still the tagged stand-in's until
// the message window and the picture cache save themselves.
class TComponentSceneParts final : public TSavedSceneParts {
 public:
  explicit TComponentSceneParts(TVornBaseList& scene) : scene_(scene) {}

  void SaveScene(TStream& stream) override;
  void LoadScene(TStream& stream, std::int32_t version) override;
  void SaveBacklog(TStream& stream) override { tagged_.SaveBacklog(stream); }
  void LoadBacklog(TStream& stream, std::int32_t version) override { tagged_.LoadBacklog(stream, version); }
  void RestoreAfterLoad() override { tagged_.RestoreAfterLoad(); }
  bool HasStatusParts() const override { return tagged_.HasStatusParts(); }
  void SaveReadRegistry(TStream& stream) override { tagged_.SaveReadRegistry(stream); }
  void LoadReadRegistry(TStream& stream, std::int32_t version) override { tagged_.LoadReadRegistry(stream, version); }
  void SaveImageCache(TStream& stream) override { tagged_.SaveImageCache(stream); }
  void LoadImageCache(TStream& stream, std::int32_t version) override { tagged_.LoadImageCache(stream, version); }

 private:
  TVornBaseList& scene_;
  TTaggedSceneParts tagged_;
};

}  // namespace vorn
