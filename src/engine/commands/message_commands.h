#pragma once

// Commands that put message text into message windows and wait until it has been read, clear
// windows, show and format the backlog, and clear the backlog and the already-read registry.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/command.h"
#include "engine/script_object.h"

namespace vorn {

class TComTextIns : public TComRecord {
 public:
  explicit TComTextIns(TPage* page) : TComRecord(page, 20) {}
  bool BlocksEvents() const override { return event_block_; }
  bool IsWaiting() const override { return waiting_; }
  void Enter(TCallMan& callman) override;
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
  void SaveState(std::unique_ptr<TMemoryStream>& stream) override;
  void LoadState(TStream& stream) override;

  // The laid-out message as the authoring tool stored it; never parsed here.
  const std::uint8_t* DocumentData() const { return Bytes().data(); }
  std::size_t DocumentSize() const { return Bytes().size(); }
  // The message window being read, or null (also once the window has been freed).
  TScriptObject* Target() const { return target_.Get(); }

 private:
  TObjectHandle target_;
  bool waiting_ = false;
  bool event_block_ = false;
};

class TComTextClr : public TComRecord {
 public:
  explicit TComTextClr(TPage* page) : TComRecord(page, 28) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComCallHist : public TComRecord {
 public:
  explicit TComCallHist(TPage* page) : TComRecord(page, 29) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComClrHist : public TComRecord {
 public:
  explicit TComClrHist(TPage* page) : TComRecord(page, 22) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComClrRead : public TComRecord {
 public:
  explicit TComClrRead(TPage* page) : TComRecord(page, 47) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

// FormatHist: the backlog's layout takes its values from an object.
class TComEntryHist : public TComRecord {
 public:
  explicit TComEntryHist(TPage* page) : TComRecord(page, 58) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

// The text document of the TextIns command at (page name, command index), rewound, for message
// windows and the backlog. Null when the page cannot be had, the index lies outside it or the
// command there is no TextIns: saved backlogs name commands too, and they are not to be trusted.
std::unique_ptr<TMemoryStream> FindTextDocument(TCallMan& callman, const std::string& page_name,
                                                std::int32_t command_index);

}  // namespace vorn
