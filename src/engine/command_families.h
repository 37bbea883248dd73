#pragma once

// Each family of commands makes the classes of its own codes; the page's factory asks them in
// turn. A family answers null for a code that is not one of its own.

#include <memory>

namespace vorn {

class TCommand;
class TPage;

// If, Elseif, Else, Label, Jump, Call, Exit, Comment, the loops, Calc, VarNew, VarDel.
std::unique_ptr<TCommand> CreateFlowCommand(TPage* page, int code);
// The commands that create components (BoxNew, ImgNew, MesNew, Timer, Button...).
std::unique_ptr<TCommand> CreateComponentCommand(TPage* page, int code);
// Waiting, screen-flip, media, property, object, cabinet, message-text and game-state commands.
std::unique_ptr<TCommand> CreateSceneCommand(TPage* page, int code);

}  // namespace vorn
