#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/clip_list.h"
#include "foundation/errors.h"
#include "foundation/rect.h"
#include "graphics/dibx.h"
#include "platform/display_service.h"
#include "platform/panel.h"
#include "platform/window.h"

namespace vorn {

// One display mode as scripts read it: four int32 in this order.
struct TDisplayModeRecord {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t BitsPerPixel = 0;
  std::int32_t RefreshRate = 0;
  bool operator==(const TDisplayModeRecord&) const = default;
};
static_assert(sizeof(TDisplayModeRecord) == 16);

// Minimum: the project's screen size (also the screen surface's). Preferred: its full-screen size.
struct TScreenSizes {
  std::int32_t MinWidth = 0;
  std::int32_t MinHeight = 0;
  std::int32_t PreferredWidth = 0;
  std::int32_t PreferredHeight = 0;
};

// What a painted frame hands over: the scene's screen surface, its own (transition) rectangle,
// the two layers' dirty lists with the active one's index, and the display scale in percent.
struct TScenePresentation {
  TCustomDIBX* Surface = nullptr;
  TRect OwnDirty{};
  TClipList* LayerDirty[2] = {nullptr, nullptr};
  int ActiveLayer = 0;
  int Zoom = 100;
};

// The display exists but cannot be used.
class EScreenManagerError : public Exception {
 public:
  using Exception::Exception;
};

// Knows the display modes, switches between a window and exclusive full screen, owns the screen
// surface the scene composes on, and puts each painted frame on the drawing panel.
class TScreenManager {
 public:
  static constexpr int kWindowed = -1;
  static constexpr int kReleased = -2;

  // display null: no mode support at all (windowed, 16-bit surface, full screen never offered).
  // Raises EScreenManagerError when the display exists but cannot be opened.
  TScreenManager(platform::Window& view, platform::Panel& panel, const TScreenSizes& sizes,
                 platform::DisplayService* display);
  ~TScreenManager();
  TScreenManager(const TScreenManager&) = delete;
  TScreenManager& operator=(const TScreenManager&) = delete;

  int GetModeCount() const { return static_cast<int>(modes_.size()); }
  // A zero record outside the list.
  TDisplayModeRecord GetMode(int index) const;
  int ChosenMode() const { return chosen_; }
  // Scripts may store any value; one outside the list counts as no mode where it is used.
  void SetChosenMode(int index) { chosen_ = index; }
  int CurrentMode() const { return current_; }
  int DesktopDepth() const { return desktop_depth_; }
  bool IsFullScreen() const { return full_screen_; }
  bool HasDisplayService() const { return display_ != nullptr; }
  // Full screen can be asked for: a mode is chosen and the display service exists.
  bool FullScreenOffered() const { return display_ != nullptr && chosen_ >= 0 && chosen_ < GetModeCount(); }

  // -1 windowed, 0.. full screen in that mode; an index below -1 or past the list does nothing.
  void SetMode(int index);
  void GetDC();
  void ReleaseDC();
  // Dirty-rectangle presentation of one painted frame; nothing for a null scene.
  void Present(const TScenePresentation* scene);
  // Drops the panel target, the screen surface and the display connection; current mode -2.
  void Release();

  // The screen surface; null once released. A new object after every set-up: never keep it.
  TDIBX* GetSurface() { return surface_.get(); }
  bool display_connected() const { return connection_ != nullptr; }
  // The maker of display-memory surfaces while the display is open, else null.
  platform::SurfaceService* surface_service() { return surface_service_.get(); }

 private:
  void ConsiderMode(const platform::DisplayMode& mode);
  void SetUpScreen();
  void NewSurface(int bits);
  void PresentRect(const platform::SourcePixels& pixels, const TRect& source, int zoom, const TRect& bounds);
  // The display-memory surfaces (TDxDIBX) live on the connection: its maker is installed for
  // them while the connection is open and removed before it closes.
  void InstallSurfaceService();
  void DropConnection();

  platform::Window& view_;
  platform::Panel& panel_;
  TScreenSizes sizes_;
  platform::DisplayService* display_;
  std::vector<TDisplayModeRecord> modes_;
  int chosen_ = -1;
  int current_ = kReleased;
  int desktop_depth_ = 24;
  bool full_screen_ = false;
  std::unique_ptr<platform::DisplayConnection> connection_;
  std::unique_ptr<platform::SurfaceService> surface_service_;
  std::unique_ptr<TDIBX> surface_;
};

// The process-wide screen manager while one exists (owned by the media managers).
extern TScreenManager* ScreenManager;

}  // namespace vorn
