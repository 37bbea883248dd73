#include "components/component_scene_parts.h"

#include "components/vorn_base_list.h"

namespace vorn {

void TComponentSceneParts::SaveScene(TStream& stream) { scene_.SaveToStream(stream); }

void TComponentSceneParts::LoadScene(TStream& stream, std::int32_t version) { scene_.LoadFromStream(stream, version); }

}  // namespace vorn
