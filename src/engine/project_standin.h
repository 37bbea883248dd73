#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vorn {

// Stand-in for the project until the project file reader lands: the values the main window and
// the frame loop read, and the calls they make, reported through StandInCall.
class TProjectStandIn {
 public:
  // Runs the creation hook, which tests use to change the values, set the stop flag or throw.
  TProjectStandIn();
  ~TProjectStandIn();
  TProjectStandIn(const TProjectStandIn&) = delete;
  TProjectStandIn& operator=(const TProjectStandIn&) = delete;

  using CreateHook = std::function<void(TProjectStandIn&)>;
  // Returns the hook set before.
  static CreateHook SetCreateHook(CreateHook hook);

  // The script step.
  void Step();
  // A requested game load; true when a game was loaded.
  bool RunPendingLoad();
  void RunPendingSave();
  // What freeing the project does on a normal close: the exit page and the status entry.
  void RunExitPageAndWriteStatus();

  std::string title;  // CP932
  std::int32_t screen_width = 640;
  std::int32_t screen_height = 480;
  std::int32_t full_screen_width = 640;
  std::int32_t full_screen_height = 480;
  bool fixed_wait = true;
  bool load_requested = false;
  bool save_requested = false;
  std::function<void()> on_step;  // what the script step does (tests)
};

// Stand-in for the variable collection.
class TParamCollectionStandIn {
 public:
  TParamCollectionStandIn();
  ~TParamCollectionStandIn();
};

}  // namespace vorn
