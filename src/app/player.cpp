#include "app/player.h"

#include <exception>
#include <iostream>
#include <memory>

#include "app/form_view.h"
#include "app/instance_key.h"
#include "app/net_wiring.h"
#include "app/settings_dialog.h"
#include "components/film_seam.h"
#include "components/scene_pictures.h"
#include "engine/engine_values.h"
#include "engine/screen_pictures.h"
#include "foundation/debug_trace.h"
#include "foundation/log_line.h"
#include "foundation/scoped_seam.h"
#include "foundation/vr_file_manager.h"
#include "media/vorn_binding.h"
#include "motion/motion_components.h"
#include "motion/vorn_motion.h"
#include "platform/font_catalog.h"
#include "text/font_pixel.h"

namespace vorn {
namespace {

constexpr platform::Size kDesignClientSize{640, 502};
constexpr std::string_view kDesignCaption = "VornPlayer";

constexpr int kDialogFontPixels = 12;
constexpr int kStripFontPixels = 12;

void RunSettingsDialog(platform::Platform& platform, const std::string& executable_dir) {
  std::string reason;
  std::unique_ptr<platform::TextRenderer> text = platform::CreateDialogTextRenderer(kDialogFontPixels, reason);
  if (!text) std::cerr << "vornplayer: the settings dialog shows no text: " << reason << "\n";
  TFormConfig dialog(platform, platform::FindInDirectory(executable_dir, "game.ini"), text.get());
  dialog.FormCreate();
  dialog.Show();
  while (dialog.running()) platform.application.ProcessMessages(dialog);
}

// Returns the exit code: 1 when the start-up refused the data, else 0.
int RunMainWindow(platform::Platform& platform, const std::vector<std::string>& arguments,
                   const std::string& executable_path, const std::string& executable_dir,
                   const PlayerOptions& options) {
  // Made before the window and freed after it, with the temporary files, then the files that
  // system functions asked to delete go.
  bool refused = false;
  TDeleteAtExitList delete_at_exit;
  DeleteAtExit = &delete_at_exit;
  struct ClearList {
    ~ClearList() { DeleteAtExit = nullptr; }
  } clear_list;
  {
    // The glyph cache every text draws from, made before the window and freed after it.
    DebugTrace("TFontPixelManager.Create");
    TFontPixelManager glyph_cache;
    ScopedSeam<TFontPixelManager> glyph_cache_seam(ExchangeFontPixelManager);
    glyph_cache_seam.Install(&glyph_cache);
    auto file_manager = std::make_unique<TVrFileManager>(options.cd_roots);
    {
      // Screenshots and the wallpaper: pictures of the scene scripts run against and of the
      // project's images, and the host's desktop.
      TScenePictures pictures(*file_manager);
      ScopedSeam<TScreenPictures> pictures_seam(SetScreenPictures);
      pictures_seam.Install(&pictures);
      ScopedSeam<platform::Wallpaper> wallpaper_seam(SetDesktopWallpaper);
      wallpaper_seam.Install(platform.wallpaper);
      TNetWiring net_wiring(platform.application);
      std::unique_ptr<platform::Window> window =
          platform.application.CreateMainWindow(kDesignClientSize, kDesignCaption);
      // The strip's captions are in the form's font, "ＭＳ Ｐゴシック" at a character height of 12.
      std::string font_reason;
      std::unique_ptr<platform::TextRenderer> strip_font = platform::CreateDialogTextRenderer(kStripFontPixels, font_reason);
      if (!strip_font) LogLine("the tool strip's buttons show no captions: " + font_reason);
      TFormView form(FormViewContext{platform, *window, *file_manager, arguments, executable_path, executable_dir,
                                     options.random_seed, strip_font.get()});
      form.FormCreate();
      refused = form.start_refused();
      if (!StopFlag) {
        window->Show();
        platform.application.Run(*window, form);
      }
      // Without the message loop the posted close never ran FormClose: free the engine here.
      form.ReleaseEngine();
    }
    file_manager.reset();
  }
  delete_at_exit.DeleteAll();
  return refused ? 1 : 0;
}

}  // namespace

int RunPlayer(platform::Platform& platform, const std::vector<std::string>& arguments, const PlayerOptions& options) {
  // The media library is bound before anything else, also for the settings dialog; without it,
  // or in another version, the user has been told and the player ends.
  ScopedVornBinding media_library(platform.boxes);
  if (!media_library.bound()) return 0;

  ResetEngineValues();
  SetEngineClock(&platform.clock);
  struct ClearClock {
    ~ClearClock() { SetEngineClock(nullptr); }
  } clear_clock;

  // The host's fonts answer the scripts' font questions and draw the text while the player runs.
  ScopedSeam<platform::FontCatalog> active_fonts(platform::ExchangeActiveFontCatalog);
  if (platform.fonts != nullptr) active_fonts.Install(platform.fonts);

  // Films, and the component kinds whose classes live with them, before any project runs.
  TMotionFilmMaker films;
  ScopedSeam<TFilmMaker> films_seam(&SetFilmMaker);
  films_seam.Install(&films);
  RegisterMotionComponents();

  const std::optional<std::string> executable_path = platform.executable.ExecutablePath();
  if (!executable_path) {
    std::cerr << "vornplayer: cannot read the executable's path (/proc/self/exe)\n";
    return 1;
  }
  const std::string executable_dir = platform::DirectoryOf(*executable_path);
  if (platform.drives.TypeOf(executable_dir) == platform::DriveType::kCdRom) return 0;

  platform::LockResult lock = platform.locks.Acquire(InstanceLockKey(arguments, executable_dir));
  if (lock.outcome != platform::LockOutcome::kAcquired) {
    // Refused without a word on screen; a lock that cannot be made at all leaves a line.
    if (!lock.diagnostic.empty()) std::cerr << "vornplayer: no instance lock: " << lock.diagnostic << "\n";
    return 0;
  }

  try {
    std::string reason;
    if (!platform.application.Initialize(reason)) {
      std::cerr << "vornplayer: cannot start the window system: " << reason << "\n";
      return 1;
    }
    platform.application.SetTitle(std::string_view());
    if (!arguments.empty() && IsConfigArgument(arguments.front())) {
      RunSettingsDialog(platform, executable_dir);
    } else {
      return RunMainWindow(platform, arguments, *executable_path, executable_dir, options);
    }
  } catch (const std::exception& error) {
    std::cerr << "vornplayer: " << error.what() << "\n";
    return 1;
  } catch (...) {
    std::cerr << "vornplayer: stopped by an unknown error\n";
    return 1;
  }
  return 0;
}

}  // namespace vorn
