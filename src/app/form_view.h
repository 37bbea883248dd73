#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/base_panel.h"
#include "components/scene_system_state.h"
#include "components/wd_image_adapter.h"
#include "engine/engine_seams.h"
#include "engine/param_collection.h"
#include "engine/project.h"
#include "engine/save_scene.h"
#include "engine/script_files.h"
#include "engine/script_host.h"
#include "engine/script_scene.h"
#include "engine/sys_func_man.h"
#include "engine/url_opening.h"
#include "foundation/scoped_seam.h"
#include "foundation/vr_file_manager.h"
#include "graphics/screen_manager.h"
#include "media/dx_sound.h"
#include "media/media_init.h"
#include "platform/panel.h"
#include "platform/platform.h"
#include "toolstrip/dock97.h"
#include "toolstrip/strip_form.h"
#include "toolstrip/toolbar97.h"
#include "toolstrip/toolbar_button97.h"
#include "app/scene_state.h"
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
  platform::TextRenderer* strip_font = nullptr;  // the tool strip's captions; none draws them blank
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

  // Screen operations for scripts. Nothing happens without a scene or a screen manager.
  void SetFullScreen(bool on);
  // In full screen, switches to the chosen mode when it is not the current one.
  void ReapplyFullScreen();
  bool IsFullScreen() const;
  // The pointer to panel x (or y), the other coordinate kept.
  void SetCursorX(int x);
  void SetCursorY(int y);

  // The DirectSound component's events.
  void DXSoundInitialize();
  void DXSoundRestore();

  bool active() const { return active_; }
  std::uint32_t last_tick() const { return last_tick_; }
  bool idle_installed() const { return idle_installed_; }
  // The start-up refused the data (a folder without a system name, a damaged archive): exit 1.
  bool start_refused() const { return start_refused_; }
  TDock97& dock() { return dock_; }
  TStripForm& strip() { return strip_form_; }
  // The strip shows (in full screen only while the pointer is at the top or over it).
  bool StripShown() const { return toolbar_.Visible(); }
  platform::Panel& panel() { return panel_; }
  TProject* project() { return project_.get(); }
  const SoundOptions& sound_options() const { return sound_options_; }
  TToolbarButton97& quit_button() { return quit_button_; }
  TToolbarButton97& switch_button() { return switch_button_; }
  TSceneSystemState* scene_state() { return scene_state_.get(); }
  TDXSound& dx_sound() { return dx_sound_; }

 private:
  void StartEngine();
  void InstallSceneSeams();
  void RemoveSceneSeams();
  // False when the data cannot be mounted (the user has been told why): the player ends.
  bool MountData();
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

  // Text fields over the panel see text, key and pointer events before the scene: true when one
  // took the event.
  bool OfferToTextFields(const platform::Event& event);
  // The panel's input handlers.
  void PanelMouseDown(platform::MouseButton button, unsigned shift, int x, int y);
  void PanelMouseMove(unsigned shift, int x, int y);
  void PanelMouseUp(platform::MouseButton button, unsigned shift, int x, int y);
  void PanelKeyDown(int key);
  void PanelKeyUp(int key);
  // The window's own input handlers.
  void WindowKeyDown(int key, bool repeat);
  void WindowKeyUp(int key);
  void WindowMouseMove(int x, int y);
  void WindowMouseWheel(int wheel);
  void UserMessage(const platform::Event& event);
  void Activate();
  void Deactivate();

  // Every media manager in a fixed order; deactivation only touches sound that holds items.
  void PauseAllMedia(bool deactivation);
  void ResumeAllMedia(bool activation);

  TScreenManager* screen_manager() const;
  void ShowToolStrip(bool shown);
  // Whether a pointer event at the point belongs to the strip: anything while a strip button holds
  // the pointer, else what lies in the dock while the strip shows.
  bool StripTakesPointer(int x, int y);
  // Step 6 of a screen switch: the panel centred in full screen, under the dock in a window.
  void PlacePanel();
  // After a switch: black client, the strip when it shows.
  void RepaintFrame();
  platform::Size WindowedClientSize() const;

  FormViewContext context_;
  platform::Window& window_;
  platform::Panel panel_;
  // The strip's root comes first: it outlives the controls on it.
  TStripForm strip_form_;
  TDock97 dock_;
  TToolbar97 toolbar_;
  TToolbarButton97 quit_button_;
  TToolbarButton97 switch_button_;
  TDXSound dx_sound_;
  SoundOptions sound_options_;

  std::unique_ptr<TBasePanel> base_panel_;
  // What saved games write for the scene and its lists.
  std::unique_ptr<TSavedSceneParts> saved_scene_parts_;
  ScopedSeam<TSavedSceneParts> saved_scene_parts_seam_{GetSavedSceneParts, SetSavedSceneParts};
  std::unique_ptr<TParamCollection> params_;
  std::unique_ptr<TSysFuncMan> sys_funcs_;
  std::unique_ptr<TProject> project_;
  bool media_started_ = false;

  ScriptHost script_host_{*this};
  std::unique_ptr<TVrScriptFiles> script_files_;
  ScopedSeam<TScriptHost> host_seam_{SetScriptHost};
  ScopedSeam<TScriptFiles> files_seam_{SetScriptFiles};
  ScopedSeam<platform::UrlOpener> url_opener_seam_{SetUrlOpener};
  bool window_created_ = false;
  bool start_refused_ = false;

  bool active_ = false;
  std::uint32_t last_tick_ = 0;
  int draw_skip_ = 0;
  bool idle_installed_ = false;
  bool engine_freed_ = false;
  bool mouse_on_panel_ = false;  // a panel button is down (the panel holds the capture)
  int pointer_x_ = 0;            // last known pointer, client coordinates
  int pointer_y_ = 0;
  platform::WindowPlacement saved_placement_;

  // What scripts see of the window's screen while a screen manager exists.
  class ScreenControl final : public TScreenControl {
   public:
    explicit ScreenControl(TFormView& form) : form_(form) {}
    bool IsFullScreen() const override { return form_.IsFullScreen(); }
    void SetFullScreen(bool on) override { form_.SetFullScreen(on); }
    std::int32_t GetDisplayModeCount() const override;
    bool GetDisplayMode(std::int32_t index, TDisplayModeInfo& mode) const override;
    std::int32_t GetChosenMode() const override;
    void SetChosenMode(std::int32_t index) override;
    std::int32_t GetCurrentMode() const override;
    void ReapplyFullScreen() override { form_.ReapplyFullScreen(); }
    void SetCursorX(std::int32_t x) override { form_.SetCursorX(x); }
    void SetCursorY(std::int32_t y) override { form_.SetCursorY(y); }

   private:
    TFormView& form_;
  };
  ScreenControl screen_control_{*this};
  ScopedSeam<TScreenControl> screen_control_seam_{SetScreenControl};

  // The scene the engine works on and what it reads of it, installed from the engine start to
  // the scene's end.
  std::unique_ptr<TVornSceneState> scene_state_;
  ScopedSeam<TScriptScene> script_scene_seam_{GetScriptScene, SetScriptScene};
  ScopedSeam<TSceneSystemState> scene_state_seam_{SetSceneSystemState};
  // Pictures inside message text come from the scene's image lists.
  std::unique_ptr<TVornWdImageSource> wd_image_source_;
  ScopedSeam<TWdImageSource> wd_image_source_seam_{SetWdImageSource};
  TAppMidiControl midi_control_;
  ScopedSeam<TMidiControl> midi_control_seam_{SetMidiControl};
};

}  // namespace vorn
