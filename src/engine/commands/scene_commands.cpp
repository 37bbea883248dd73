#include "engine/command.h"
#include "engine/command_families.h"

namespace vorn {

std::unique_ptr<TCommand> CreateSceneCommand(TPage* /*page*/, int /*code*/) { return nullptr; }

}  // namespace vorn
