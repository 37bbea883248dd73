#include "engine/call_man.h"

#include <algorithm>

#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/script_files.h"
#include "engine/script_host.h"
#include "foundation/log_line.h"
#include "foundation/path_utils.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "platform/text_converter.h"

namespace vorn {

namespace {

// Page name, index, entered, run flag, reserved, argument count, sender name, state length and
// return-value type: the least one stored frame takes.
constexpr std::int64_t kMinFrameBytes = 4 + 4 + 1 + 1 + 4 + 4 + 4 + 4 + 1;

TCallMan* g_current_call_man = nullptr;

}  // namespace

TCallMan* CurrentCallMan() { return g_current_call_man; }

// --- frames ---

void TStack::Clear() {
  page_name.clear();
  index = 0;
  entered = false;
  return_name.clear();
  arguments.Clear();
  sender.Reset();
  run_flag = false;
  state.reset();
  return_value.reset();
}

void TStack::MoveFrom(TStack& other) {
  page_name = std::move(other.page_name);
  index = other.index;
  entered = other.entered;
  return_name = std::move(other.return_name);
  arguments.Assign(other.arguments);
  sender = other.sender;
  run_flag = other.run_flag;
  state = std::move(other.state);
  return_value = std::move(other.return_value);
}

TStack& TStackList::Push() {
  frames_.push_back(std::make_unique<TStack>());
  TellDepth();
  return *frames_.back();
}

TStack& TStackList::Pop() {
  if (frames_.empty()) throw Exception(std::string(texts::kStackError));
  spare_.Clear();
  spare_.MoveFrom(*frames_.back());
  frames_.pop_back();
  TellDepth();
  return spare_;
}

bool TStackList::Remove(int index) {
  if (index < 0 || index >= Count()) return false;
  frames_.erase(frames_.begin() + index);
  TellDepth();
  return true;
}

void TStackList::Clear() {
  frames_.clear();
  TellDepth();
}

void TStackList::TellDepth() const {
  if (TParamCollection* params = CurrentParams()) params->SetCurrentFrameId(Count());
}

// --- the plain queue ---

TPlainScriptEvent& TPlainEventQueue::Post(std::string label, TObjectHandle sender, TArrayString arguments) {
  events_.push_back(std::make_unique<TPlainScriptEvent>(std::move(label), sender, std::move(arguments)));
  return *events_.back();
}

TScriptEvent* TPlainEventQueue::NextEvent() {
  for (auto& event : events_) {
    if (event->GetDone() == 0) return event.get();
  }
  return nullptr;
}

void TPlainEventQueue::RemoveByFlag(std::int32_t level) {
  std::erase_if(events_, [level](const auto& event) { return event->GetDone() == level; });
}

void TPlainEventQueue::RemoveDone() {
  std::erase_if(events_, [](const auto& event) { return event->GetDone() != 0; });
}

void TPlainEventQueue::RemoveEvent(const TScriptEvent* doomed) {
  std::erase_if(events_, [doomed](const auto& event) { return event.get() == doomed; });
}

std::string EventPageFile(const std::string& page_part) {
  if (page_part.size() < 3) return "vsb";
  return page_part.substr(0, page_part.size() - 3) + "vsb";
}

// --- the interpreter ---

TCallMan::TCallMan() : previous_current_(g_current_call_man) { g_current_call_man = this; }

TCallMan::~TCallMan() {
  if (g_current_call_man == this) g_current_call_man = previous_current_;
  page_ = nullptr;
  pages_.clear();
}

TScriptScene* TCallMan::Scene() const { return scene_ ? scene_ : GetScriptScene(); }

TScriptEventQueue* TCallMan::Queue() const {
  TScriptScene* scene = Scene();
  return scene ? &scene->GetEventQueue() : nullptr;
}

TCommand* TCallMan::CurrentCommand() const {
  return page_ && page_->Contains(index_) ? page_->GetCommand(index_) : nullptr;
}

void TCallMan::Call(const std::string& page_name) {
  page_ = GetPage(page_name, true);
  index_ = 0;
  entered_ = false;
  arguments_.Clear();
  mode_ = 0;
  stack_.Clear();
  sender_.Reset();
  if (TScriptEventQueue* queue = Queue()) {
    for (std::int32_t level = 1; level <= level_; ++level) queue->RemoveByFlag(level);
  }
  level_ = 2;
}

TPage* TCallMan::GetPage(const std::string& name, bool to_front) {
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (pages_[i]->GetName() != name) continue;
    TPage* found = pages_[i].get();
    if (to_front) {
      std::rotate(pages_.begin(), pages_.begin() + static_cast<std::ptrdiff_t>(i),
                  pages_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      index_ = 0;
    }
    return found;
  }
  auto page = std::make_unique<TPage>();
  page->LoadPage(name);
  TPage* loaded = page.get();
  if (!to_front) {
    pages_.push_back(std::move(page));
    return loaded;
  }
  pages_.insert(pages_.begin(), std::move(page));
  index_ = 0;
  while (static_cast<int>(pages_.size()) > kMaxCachedPages && pages_.back().get() != page_) {
    if (last_traced_ && last_traced_->Page() == pages_.back().get()) last_traced_ = nullptr;
    pages_.pop_back();
  }
  return loaded;
}

TPage* TCallMan::AddPage(std::unique_ptr<TPage> page) {
  pages_.push_back(std::move(page));
  return pages_.back().get();
}

TPage* TCallMan::GetPageByIndex(int index) const {
  if (index < 0 || index >= PageCount()) return nullptr;
  return pages_[static_cast<std::size_t>(index)].get();
}

std::string TCallMan::GetArg(int index) const {
  if (index < 0 || index >= arguments_.Count()) return {};
  return arguments_.Get(index);
}

std::string TCallMan::NameOf(TObjectHandle handle) const {
  TScriptObject* object = handle.Get();
  TScriptScene* scene = Scene();
  if (!object || !scene || scene->IndexOfObject(object) < 0) return {};
  return object->GetName();
}

TObjectHandle TCallMan::FindByName(const std::string& name) const {
  TScriptScene* scene = Scene();
  if (name.empty() || !scene) return {};
  TScriptObject* object = scene->FindComponent(name);
  return object ? object->Handle() : TObjectHandle();
}

std::string TCallMan::GetSenderName() const {
  if (mode_ == 0) return {};
  return NameOf(sender_);
}

TCustomParam* TCallMan::GetReturnSlot() {
  if (stack_.Empty()) return nullptr;
  return stack_.Top().return_value.get();
}

bool TCallMan::PageStep(bool& waiting) {
  if (!page_->Contains(index_)) return true;
  TPage* const before_page = page_;
  const std::int32_t before_index = index_;
  try {
    TCommand* command = page_->GetCommand(index_);
    if (HasTraceCallback() && command != last_traced_) {
      TraceWrite(FormatTraceLine("", page_->GetName(), command->Line()));
      last_traced_ = command;
    }
    if (!entered_) {
      if (command->GetSkip()) {
        ++index_;
        return false;
      }
      command->Enter(*this);
      entered_ = true;
    }
    run_flag_ = command->GetRunFlag();
    waiting = command->IsWaiting();
    // The command works on copies: a command that raises part way leaves the program counter
    // where it was, so the same command is tried again.
    TPage* page = page_;
    std::int32_t index = index_;
    command->Execute(*this, page, index);
    // A command that restarted the script through the interpreter leaves its arguments alone.
    if (page != before_page || index != before_index) {
      page_ = page;
      index_ = index;
    }
    if (page_ != before_page || index_ != before_index) entered_ = false;
    // A command that leaves no page (Exit, Break or Continue to -1) ends the page.
    if (!page_) return true;
  } catch (const Exception& error) {
    step_raised_ = true;
    // The command is tried again at the next step; its reason is told once, not every frame.
    const std::string where = page_ ? page_->GetName() + ":" + std::to_string(index_) : std::string();
    const std::string reason = where + ": " + platform::Cp932ToUtf8(error.what());
    if (reason != last_step_error_) {
      LogLine("command raised, tried again next step: " + reason);
      last_step_error_ = reason;
    }
  }
  return false;
}

int TCallMan::Step() {
  if (!page_) {
    // Nothing to run: the frame's run ends here rather than going round for ever.
    run_flag_ = false;
    return 0;
  }
  bool waiting = false;
  const bool finished = PageStep(waiting);
  const int result = waiting ? 2 : 0;
  if (!finished) return result;
  if (stack_.Empty()) {
    run_flag_ = false;
    return result;
  }
  // Back to the caller. A frame with no page (a handler started after the main page had ended)
  // and a page that can no longer be read both end the script; the events go on.
  const std::string caller = stack_.Top().page_name;
  TPage* back = nullptr;
  if (!caller.empty()) {
    try {
      back = GetPage(caller, true);
    } catch (const Exception& error) {
      LogLine("the page to return to cannot be read, the script ends: " + platform::Cp932ToUtf8(caller) + ": " +
              platform::Cp932ToUtf8(error.what()));
    }
  }
  if (!back) {
    EndScript();
    return 1;
  }
  TParamCollection* params = CurrentParams();
  if (params) params->FreeFrame(stack_.Count());
  TStack& frame = stack_.Pop();
  if (params && !frame.return_name.empty() && frame.return_value) {
    if (TParamCollectionItem* target = params->FindParam(frame.return_name)) target->ConvertFrom(*frame.return_value);
  }
  page_ = back;
  index_ = frame.index;
  entered_ = frame.entered;
  run_flag_ = frame.run_flag;
  arguments_.Assign(frame.arguments);
  sender_ = frame.sender;
  if (frame.state && page_->Contains(index_)) {
    frame.state->SetPosition(0);
    try {
      page_->GetCommand(index_)->LoadState(*frame.state);
    } catch (const Exception&) {
      // The command goes on from its fresh state.
    }
  }
  if (sender_.IsNone()) return 1;
  return waiting ? 2 : -1;
}

bool TCallMan::DispatchEvent(std::int32_t level) {
  TCommand* current = CurrentCommand();
  if (current && entered_ && current->BlocksEvents()) return false;
  TScriptEventQueue* queue = Queue();
  if (!queue) return false;
  TScriptEvent* event = nullptr;
  std::string label;
  std::string file;
  for (;;) {
    event = queue->NextEvent();
    if (!event) return false;
    std::string page_part = event->GetLabel();
    label = SplitPageLabel(page_part);
    file = EventPageFile(page_part);
    const TPageCheck check = file_check_ ? file_check_(file)
                                         : (GetScriptFiles().FileExists(file) ? TPageCheck::kAvailable
                                                                              : TPageCheck::kNoDisc);
    if (check == TPageCheck::kAvailable) break;
    // A disc prompt may still bring the page: the event waits at the head of the queue.
    if (check == TPageCheck::kNotNow) return false;
    // No disc can bring the page: the event would block every later one for ever.
    LogLine("event dropped, its page is on no disc: " + platform::Cp932ToUtf8(event->GetLabel()));
    queue->RemoveEvent(event);
  }

  // The interrupted context is taken before the handler page is fetched: fetching moves the
  // index, and a page that cannot be loaded must leave everything as it was.
  const std::int32_t saved_index = index_;
  const bool saved_entered = entered_;
  std::unique_ptr<TMemoryStream> state;
  if (current && entered_) current->SaveState(state);
  TPage* handler = nullptr;
  try {
    handler = GetPage(file, true);
  } catch (const Exception& error) {
    // An event whose page cannot be read would block every later event: it is dropped.
    queue->RemoveEvent(event);
    if (HasTraceCallback()) TraceWrite(FormatTraceLine("<EventError>", file + ":" + error.what(), 0));
    return false;
  }
  TStack& frame = stack_.Push();
  frame.page_name = page_ ? page_->GetName() : std::string();
  frame.index = saved_index;
  frame.entered = saved_entered;
  frame.arguments.Assign(arguments_);
  frame.sender = sender_;
  frame.run_flag = run_flag_;
  frame.state = std::move(state);

  page_ = handler;
  index_ = 0;
  if (!label.empty()) index_ = std::max(0, handler->IndexOfLabel(label));
  if (HasTraceCallback() && handler->Contains(index_)) {
    TraceWrite(FormatTraceLine("<Event>", file, handler->GetCommand(index_)->Line()));
  }
  entered_ = false;
  event->SetDone(level);
  arguments_.Assign(event->GetArguments());
  sender_ = event->GetSender();
  mode_ = 1;
  return true;
}

void TCallMan::EndScript() {
  TParamCollection* params = CurrentParams();
  while (!stack_.Empty()) {
    if (params) params->FreeFrame(stack_.Count());
    stack_.Pop();
  }
  page_ = nullptr;
  index_ = 0;
  entered_ = false;
  run_flag_ = false;
  arguments_.Clear();
  sender_.Reset();
  mode_ = 0;
  if (TScriptEventQueue* queue = Queue()) {
    for (std::int32_t level = 1; level <= level_; ++level) queue->RemoveByFlag(level);
  }
  level_ = 2;
  script_ended_ = true;
}

bool TCallMan::ScriptEnded() const { return !page_ || (!page_->Contains(index_) && stack_.Empty()); }

void TCallMan::Run() {
  if (StopFlag) return;
  step_raised_ = false;
  bool end = false;
  do {
    // Nothing is left to run: the modes that wait for the script would go round for ever.
    if (mode_ != 0 && ScriptEnded()) {
      mode_ = 0;
      level_ = 2;
    }
    switch (mode_) {
      case 0:
        if (!DispatchEvent(1)) Step();
        break;
      case 1: {
        const int result = Step();
        if (result == 1) {
          if (TScriptEventQueue* queue = Queue()) queue->RemoveByFlag(1);
          mode_ = 0;
          run_flag_ = true;
        } else if (result == 2) {
          level_ = 2;
          mode_ = 2;
          end = true;
        } else if (mode_ != 1) {
          run_flag_ = true;
        }
        break;
      }
      case 2:
        if (DispatchEvent(level_)) {
          ++level_;
          mode_ = 3;
        } else {
          mode_ = level_ > 2 ? 3 : 1;
        }
        break;
      case 3: {
        script_ended_ = false;
        const int result = Step();
        if (script_ended_) {
          // The script ended under the handler: back to mode 0, where later events still run.
          run_flag_ = true;
        } else if (result == 1 || result == -1) {
          --level_;
          if (TScriptEventQueue* queue = Queue()) queue->RemoveByFlag(level_);
          if (level_ <= 2) mode_ = 2;
        } else if (result == 2) {
          mode_ = 2;
          end = true;
        }
        break;
      }
      default:
        end = true;
        break;
    }
    // A command that raises is tried again next frame, not again and again within this one.
    if (step_raised_) end = true;
  } while (!end && (run_flag_ || mode_ != 0) && !StopFlag);
}

// --- saved games ---

void TCallMan::WriteFrame(TStream& stream, const TStack& frame) const {
  WriteStrToStream(stream, frame.page_name);
  WriteIntToStream(stream, frame.index);
  WriteBoolToStream(stream, frame.entered);
  WriteBoolToStream(stream, frame.run_flag);
  WriteIntToStream(stream, 0);
  frame.arguments.SaveToStream(stream);
  WriteStrToStream(stream, NameOf(frame.sender));
  if (frame.state && frame.state->Size() > 0) {
    WriteIntToStream(stream, static_cast<std::int32_t>(frame.state->Size()));
    stream.WriteBuffer(frame.state->Memory(), static_cast<std::size_t>(frame.state->Size()));
  } else {
    WriteIntToStream(stream, 0);
  }
  if (frame.return_value) {
    WriteByteToStream(stream, frame.return_value->ParamType());
    frame.return_value->SaveToStream(stream);
  } else {
    WriteByteToStream(stream, 0);
  }
}

void TCallMan::ReadFrame(TStream& stream, TStack& frame) {
  frame.Clear();
  frame.page_name = ReadStrFromStream(stream);
  frame.index = ReadIntFromStream(stream);
  frame.entered = ReadBoolFromStream(stream);
  frame.run_flag = ReadBoolFromStream(stream);
  std::uint8_t reserved[4];
  stream.ReadBuffer(reserved, sizeof reserved);
  frame.arguments.LoadFromStream(stream);
  frame.sender = FindByName(ReadStrFromStream(stream));
  const std::int32_t length = ReadIntFromStream(stream);
  if (length < 0 || length > stream.Remaining()) throw EInterpreterStateError("Stream read error");
  if (length > 0) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    stream.ReadBuffer(bytes.data(), bytes.size());
    frame.state = std::make_unique<TMemoryStream>(std::move(bytes));
  }
  const std::uint8_t type = ReadByteFromStream(stream);
  if (type == 0) return;
  if (type < PT_INT || type > PT_STR) throw EInterpreterStateError("Stream read error");
  frame.return_value = CreateParamByType(type);
  frame.return_value->LoadFromStream(stream);
}

