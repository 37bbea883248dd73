#pragma once

// Stand-ins for what the scene-side commands drive besides the scene (tests/support): message
// windows, a backlog, an already-read registry and the project's game requests. Each records its
// calls.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/call_man.h"
#include "engine/game_requests.h"
#include "engine/scene_services.h"
#include "engine/script_scene.h"
#include "support/recording_scene.h"

namespace vorn::testing {

class TRecordingMessageWindow : public TRecordingObject, public TScriptMessageWindow {
 public:
  using TRecordingObject::TRecordingObject;
  std::vector<std::string> log;
  bool read_tracking = true;
  std::int32_t count_after_next_page = 0;

  void SetReadTracking(bool flag) override {
    read_tracking = flag;
    log.push_back(flag ? "tracking on" : "tracking off");
  }
  void SetReadSource(const std::string& page, std::int32_t index) override {
    log.push_back("source " + page + ":" + std::to_string(index));
  }
  void SetPageMode(std::uint8_t mode) override { log.push_back("mode " + std::to_string(mode)); }
  void SetPageStart(std::int32_t start) override { log.push_back("start " + std::to_string(start)); }
  void ClearHistData() override { log.push_back("clear"); }
  void AddHistEntry(const std::string& page, std::int32_t index) override {
    log.push_back("entry " + page + ":" + std::to_string(index));
  }
  void NextPage() override {
    log.push_back("next page");
    ints[45] = count_after_next_page;
  }
};

class TRecordingBacklog : public TScriptBacklog {
 public:
  TRecordingBacklog() { previous_ = SetScriptBacklog(this); }
  ~TRecordingBacklog() override { SetScriptBacklog(previous_); }
  std::vector<std::string> log;
  std::int32_t size = 0;
  std::int32_t max_count = 100;
  void Clear() override { log.push_back("clear"); }
  std::int32_t TotalSize() const override { return size; }
  void ShowInWindow(std::int32_t first, std::int32_t count, TScriptObject& window) override {
    log.push_back("show " + std::to_string(first) + "+" + std::to_string(count) + " in " + window.GetName());
  }
  std::int32_t GetMaxCount() const override { return max_count; }
  void SetMaxCount(std::int32_t count) override {
    log.push_back("max " + std::to_string(count));
    max_count = count;
  }

 private:
  TScriptBacklog* previous_ = nullptr;
};

class TRecordingReadList : public TScriptReadList {
 public:
  TRecordingReadList() { previous_ = SetScriptReadList(this); }
  ~TRecordingReadList() override { SetScriptReadList(previous_); }
  int clears = 0;
  void Clear() override { ++clears; }

 private:
  TScriptReadList* previous_ = nullptr;
};

class TRecordingGame : public TScriptGame {
 public:
  TRecordingGame() { previous_ = SetScriptGame(this); }
  ~TRecordingGame() override { SetScriptGame(previous_); }
  std::vector<std::string> log;
  void RequestSave(std::int32_t slot, const std::string& caption, const std::string& page,
                   std::int32_t index) override {
    log.push_back("save " + std::to_string(slot) + " '" + caption + "' " + page + ":" + std::to_string(index));
  }
  void RequestLoad(std::int32_t slot) override { log.push_back("load " + std::to_string(slot)); }
  void ClearGameTables() override { log.push_back("clear tables"); }

 private:
  TScriptGame* previous_ = nullptr;
};

}  // namespace vorn::testing
