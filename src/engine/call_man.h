#pragma once

// The interpreter: the page cache, the program counter, the call stack and the state machine
// that interleaves the main script with event handlers, stepped once per frame.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/custom_param.h"
#include "engine/script_object.h"
#include "engine/script_page.h"
#include "engine/script_scene.h"
#include "foundation/array_string.h"
#include "foundation/stream.h"

namespace vorn {

inline constexpr int kMaxCachedPages = 10;
// Saved games from this version on store the event level.
inline constexpr std::int32_t kLevelSaveVersion = 116;

// A saved interpreter state that cannot be taken back: a bad mode, frame count, state length or
// return-value type.
class EInterpreterStateError : public EReadError {
 public:
  using EReadError::EReadError;
};

// One call frame: the interrupted context, to be restored when the called page or handler ends.
struct TStack {
  std::string page_name;
  std::int32_t index = 0;
  bool entered = false;
  std::string return_name;
  TArrayString arguments;
  TObjectHandle sender;
  bool run_flag = false;
  std::unique_ptr<TMemoryStream> state;
  std::unique_ptr<TCustomParam> return_value;

  void Clear();
  void MoveFrom(TStack& other);
};

class TStackList {
 public:
  TStack& Push();
  // Moves the top frame into the spare frame and returns it; "スタックエラー" when empty.
  TStack& Pop();
  // Takes frame `index` (0 = bottom) out of the middle of the stack; false when there is none.
  bool Remove(int index);
  void Clear();
  int Count() const { return static_cast<int>(frames_.size()); }
  bool Empty() const { return frames_.empty(); }
  TStack& Top() { return *frames_.back(); }
  TStack& Get(int index) { return *frames_.at(static_cast<std::size_t>(index)); }
  TStack& Spare() { return spare_; }

 private:
  // The variable collection scopes locals by the depth.
  void TellDepth() const;

  std::vector<std::unique_ptr<TStack>> frames_;
  TStack spare_;
};

// A plain event queue for running without the components (tests, tools).
class TPlainScriptEvent : public TScriptEvent {
 public:
  TPlainScriptEvent(std::string label, TObjectHandle sender, TArrayString arguments = {})
      : label_(std::move(label)), sender_(sender), arguments_(std::move(arguments)) {}
  const std::string& GetLabel() const override { return label_; }
  TObjectHandle GetSender() const override { return sender_; }
  std::uint8_t GetCode() const override { return 0; }
  std::int32_t GetDone() const override { return done_; }
  void SetDone(std::int32_t level) override { done_ = level; }
  const TArrayString& GetArguments() const override { return arguments_; }

 private:
  std::string label_;
  TObjectHandle sender_;
  TArrayString arguments_;
  std::int32_t done_ = 0;
};

class TPlainEventQueue : public TScriptEventQueue {
 public:
  TPlainScriptEvent& Post(std::string label, TObjectHandle sender = {}, TArrayString arguments = {});
  TScriptEvent* NextEvent() override;
  void RemoveByFlag(std::int32_t level) override;
  void RemoveDone() override;
  void RemoveEvent(const TScriptEvent* event) override;
  void Clear() override { events_.clear(); }
  int Count() const { return static_cast<int>(events_.size()); }
  TPlainScriptEvent& Get(int index) { return *events_.at(static_cast<std::size_t>(index)); }

 private:
  std::vector<std::unique_ptr<TPlainScriptEvent>> events_;
};

// What the page check answers for an event's page file.
enum class TPageCheck {
  kAvailable,  // the page can be run
  kNoDisc,     // no disc holds it: it can never come
  kNotNow,     // its disc was asked for and not given: a later prompt may still bring it
};

class TCallMan {
 public:
  TCallMan();
  ~TCallMan();
  TCallMan(const TCallMan&) = delete;
  TCallMan& operator=(const TCallMan&) = delete;

