#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/scene_standin.h"
#include "engine/param_collection.h"
#include "engine/project.h"
#include "engine/project_standin.h"
#include "engine/script_files.h"
#include "engine/script_host.h"
#include "foundation/vr_file_manager.h"
#include "media/media_standin.h"
#include "platform/panel.h"
#include "platform/platform.h"
#include "toolstrip/tool_strip_standin.h"
#include "app/sound_options.h"

namespace vorn {

struct FormViewContext {
  platform::Platform& platform;
  platform::Window& window;
  TVrFileManager& file_manager;
  std::vector<std::string> arguments;
  std::string executable_path;
  std::string executable_dir;  // with a trailing "/"
  std::optional<std::uint64_t> random_seed;  // fixed for headless runs; else from the time
};

// The player's only window. Its creation step builds the tool strip, mounts the data, creates the
// drawing panel and the engine's managers and starts the engine; closing it frees them in a fixed
// order. It also drives the frame loop from the message loop's idle calls.
class TFormView final : public platform::EventSink {
 public:
  explicit TFormView(FormViewContext context);
  ~TFormView() override;
  TFormView(const TFormView&) = delete;
  TFormView& operator=(const TFormView&) = delete;

  void FormCreate();
  // The close: stop flag first, then the project (with its exit page), system functions,
  // variables, scene, media.
  void FormClose();
  // The same frees without the project's exit page, for a start-up that ended before the message
  // loop (its posted close is never processed). Does nothing once the engine is freed.
  void ReleaseEngine();

  void HandleEvent(const platform::Event& event) override;
  bool Idle() override { return ApplicationEventsIdle(); }

  // Answers Done: true when no frame can run now.
  bool ApplicationEventsIdle();
  void RunFrame();
  void QuitButtonClick();
  void ScreenSwitchButtonClick();

  bool active() const { return active_; }
  std::uint32_t last_tick() const { return last_tick_; }
  bool idle_installed() const { return idle_installed_; }
  TDock97StandIn& dock() { return dock_; }
  platform::Panel& panel() { return panel_; }
  TProject* project() { return project_.get(); }
  const SoundOptions& sound_options() const { return sound_options_; }
  TToolbarButton97StandIn& quit_button() { return quit_button_; }

 private:
  void StartEngine();
  void MountData();
  void FreeEngine(bool closing);
  void PaintToolStrip();
  void SetProjectTitle(const std::string& title);

  // What the interpreter and the project ask of the window: message boxes and closing it.
  class ScriptHost final : public TScriptHost {
   public:
    explicit ScriptHost(TFormView& form) : form_(form) {}
    platform::MessageAnswer ShowMessage(platform::MessageBoxRequest request) override;
    void CloseMainWindow() override;

   private:
    TFormView& form_;
  };

  // The panel's input handlers (filled by the window-messages work).
  void PanelMouseDown(platform::MouseButton, unsigned, int, int) {}
  void PanelMouseMove(unsigned, int, int) {}
  void PanelMouseUp(platform::MouseButton, unsigned, int, int) {}
  void PanelKeyDown(int) {}
  void PanelKeyUp(int) {}

  FormViewContext context_;
  platform::Window& window_;
  platform::Panel panel_;
  TDock97StandIn dock_;
  TToolbar97StandIn toolbar_;
  TToolbarButton97StandIn quit_button_;
  TToolbarButton97StandIn switch_button_;
  TDXSoundStandIn dx_sound_;
  SoundOptions sound_options_;

  std::unique_ptr<TBasePanelStandIn> base_panel_;
  std::unique_ptr<SceneGlobalsStandIn> scene_;
  std::unique_ptr<TParamCollection> params_;
  std::unique_ptr<TSysFuncManStandIn> sys_funcs_;
  std::unique_ptr<TProject> project_;
  std::unique_ptr<MediaManagersStandIn> media_;

  ScriptHost script_host_{*this};
  TScriptHost* previous_host_ = nullptr;
  std::unique_ptr<TVrScriptFiles> script_files_;
  TScriptFiles* previous_files_ = nullptr;
  bool services_installed_ = false;
  bool window_created_ = false;

  bool active_ = false;
  std::uint32_t last_tick_ = 0;
  int draw_skip_ = 0;
  bool idle_installed_ = false;
  bool engine_freed_ = false;
  bool mouse_on_dock_ = false;
};

}  // namespace vorn