void TCallMan::SaveToStream(TStream& stream) const {
  WriteStrToStream(stream, page_ ? page_->GetName() : std::string());
  WriteIntToStream(stream, index_);
  WriteBoolToStream(stream, run_flag_);
  WriteBoolToStream(stream, entered_);
  WriteIntToStream(stream, mode_);
  WriteStrToStream(stream, NameOf(sender_));
  arguments_.SaveToStream(stream);
  WriteFrame(stream, const_cast<TStackList&>(stack_).Spare());
  WriteIntToStream(stream, stack_.Count());
  for (int i = 0; i < stack_.Count(); ++i) WriteFrame(stream, const_cast<TStackList&>(stack_).Get(i));
  WriteIntToStream(stream, level_);
  TCommand* current = CurrentCommand();
  if (entered_ && current) {
    std::unique_ptr<TMemoryStream> state;
    current->SaveState(state);
    if (state && state->Size() > 0) stream.WriteBuffer(state->Memory(), static_cast<std::size_t>(state->Size()));
  }
}

void TCallMan::LoadFromStream(TStream& stream, std::int32_t version) {
  const std::string page_name = ReadStrFromStream(stream);
  page_ = page_name.empty() ? nullptr : GetPage(page_name, true);
  index_ = ReadIntFromStream(stream);
  run_flag_ = ReadBoolFromStream(stream);
  entered_ = ReadBoolFromStream(stream);
  const std::int32_t mode = ReadIntFromStream(stream);
  if (mode < 0 || mode > 3) throw EInterpreterStateError("Stream read error");
  mode_ = mode;
  sender_ = FindByName(ReadStrFromStream(stream));
  arguments_.LoadFromStream(stream);
  ReadFrame(stream, stack_.Spare());
  const std::int32_t count = ReadIntFromStream(stream);
  if (count < 0 || count > stream.Remaining() / kMinFrameBytes) throw EInterpreterStateError("Stream read error");
  stack_.Clear();
  for (std::int32_t i = 0; i < count; ++i) ReadFrame(stream, stack_.Push());
  level_ = version >= kLevelSaveVersion ? ReadIntFromStream(stream) : 2;
  last_traced_ = nullptr;
  if (TCommand* current = CurrentCommand(); current && entered_) current->LoadState(stream);
}


void TCallMan::ResumeAt(const std::string& page_name, std::int32_t index) {
  // Taken before the page is fetched: fetching moves the index.
  TPage* const interrupted = page_;
  const std::int32_t saved_index = index_;
  TPage* resume = GetPage(page_name, true);
  if (interrupted) {
    TStack& frame = stack_.Push();
    frame.page_name = interrupted->GetName();
    frame.index = saved_index;
    frame.run_flag = run_flag_;
    frame.entered = entered_;
    frame.sender = sender_;
    frame.arguments.Assign(arguments_);
  }
  page_ = resume;
  index_ = index > 0 ? index : 0;
  // No state was loaded for the command at the resume index, so it starts as new.
  entered_ = false;
  last_traced_ = nullptr;
}

}  // namespace vorn
