#pragma once

// A headless engine for tests: lays out a data directory (plain files, or packed into game.dat),
// starts the project the way the main window does when given a data directory, and runs frames.
// Message boxes are recorded and answered from a script; the script trace is collected.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/param_collection.h"
#include "engine/project.h"
#include "engine/script_files.h"
#include "engine/script_host.h"
#include "fixture/page_writer.h"
#include "fixture/project_writer.h"
#include "foundation/vr_file_manager.h"
#include "platform/cd_roots.h"
#include "platform/message_box.h"
#include "support/temp_folder.h"

namespace vorn::testing {

// Records the boxes and answers them from the script; counts the close requests.
class RecordingScriptHost : public TScriptHost {
 public:
  platform::MessageAnswer ShowMessage(platform::MessageBoxRequest request) override {
    if (on_show) on_show(request);
    return boxes.Show(request);
  }
  void CloseMainWindow() override { ++close_requests; }

  platform::HeadlessMessageBoxes boxes;
  // Runs before a box is answered (a test inserts a disc, say).
  std::function<void(const platform::MessageBoxRequest&)> on_show;
  int close_requests = 0;
};

class EngineFixture {
 public:
  explicit EngineFixture(const std::string& name);
  ~EngineFixture();
  EngineFixture(const EngineFixture&) = delete;
  EngineFixture& operator=(const EngineFixture&) = delete;

  // The data directory (host path, trailing "/").
  std::string DataDir() const { return dir_.string() + "/"; }
  std::string ExeDir() const { return (dir_ / "exe").string() + "/"; }
  std::filesystem::path Root() const { return dir_; }

  void AddFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
  void AddPage(const std::string& name, const fixture::PageWriter& page) { AddFile(name, page.Bytes()); }
  void AddProject(const fixture::ProjectWriter& project) { AddFile("vorn.vpb", project.Bytes()); }
  // Files added from now on go into game.dat instead of plain files (written at Start).
  void PackIntoGameDat() { pack_ = true; }

  // Starts like the main window given the data directory: empty archive 0, the override
  // directory, game.dat mounted, the variables, the project.
  void Start(bool data_directory_given = true);
  // Frames: the script step, then (unless the step stopped) the pending game load and save.
  void RunFrames(int count);
  // The orderly end (exit page, status), then everything is freed.
  void Stop();

  TProject* project() const { return project_.get(); }
  TParamCollection& params() const { return *params_; }
  TVrFileManager& files() const { return *files_; }
  // Value of a variable as integer / text; a missing variable fails the test.
  std::int32_t Int(const std::string& name) const;
  std::string Str(const std::string& name) const;
  bool Has(const std::string& name) const { return params_ && params_->FindParam(name) != nullptr; }
  // Line numbers of the commands run, in order (from the script trace).
  std::vector<int> Lines() const;
  void ClearTrace() { trace_.clear(); }

  RecordingScriptHost host;
  platform::HeadlessCdRootSource cd_roots;
  std::string title_shown;

 private:
  TempFolder folder_;
  std::filesystem::path dir_;
  bool pack_ = false;
  std::map<std::string, std::vector<std::uint8_t>> packed_;
  std::unique_ptr<TVrFileManager> files_;
  std::unique_ptr<TVrScriptFiles> script_files_;
  TScriptFiles* previous_files_ = nullptr;
  TScriptHost* previous_host_ = nullptr;
  TTraceCallback previous_trace_;
  std::vector<std::string> trace_;
  std::unique_ptr<TParamCollection> params_;
  std::unique_ptr<TProject> project_;
  bool hooks_set_ = false;
};

}  // namespace vorn::testing