  // Starts the script at the page: front of the cache, index 0, a fresh stack, mode 0, and the
  // events handled at levels 1..level removed.
  void Call(const std::string& page_name);
  // Finds or loads the page; to_front moves it to the front (trimming the cache) and resets the
  // index once the page is there. A page that fails to load raises and changes nothing.
  TPage* GetPage(const std::string& name, bool to_front);
  TPage* GetPageByIndex(int index) const;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  // Appends a page built in memory to the cache (tests, tools); returns it.
  TPage* AddPage(std::unique_ptr<TPage> page);

  // One frame's script step.
  void Run();
  // One command: 0 ran (or nothing to run), 1 a handler returned to the main script, -1 a call
  // or nested handler returned, 2 the command waits.
  int Step();
  bool DispatchEvent(std::int32_t level);

  int ArgCount() const { return arguments_.Count(); }
  std::string GetArg(int index) const;
  std::string GetSenderName() const;
  TCustomParam* GetReturnSlot();

  void SaveToStream(TStream& stream) const;
  void LoadFromStream(TStream& stream, std::int32_t version);
  // Continues a loaded game at the page a save named: the current context (when there is a page)
  // is pushed as a frame to return to, the page comes to the front of the cache and becomes
  // current at index (0 when index is not above 0), and its command there is entered afresh. A
  // page that cannot be loaded raises and changes nothing.
  void ResumeAt(const std::string& page_name, std::int32_t index);

  TPage* CurrentPage() const { return page_; }
  std::int32_t Index() const { return index_; }
  void SetIndex(std::int32_t index) { index_ = index; }
  bool RunFlag() const { return run_flag_; }
  void SetRunFlag(bool flag) { run_flag_ = flag; }
  bool Entered() const { return entered_; }
  std::int32_t Mode() const { return mode_; }
  void SetMode(std::int32_t mode) { mode_ = mode; }
  std::int32_t Level() const { return level_; }
  TArrayString& Arguments() { return arguments_; }
  TObjectHandle Sender() const { return sender_; }
  TStackList& Stack() { return stack_; }

  // The scene for events and sender names; by default the one the application installed.
  void SetScene(TScriptScene* scene) { scene_ = scene; }
  // Whether an event's page file can be run (the project asks for the disc); by default the
  // script file source's existence check, where a missing page is on no disc.
  void SetFileCheck(std::function<TPageCheck(const std::string&)> check) { file_check_ = std::move(check); }

 private:
  TScriptScene* Scene() const;
  TScriptEventQueue* Queue() const;
  // The page's part of a step; true when the index has left the page.
  bool PageStep(bool& waiting);
  // The main page has run out with nothing to return to.
  bool ScriptEnded() const;
  // Ends the script where a return finds no page: no page, an empty stack, mode 0, the events of
  // the running handlers removed. Later events start their handlers as usual.
  void EndScript();
  TCommand* CurrentCommand() const;
  std::string NameOf(TObjectHandle handle) const;
  TObjectHandle FindByName(const std::string& name) const;
  void WriteFrame(TStream& stream, const TStack& frame) const;
  void ReadFrame(TStream& stream, TStack& frame);

  std::vector<std::unique_ptr<TPage>> pages_;
  TPage* page_ = nullptr;
  std::int32_t index_ = 0;
  bool run_flag_ = false;
  TStackList stack_;
  bool entered_ = false;
  TArrayString arguments_;
  std::int32_t mode_ = 0;
  TObjectHandle sender_;
  std::int32_t level_ = 2;
  const TCommand* last_traced_ = nullptr;
  bool step_raised_ = false;
  bool script_ended_ = false;
  std::string last_step_error_;
  TCallMan* previous_current_ = nullptr;
  TScriptScene* scene_ = nullptr;
  std::function<TPageCheck(const std::string&)> file_check_;
};

// The handler page file of an event's page part: its last three characters become "vsb".
std::string EventPageFile(const std::string& page_part);

// The interpreter scripts run in (the one created last and not yet destroyed), or null: what the
// system variables and functions ask about the current call.
TCallMan* CurrentCallMan();

}  // namespace vorn
