#include "engine/command.h"
#include "engine/command_families.h"

namespace vorn {

std::unique_ptr<TCommand> CreateFlowCommand(TPage* page, int code) {
  switch (code) {
    case 3:
      return std::make_unique<TComLabel>(page);
    case 27:
      return std::make_unique<TComComment>(page);
    default:
      return nullptr;
  }
}

}  // namespace vorn
