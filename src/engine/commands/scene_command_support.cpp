#include "engine/commands/scene_command_support.h"

#include "engine/script_object.h"
#include "engine/script_scene.h"
#include "foundation/stream_encoding.h"

namespace vorn {

std::string NameInScene(const TScriptObject* object) {
  const TScriptScene* scene = GetScriptScene();
  if (object == nullptr || scene == nullptr || scene->IndexOfObject(object) < 0) return {};
  return object->GetName();
}

void SaveTargetWaitState(std::unique_ptr<TMemoryStream>& stream, const TScriptObject* target, bool waiting,
                         bool event_block) {
  TMemoryStream& out = BeginState(stream);
  WriteStrToStream(out, NameInScene(target));
  WriteBoolToStream(out, waiting);
  WriteBoolToStream(out, event_block);
}

TTargetWaitState LoadTargetWaitState(TStream& stream, bool waiting, bool event_block) {
  const std::int32_t version = ReadStateHeader(stream);
  TTargetWaitState state{ReadStrFromStream(stream), waiting, event_block};
  if (version >= 100) {
    state.waiting = ReadBoolFromStream(stream);
    state.event_block = ReadBoolFromStream(stream);
  }
  return state;
}

}  // namespace vorn
