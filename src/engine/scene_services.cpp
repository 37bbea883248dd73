#include "engine/scene_services.h"

#include "engine/game_requests.h"
#include "engine/script_scene.h"

namespace vorn {

namespace {
TScriptBacklog* current_backlog = nullptr;
TScriptReadList* current_read_list = nullptr;
TScriptGame* current_game = nullptr;
}  // namespace

TScriptSceneServices* GetSceneServices() { return dynamic_cast<TScriptSceneServices*>(GetScriptScene()); }

TScriptBacklog* GetScriptBacklog() { return current_backlog; }

TScriptBacklog* SetScriptBacklog(TScriptBacklog* backlog) {
  TScriptBacklog* previous = current_backlog;
  current_backlog = backlog;
  return previous;
}

TScriptReadList* GetScriptReadList() { return current_read_list; }

TScriptReadList* SetScriptReadList(TScriptReadList* list) {
  TScriptReadList* previous = current_read_list;
  current_read_list = list;
  return previous;
}

TScriptGame* GetScriptGame() { return current_game; }

TScriptGame* SetScriptGame(TScriptGame* game) {
  TScriptGame* previous = current_game;
  current_game = game;
  return previous;
}

}  // namespace vorn
