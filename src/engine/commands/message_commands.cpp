#include "engine/commands/message_commands.h"

#include <algorithm>

#include "engine/call_man.h"
#include "engine/command_eval.h"
#include "engine/commands/scene_command_support.h"
#include "engine/param_collection.h"
#include "engine/scene_services.h"
#include "engine/script_page.h"
#include "engine/script_scene.h"
#include "foundation/stream_encoding.h"

namespace vorn {

namespace {

// The message window a text command names (a control), or null.
TScriptObject* FindMessageWindow(const std::string& name) {
  TScriptScene* scene = GetScriptScene();
  if (scene == nullptr) return nullptr;
  TScriptObject* object = scene->FindControl(name);
  return AsMessageWindow(object) != nullptr ? object : nullptr;
}

}  // namespace

// --- TextIns ---

void TComTextIns::Enter(TCallMan& /*callman*/) {
  event_block_ = BoolOr(ExpressionAt(*this, 3), false);
  target_.Reset();
  // A command entered again must not wait on a flag of its last run.
  waiting_ = false;
  if (Bytes().empty()) return;
  TScriptObject* object = FindMessageWindow(ReadName(ExpressionAt(*this, 0)));
  if (object == nullptr) return;
  TScriptMessageWindow* window = AsMessageWindow(object);
  target_ = object->Handle();
  const std::string page_name = page_ != nullptr ? page_->GetName() : std::string();
  const std::int32_t command_index = page_ != nullptr ? page_->IndexOf(this) : -1;
  window->SetReadTracking(false);
  window->SetPageMode(0);
  window->SetPageStart(0);
  if (YieldsTrue(ExpressionAt(*this, 1))) {
    window->SetReadTracking(true);
    window->SetReadSource(page_name, command_index);
  }
  window->ClearHistData();
  window->AddHistEntry(page_name, command_index);
  window->NextPage();
  if (object->GetCount() > 0) object->SetIndex(0);
  waiting_ = BoolOr(ExpressionAt(*this, 2), false);
}

void TComTextIns::Execute(TCallMan& callman, TPage*& /*page*/, std::int32_t& index) {
  // The reader pages on between frames; the frame's script step ends here.
  const TScriptObject* target = Target();
  if (target != nullptr && waiting_ && target->GetCount() != 0) {
    callman.SetRunFlag(false);
    return;
  }
  ++index;
}

void TComTextIns::SaveState(std::unique_ptr<TMemoryStream>& stream) {
  SaveTargetWaitState(stream, Target(), waiting_, event_block_);
}

void TComTextIns::LoadState(TStream& stream) {
  const auto [name, waiting, event_block] = LoadTargetWaitState(stream, waiting_, event_block_);
  TScriptObject* window = name.empty() ? nullptr : FindMessageWindow(name);
  target_ = window != nullptr ? window->Handle() : TObjectHandle();
  waiting_ = waiting;
  event_block_ = event_block;
}

std::unique_ptr<TMemoryStream> FindTextDocument(TCallMan& callman, const std::string& page_name,
                                                std::int32_t command_index) {
  TPage* page = nullptr;
  try {
    page = callman.GetPage(page_name, false);
  } catch (const Exception&) {
    return nullptr;
  }
  if (page == nullptr || !page->Contains(command_index)) return nullptr;
  const auto* text = dynamic_cast<const TComTextIns*>(page->GetCommand(command_index));
  if (text == nullptr) return nullptr;
  std::vector<std::uint8_t> bytes(text->DocumentData(), text->DocumentData() + text->DocumentSize());
  return std::make_unique<TMemoryStream>(std::move(bytes));
}

// --- TextClr, CallHist ---

void TComTextClr::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  TScriptObject* object = FindMessageWindow(ReadName(ExpressionAt(*this, 0)));
  if (object == nullptr) return;
  AsMessageWindow(object)->SetReadTracking(false);
  object->SetText({});
}

void TComCallHist::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  TScriptObject* object = FindMessageWindow(ReadName(ExpressionAt(*this, 0)));
  if (object == nullptr) return;
  const TCustomParam* first_result = Evaluate(ExpressionAt(*this, 1));
  if (first_result == nullptr) return;
  const std::int32_t first = std::max<std::int32_t>(0, first_result->GetAsInt());
  std::int64_t count = IntOr(ExpressionAt(*this, 2), 1);
  const bool mode = BoolOr(ExpressionAt(*this, 3), false);
  TScriptBacklog* backlog = GetScriptBacklog();
  if (backlog == nullptr) return;
  const std::int64_t size = backlog->TotalSize();
  if (size < first + count) count = size - first;
  if (count <= 0) return;
  AsMessageWindow(object)->SetPageMode(mode ? 1 : 0);
  backlog->ShowInWindow(first, static_cast<std::int32_t>(count), *object);
}

// --- ClrHist, ClrRead, FormatHist ---

void TComClrHist::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  if (TScriptBacklog* backlog = GetScriptBacklog()) backlog->Clear();
}

void TComClrRead::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  if (TScriptReadList* read_list = GetScriptReadList()) read_list->Clear();
}

void TComEntryHist::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  const std::string name = ReadName(ExpressionAt(*this, 0));
  TScriptScene* scene = GetScriptScene();
  TParamCollection* params = CurrentParams();
  if (name.empty() || scene == nullptr || params == nullptr) return;
  const TScriptObject* object = scene->FindComponent(name);
  if (object == nullptr) return;
  params->HistoryFormat() = {object->GetFontHeight(), object->GetFontBorder(), object->GetFontShadow(),
                             object->GetWidth(),      object->GetHeight(),     object->GetLineSpace()};
}

}  // namespace vorn
