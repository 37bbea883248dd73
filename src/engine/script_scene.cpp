#include "engine/script_scene.h"

namespace vorn {

namespace {
TScriptScene* current_scene = nullptr;
}  // namespace

TScriptScene* GetScriptScene() { return current_scene; }

void SetScriptScene(TScriptScene* scene) { current_scene = scene; }

}  // namespace vorn
