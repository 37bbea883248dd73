#include "engine/command.h"
#include "engine/command_families.h"
#include "engine/commands/game_commands.h"
#include "engine/commands/message_commands.h"
#include "engine/commands/object_commands.h"
#include "engine/commands/wait_commands.h"

namespace vorn {

std::unique_ptr<TCommand> CreateSceneCommand(TPage* page, int code) {
  switch (code) {
    case 7:
      return std::make_unique<TComWait>(page);
    case 13:
      return std::make_unique<TComFlip>(page);
    case 17:
      return std::make_unique<TComGetProp>(page);
    case 18:
      return std::make_unique<TComSetProp>(page);
    case 19:
      return std::make_unique<TComObjDel>(page);
    case 20:
      return std::make_unique<TComTextIns>(page);
    case 21:
      return std::make_unique<TComMovieStop>(page);
    case 22:
      return std::make_unique<TComClrHist>(page);
    case 26:
      return std::make_unique<TComMenuClose>(page);
    case 28:
      return std::make_unique<TComTextClr>(page);
    case 29:
      return std::make_unique<TComCallHist>(page);
    case 38:
      return std::make_unique<TComGameSave>(page);
    case 39:
      return std::make_unique<TComGameLoad>(page);
    case 40:
      return std::make_unique<TComPCReset>(page);
    case 41:
      return std::make_unique<TComReset>(page);
    case 45:
      return std::make_unique<TComTerminate>(page);
    case 46:
      return std::make_unique<TComDoEvent>(page);
    case 47:
      return std::make_unique<TComClrRead>(page);
    case 55:
      return std::make_unique<TComMediaPlay>(page);
    case 57:
      return std::make_unique<TComPropMotion>(page);
    case 58:
      return std::make_unique<TComEntryHist>(page);
    case 59:
      return std::make_unique<TComCabinetSave>(page);
    case 60:
      return std::make_unique<TComCabinetLoad>(page);
    default:
      return nullptr;
  }
}

}  // namespace vorn
