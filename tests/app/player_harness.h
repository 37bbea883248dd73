#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/form_view.h"
#include "app/instance_key.h"
#include "foundation/errors.h"
#include "app/player.h"
#include "engine/engine_values.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"
#include "foundation/host_names.h"
#include "foundation/install_set.h"
#include "foundation/vr_file_manager.h"
#include "media/vorn_binding.h"
#include "support/recording_vorn_library.h"
#include "platform/cd_roots.h"
#include "foundation/debug_trace.h"
#include "foundation/standin_trace.h"
#include "platform/headless_application.h"
#include "support/temp_folder.h"

namespace vorn::testing {

// Collects the trace steps and the stand-in calls while it lives.
class Recording {
 public:
  Recording() {
    previous_trace_ = SetDebugTraceRecorder([this](std::string_view step) {
      trace.emplace_back(step);
      if (on_trace) on_trace(step);
    });
    previous_calls_ = SetStandInRecorder([this](std::string_view call) {
      calls.emplace_back(call);
      if (on_call) on_call(call);
    });
  }
  ~Recording() {
    SetDebugTraceRecorder(std::move(previous_trace_));
    SetStandInRecorder(std::move(previous_calls_));
  }
  // The recorded entries that appear in wanted, in recorded order.
  static std::vector<std::string> Only(const std::vector<std::string>& recorded, const std::vector<std::string>& wanted) {
    std::vector<std::string> result;
    for (const std::string& entry : recorded) {
      for (const std::string& w : wanted) {
        if (entry == w) result.push_back(entry);
      }
    }
    return result;
  }

  std::vector<std::string> trace;
  std::vector<std::string> calls;
  std::function<void(std::string_view)> on_call;
  // Runs at each trace step, before the step's work: sees what is still alive at that point.
  std::function<void(std::string_view)> on_trace;

 private:
  DebugTraceRecorder previous_trace_;
  StandInRecorder previous_calls_;
};

// The project every app test starts with unless it writes its own: 640 x 480, fixed frame wait,
// an empty start page.
inline fixture::ProjectWriter DefaultProject() {
  fixture::ProjectWriter project(110);
  project.title = "Project";
  return project;
}

// Lays out an installed project in the directory (host path with a trailing "/"): install.dat
// with everything installed, the project file and its start page.
inline void WriteProject(const std::string& dir, const fixture::ProjectWriter& project = DefaultProject(),
                         const fixture::PageWriter& start = fixture::PageWriter()) {
  TVornInstallSet install;
  install.Id = "test";
  install.AllInstalled = 1;
  install.SaveToFile(SystemNameOfHostPath(dir) + "install.dat");
  project.WriteTo(dir);
  start.WriteTo(dir, project.start_page);
}

// A private folder that stands for the executable's directory, holding the default project.
class TempDir : public TempFolder {
 public:
  explicit TempDir(const std::string& name) : TempFolder(name) { WriteProject(str()); }
  // The folder with a trailing "/".
  std::string str() const { return Dir(); }
};

// The main window on headless back ends, driven step by step.
class HeadlessForm {
 public:
  explicit HeadlessForm(const std::string& exe_dir, std::vector<std::string> arguments = {},
                        platform::MessageBoxes* boxes = nullptr) {
    ResetEngineValues();
    headless.executable.set_path(exe_dir + "vornplayer");
    window = headless.application.CreateMainWindow(platform::Size{640, 502}, "VornPlayer");
    services = std::make_unique<platform::Platform>(platform::Platform{
        headless.executable, headless.drives, headless.locks, headless.clock,
        boxes != nullptr ? *boxes : static_cast<platform::MessageBoxes&>(headless.boxes), headless.application,
        &headless.display, &headless.wallpaper, &headless.url_opener, nullptr, &headless.cursors, &headless.audio});
    form = std::make_unique<TFormView>(FormViewContext{*services, *window, files, std::move(arguments),
                                                       exe_dir + "vornplayer", exe_dir, 1});
  }
  ~HeadlessForm() {
    form.reset();
    ResetEngineValues();
  }
  void Activate() { form->HandleEvent(platform::Event{.type = platform::EventType::kActivate}); }

  platform::HeadlessPlatform headless;
  // Bound as the player binds it at start-up, for the form's lifetime; the library reports its
  // calls to a Recording.
  ScopedVornProvider media_provider;
  ScopedVornBinding media_library{headless.boxes};
  std::unique_ptr<platform::Platform> services;
  std::unique_ptr<platform::Window> window;
  platform::HeadlessCdRootSource cd_roots;
  TVrFileManager files{&cd_roots};
  std::unique_ptr<TFormView> form;
};

}  // namespace vorn::testing
