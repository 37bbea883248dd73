#include "components/component_scene_parts.h"

#include "components/pelk_collection.h"
#include "components/vorn_base_list.h"
#include "foundation/stream_encoding.h"

namespace vorn {

void TComponentSceneParts::SaveScene(TStream& stream) { scene_.SaveToStream(stream); }

void TComponentSceneParts::LoadScene(TStream& stream, std::int32_t version) { scene_.LoadFromStream(stream, version); }

bool TComponentSceneParts::HasStatusParts() const { return tagged_.HasStatusParts() && PelkMan != nullptr; }

void TComponentSceneParts::SaveImageCache(TStream& stream) {
  if (PelkMan != nullptr) {
    PelkMan->SaveToStream(stream);
  } else {
    WriteByteToStream(stream, 0);
  }
}

void TComponentSceneParts::LoadImageCache(TStream& stream, std::int32_t version) {
  if (PelkMan != nullptr) {
    PelkMan->LoadFromStream(stream, version);
  } else if (version > 100) {
    ReadByteFromStream(stream);
  }
}

}  // namespace vorn
