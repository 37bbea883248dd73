#include "engine/commands/game_commands.h"

#include "engine/call_man.h"
#include "engine/command_eval.h"
#include "engine/commands/scene_command_support.h"
#include "engine/engine_values.h"
#include "engine/game_requests.h"
#include "engine/param_collection.h"
#include "engine/scene_services.h"
#include "engine/script_host.h"
#include "engine/script_page.h"
#include "engine/script_scene.h"

namespace vorn {

namespace {

TScriptEventQueue* EventQueue() {
  TScriptScene* scene = GetScriptScene();
  return scene != nullptr ? &scene->GetEventQueue() : nullptr;
}

void FreeFrame(std::int32_t depth) {
  if (TParamCollection* params = CurrentParams()) params->FreeFrame(depth);
}

}  // namespace

void TComGameSave::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  const std::int32_t slot = IntOr(ExpressionAt(*this, 0), 0);
  const std::string caption = StrOr(ExpressionAt(*this, 1));
  const std::string resume_page = Strings().empty() ? std::string() : Strings()[0];
  // Pages up to version 104 store no resume index.
  const std::int32_t resume_index = Ints().empty() ? 0 : Ints()[0];
  if (TScriptGame* game = GetScriptGame()) game->RequestSave(slot, caption, resume_page, resume_index);
}

void TComGameLoad::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  const std::int32_t slot = IntOr(ExpressionAt(*this, 0), 0);
  if (TScriptGame* game = GetScriptGame()) game->RequestLoad(slot);
}

// --- PCReset ---

const std::string& TComPCReset::TargetPage() const {
  static const std::string empty;
  return Strings().empty() ? empty : Strings()[0];
}

void TComPCReset::Execute(TCallMan& callman, TPage*& page, std::int32_t& index) {
  if (FullReset()) {
    FullResetStep(callman, page, index);
  } else {
    ReturnStep(callman, page, index);
  }
}

void TComPCReset::FullResetStep(TCallMan& callman, TPage*& page, std::int32_t& index) {
  TStackList& stack = callman.Stack();
  // Every page this step will need is fetched before anything changes: a page that no longer
  // loads raises here, and the command is tried again with nothing freed or finished twice.
  for (int i = stack.Count() - 1; i >= 0; --i) {
    const TStack& frame = stack.Get(i);
    if (frame.sender.IsNone() && frame.entered) callman.GetPage(frame.page_name, false);
  }
  callman.GetPage(TargetPage(), false);

  FreeFrame(stack.Count());
  for (int i = stack.Count() - 1; i >= 0; --i) {
    const TStack& frame = stack.Get(i);
    FreeFrame(i);
    if (!frame.sender.IsNone() || !frame.entered) continue;
    TPage* frame_page = callman.GetPage(frame.page_name, true);
    if (frame_page->Contains(frame.index)) frame_page->GetCommand(frame.index)->Finish();
  }
  callman.Call(TargetPage());
  // The interpreter may already stand where the step ends; it is told directly as well.
  callman.SetIndex(TargetIndex());
  page = callman.CurrentPage();
  index = TargetIndex();
  if (TScriptEventQueue* queue = EventQueue()) queue->Clear();
}

void TComPCReset::ReturnStep(TCallMan& callman, TPage*& page, std::int32_t& index) {
  TStackList& stack = callman.Stack();
  int position = -1;
  for (int i = 0; i < stack.Count() && position < 0; ++i) {
    if (!stack.Get(i).sender.IsNone()) position = i;
  }
  if (position < 0 && !callman.GetSenderName().empty()) position = stack.Count();
  TStack* main_frame = nullptr;
  for (int i = position - 1; i >= 0 && main_frame == nullptr; --i) {
    if (stack.Get(i).sender.IsNone()) {
      main_frame = &stack.Get(i);
      position = i;
    }
  }
  TPage* jump = nullptr;
  if (main_frame == nullptr) jump = callman.GetPage(TargetPage(), false);

  FreeFrame(stack.Count());
  if (main_frame != nullptr) {
    FreeFrame(position);
    main_frame->page_name = TargetPage();
    main_frame->index = TargetIndex();
    main_frame->entered = false;
    main_frame->return_name.clear();
    main_frame->arguments.Clear();
    main_frame->state.reset();
    ++index;
  } else {
    page = callman.GetPage(jump->GetName(), true);
    index = TargetIndex();
  }
  if (TScriptEventQueue* queue = EventQueue()) queue->RemoveDone();
}

// --- Reset ---

void TComReset::Execute(TCallMan& callman, TPage*& page, std::int32_t& index) {
  // The start page is fetched first, so a page that does not load leaves the game as it was.
  callman.GetPage(TargetPage(), false);
  if (TScriptSceneServices* services = GetSceneServices()) services->ResetScene();
  if (TParamCollection* params = CurrentParams()) params->ResetGame();
  if (TScriptGame* game = GetScriptGame()) game->ClearGameTables();
  if (TScriptBacklog* backlog = GetScriptBacklog()) {
    backlog->Clear();
    backlog->SetMaxCount(0);
  }
  callman.Call(TargetPage());
  // The interpreter may already stand where the step ends; it is told directly as well.
  callman.SetIndex(TargetIndex());
  page = callman.CurrentPage();
  index = TargetIndex();
}

// --- Terminate ---

void TComTerminate::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& /*index*/) {
  StopFlag = true;
  if (TScriptHost* host = GetScriptHost()) host->CloseMainWindow();
}

}  // namespace vorn
