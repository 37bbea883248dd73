#pragma once

#include <functional>
#include <memory>

#include "components/vorn_base_list.h"
#include "platform/cursors.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/panel.h"
#include "platform/text_field.h"
#include "platform/window.h"

namespace vorn {

// The drawing panel: the window's picture area. It raises the mouse and key events the main
// window handles, and it makes the scene globals, giving the global scene the screen to draw on.
class TBasePanel {
 public:
  // cursors: the window's mouse cursors the global scene sets (null: none). The text fields over
  // the panel blink their caret on the clock (null: a still caret) and copy to the clipboard (null:
  // none).
  explicit TBasePanel(platform::Panel& panel, platform::Cursors* cursors = nullptr, platform::Clock* clock = nullptr,
                      platform::IClipboard* clipboard = nullptr);
  ~TBasePanel();
  TBasePanel(const TBasePanel&) = delete;
  TBasePanel& operator=(const TBasePanel&) = delete;

  platform::Panel& panel() { return panel_; }
  // Makes the scene globals (the scene first); they draw on the screen manager's back surface. The
  // scene makes its text fields with the panel's host.
  void CreateScene();
  platform::TextFieldHost& TextFields() { return *text_fields_; }
  // What the global scene draws on.
  TSceneScreen& Screen() { return *screen_; }

  // The panel's picture, on expose: the scene's surface over the whole panel (when the scene and
  // the screen manager exist), then the videos drawn again above it.
  void Paint();
  // Videos and text fields draw onto the panel themselves, so every presentation of the scene
  // covers them: the video library is asked to draw them again (with or without videos), then the
  // text fields are drawn above.
  void RepaintVideos();
  // At the end of a frame: the text fields that changed (typing, the caret's blinking).
  void DrawChangedTextFields() { text_fields_->Draw(false); }

  std::function<void(platform::MouseButton, unsigned shift, int x, int y)> OnMouseDown;
  std::function<void(unsigned shift, int x, int y)> OnMouseMove;
  std::function<void(platform::MouseButton, unsigned shift, int x, int y)> OnMouseUp;
  std::function<void(int key)> OnKeyDown;
  std::function<void(int key)> OnKeyUp;

 private:
  platform::Panel& panel_;
  platform::Cursors* cursors_;
  std::unique_ptr<TSceneScreen> screen_;
  std::unique_ptr<platform::TextFieldHost> text_fields_;
};

}  // namespace vorn
