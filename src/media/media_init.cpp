#include "media/media_init.h"

#include <memory>

#include "engine/engine_values.h"
#include "foundation/debug_trace.h"
#include "graphics/screen_manager.h"
#include "media/media_managers.h"
#include "media/vorn_binding.h"

namespace vorn {

TVideoManager* VideoManager = nullptr;
TWmpManager* WmpManager = nullptr;
TOggManager* OggManager = nullptr;
TCddaManager* CddaManager = nullptr;
TMidiManager* MidiManager = nullptr;

namespace {

// What MediaInit made, owned here while the globals point at it.
struct OwnedMedia {
  std::unique_ptr<TScreenManager> screen;
  std::unique_ptr<TVideoManager> video;
  std::unique_ptr<TWmpManager> wmp;
  std::unique_ptr<TOggManager> ogg;
  std::unique_ptr<TCddaManager> cdda;
  std::unique_ptr<TMidiManager> midi;
  bool made = false;
};

OwnedMedia& Owned() {
  static OwnedMedia owned;
  return owned;
}

}  // namespace

void MediaInit(const MediaInitParams& params) {
  TVornLibrary* library = VornLibrary();
  if (library == nullptr) throw Exception("media start-up without the media library bound");
  OwnedMedia& owned = Owned();
  owned.made = true;

  DebugTrace("MediaInit.vornInit");
  VornMainWindowHandle = params.view;
  VornPanelHandle = params.panel;
  VornInitArgs args;
  args.main_window = &VornMainWindowHandle;
  args.panel = &VornPanelHandle;
  args.direct_sound = &VornDirectSound;
  args.callbacks = PlayerStreamCallbacks();
  args.clock = params.clock;
  library->vornInit(args);

  DebugTrace("MediaInit.vornOggmanSetUseThread");
  library->vornOggmanSetUseThread(true);

  DebugTrace("MediaInit.TScreenManager.Create");
  if (params.screen_width > 0 && params.screen_height > 0 && params.view != nullptr && params.panel != nullptr) {
    owned.screen = std::make_unique<TScreenManager>(
        *params.view, *params.panel,
        TScreenSizes{params.screen_width, params.screen_height, params.full_screen_width, params.full_screen_height},
        params.display);
    ScreenManager = owned.screen.get();
  }

  DebugTrace("MediaInit.TVideoManager.Create");
  owned.video = std::make_unique<TVideoManager>();
  VideoManager = owned.video.get();
  DebugTrace("MediaInit.TWmpManager.Create");
  owned.wmp = std::make_unique<TWmpManager>(*library);
  WmpManager = owned.wmp.get();
  DebugTrace("MediaInit.TOggManager.Create");
  if (params.files != nullptr && params.clock != nullptr) {
    owned.ogg = std::make_unique<TOggManager>(TOggManagerContext{*library, *params.files, params.audio, *params.clock,
                                                                 DelayTimeOption, params.dx_sound});
    OggManager = owned.ogg.get();
  }
  DebugTrace("MediaInit.TCddaManager.Create");
  owned.cdda = std::make_unique<TCddaManager>();
  CddaManager = owned.cdda.get();
  DebugTrace("MediaInit.TMidiManager.Create");
  owned.midi = std::make_unique<TMidiManager>();
  MidiManager = owned.midi.get();
  DebugTrace("MediaInit.end");
}

void MediaFinal() {
  OwnedMedia& owned = Owned();
  if (!owned.made) return;
  owned.made = false;
  DebugTrace("ScreenMan.Free");
  ScreenManager = nullptr;
  owned.screen.reset();
  DebugTrace("VideoMan.Free");
  VideoManager = nullptr;
  owned.video.reset();
  // The wave list is never made: nothing to free.
  DebugTrace("WaveMan.Free");
  DebugTrace("WmpMan.Free");
  WmpManager = nullptr;
  owned.wmp.reset();
  DebugTrace("OggMan.Free");
  OggManager = nullptr;
  owned.ogg.reset();
  DebugTrace("CddaMan.Free");
  CddaManager = nullptr;
  owned.cdda.reset();
  DebugTrace("MidiMan.Free");
  MidiManager = nullptr;
  owned.midi.reset();
  DebugTrace("vornFinal");
  if (TVornLibrary* library = VornLibrary()) library->vornFinal();
}

void MediaSetHandles(platform::Window& window, platform::Panel& panel) {
  VornMainWindowHandle = &window;
  VornPanelHandle = &panel;
}

void MediaSuspendVideos() {
  if (VideoManager == nullptr) return;
  if (TVornLibrary* library = VornLibrary()) library->vornVidmanSuspend();
}

void MediaResumeVideos() {
  if (VideoManager == nullptr) return;
  if (TVornLibrary* library = VornLibrary()) library->vornVidmanResume();
}

void ForwardWmpEvent(platform::Window& window, std::uint32_t message, std::intptr_t wparam, std::intptr_t lparam) {
  if (TVornLibrary* library = VornLibrary()) library->vornWmpmanProcessEvent(VornEventRecord{&window, message, wparam, lparam});
}

void ForwardVideoEvent(platform::Window& window, std::uint32_t message, std::intptr_t wparam, std::intptr_t lparam) {
  if (TVornLibrary* library = VornLibrary()) library->vornVidmanProcessEvent(VornEventRecord{&window, message, wparam, lparam});
}

}  // namespace vorn
