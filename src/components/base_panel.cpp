#include "components/base_panel.h"

#include "components/scene_globals.h"
#include "graphics/screen_manager.h"
#include "media/media_init.h"

namespace vorn {
namespace {

// The window message of a repaint, as the video library expects it.
constexpr std::uint32_t kPaintMessage = 0x000F;

// The screen manager's back surface, depth and full-screen state. Asked at every use: a screen
// switch replaces all three.
class TScreenManagerScreen final : public TSceneScreen {
 public:
  TCustomDIBX* GetSurface() const override { return ScreenManager != nullptr ? ScreenManager->GetSurface() : nullptr; }
  int GetBitCount() const override {
    TCustomDIBX* surface = GetSurface();
    return surface != nullptr ? surface->GetBitCount() : 32;
  }
  bool IsFullScreen() const override { return ScreenManager != nullptr && ScreenManager->IsFullScreen(); }
};

}  // namespace

TBasePanel::TBasePanel(platform::Panel& panel, platform::Cursors* cursors, platform::Clock* clock,
                       platform::IClipboard* clipboard)
    : panel_(panel), cursors_(cursors), screen_(std::make_unique<TScreenManagerScreen>()) {
  text_fields_ = std::make_unique<platform::TextFieldHost>(panel, clock, clipboard, cursors);
}

TBasePanel::~TBasePanel() = default;

void TBasePanel::CreateScene() {
  CreateSceneGlobals(*screen_);
  Bases->SetCursors(cursors_);
  Bases->SetTextFields(text_fields_.get());
}

void TBasePanel::Paint() {
  if (Bases != nullptr && ScreenManager != nullptr) {
    if (TCustomDIBX* surface = Bases->GetSceneSurface()) {
      TScenePresentation whole;
      whole.Surface = surface;
      whole.OwnDirty = surface->GetBoundsRect();
      ScreenManager->Present(&whole);
    }
  }
  RepaintVideos();
}

void TBasePanel::RepaintVideos() {
  ForwardVideoEvent(panel_.window(), kPaintMessage, 0, 0);
  text_fields_->Draw(true);
}

}  // namespace vorn
