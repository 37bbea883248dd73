#pragma once

#include <functional>
#include <memory>

#include "components/vorn_base_list.h"
#include "platform/cursors.h"
#include "platform/panel.h"
#include "platform/window.h"

namespace vorn {

// The drawing panel: the window's picture area. It raises the mouse and key events the main
// window handles, and it makes the scene globals, giving the global scene the screen to draw on.
class TBasePanel {
 public:
  // cursors: the window's mouse cursors the global scene sets (null: none).
  explicit TBasePanel(platform::Panel& panel, platform::Cursors* cursors = nullptr);
  ~TBasePanel();
  TBasePanel(const TBasePanel&) = delete;
  TBasePanel& operator=(const TBasePanel&) = delete;

  platform::Panel& panel() { return panel_; }
  // Makes the scene globals (the scene first); they draw on the screen manager's back surface.
  void CreateScene();
  // What the global scene draws on.
  TSceneScreen& Screen() { return *screen_; }

  // The panel's picture, on expose: the scene's surface over the whole panel (when the scene and
  // the screen manager exist), then the videos drawn again above it.
  void Paint();
  // Videos draw onto the panel in software, so every presentation of the scene covers them: the
  // video library is asked to draw them again (with or without videos).
  void RepaintVideos();

  std::function<void(platform::MouseButton, unsigned shift, int x, int y)> OnMouseDown;
  std::function<void(unsigned shift, int x, int y)> OnMouseMove;
  std::function<void(platform::MouseButton, unsigned shift, int x, int y)> OnMouseUp;
  std::function<void(int key)> OnKeyDown;
  std::function<void(int key)> OnKeyUp;

 private:
  platform::Panel& panel_;
  platform::Cursors* cursors_;
  std::unique_ptr<TSceneScreen> screen_;
};

}  // namespace vorn
