#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "foundation/clip_list.h"
#include "foundation/rect.h"
#include "platform/panel.h"
#include "platform/window.h"

namespace vorn {

// Scaffolding until the scene lands: a scene list with two layers that keeps the input state and
// paints a test pattern (eight colour bars and a white square moving with the game clock) on the
// screen surface. The real scene (TVornBaseList) stands behind it: scripts find its layers, and
// its layers get their surfaces and paint before the pattern.

class TVornBaseList;
class TLayerSurfaces;

// A screen layer: its dirty-rectangle list and its mouse state. The window writes the click and
// wheel requests; the input step latches them into the pressed flags scripts read.
class TVornBaseStandIn {
 public:
  TClipList& dirty() { return dirty_; }
  void AddDirty(const TRect& rect) { dirty_.AddRect(rect); }
  void ClearDirty();
  void SetMousePos(int x, int y) {
    mouse_x = x;
    mouse_y = y;
  }

  int index = 0;
  int mouse_x = 0;
  int mouse_y = 0;
  bool left_held = false;
  bool right_held = false;
  bool left_click = false;
  bool right_click = false;
  bool wheel_up = false;
  bool wheel_down = false;
  // Latched by the input step, for one step.
  bool left_pressed = false;
  bool right_pressed = false;
  bool wheel_up_latched = false;
  bool wheel_down_latched = false;

  // The step's latch: requests become the flags and are cleared.
  void LatchMouse();

 private:
  TClipList dirty_;
};

class TVornBaseListStandIn {
 public:
  TVornBaseListStandIn();
  ~TVornBaseListStandIn();
  TVornBaseListStandIn(const TVornBaseListStandIn&) = delete;
  TVornBaseListStandIn& operator=(const TVornBaseListStandIn&) = delete;

  // The real scene and its layers' surfaces; both outlive the stand-in.
  void AttachScene(TVornBaseList* scene, TLayerSurfaces* surfaces);
  TVornBaseList* scene() const { return scene_; }
  TLayerSurfaces* layer_surfaces() const { return surfaces_; }

  std::int32_t GetWidth() const { return width_; }
  std::int32_t GetHeight() const { return height_; }
  // Also the real scene's size, which sizes its layers' surfaces.
  void SetWidth(std::int32_t width);
  void SetHeight(std::int32_t height);
  int active_layer() const;
  void set_active_layer(int index);
  TVornBaseStandIn& GetBase(int index) { return layers_[index == 0 ? 0 : 1]; }
  TVornBaseStandIn& ActiveLayer() { return layers_[active_layer()]; }

  // Keys: a held flag and a click request per virtual-key code 0..255 (others are ignored).
  // Going down or up also requests a push; going down starts the key's repeat timer.
  void SetKeyDown(int code, bool down);
  void SetKeyClick(int code, bool click);
  bool KeyDown(int code) const { return code >= 0 && code < 256 && key_down_[code]; }
  bool KeyClick(int code) const { return code >= 0 && code < 256 && key_click_[code]; }
  // What the last input step latched: clicked, and went down or repeated.
  bool KeyClicked(int code) const { return code >= 0 && code < 256 && key_clicked_[code]; }
  bool KeyPushed(int code) const { return code >= 0 && code < 256 && key_pushed_[code]; }
  // Held keys, requests and timers; the latched tables keep this step's values.
  void ClearKeys();

  // The scene's surfaces go before a screen switch and come back at the screen's new depth.
  void ReleaseSurfaces();
  void RestoreSurfaces();
  // The scene's own (transition) rectangle and display scale.
  TRect& own_dirty() { return own_dirty_; }
  int zoom = 100;

  // Chooses the key focus when asked to, latches keys and the active layer's mouse requests,
  // sends key events to the focused control, then advances the held keys' repeat timers by the
  // frame's elapsed time.
  void ProcessInput();
  void Tick();
  // Paints the real layers, then composes the test pattern on the screen manager's surface.
  void Paint();

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  int active_layer_ = 0;
  TVornBaseStandIn layers_[2];
  bool key_down_[256] = {};
  bool key_click_[256] = {};
  bool key_clicked_[256] = {};
  bool key_push_request_[256] = {};
  bool key_pushed_[256] = {};
  std::int32_t key_timer_[256] = {};
  // Raised by keys going down, going up and repeating; sent to the focused control once a step.
  bool key_down_flag_ = false;
  bool key_up_flag_ = false;
  bool key_repeat_flag_ = false;
  TVornBaseList* scene_ = nullptr;
  TLayerSurfaces* surfaces_ = nullptr;
  TRect own_dirty_{};
  bool painted_once_ = false;
  std::optional<TRect> square_;  // where the square was drawn last
};

// What the scene creates at engine start and frees at shutdown.
struct SceneGlobalsStandIn {
  SceneGlobalsStandIn();
  ~SceneGlobalsStandIn();
  std::unique_ptr<TVornBaseList> scene;
  std::unique_ptr<TLayerSurfaces> surfaces;
  std::unique_ptr<TVornBaseListStandIn> bases;
};

// The process-wide scene list while it exists.
extern TVornBaseListStandIn* Bases;

// Stand-in for the drawing panel: raises the mouse and key events the main window handles.
class TBasePanelStandIn {
 public:
  explicit TBasePanelStandIn(platform::Panel& panel);

  platform::Panel& panel() { return panel_; }
  // Creates the scene globals (scene list first) and makes them the process-wide ones.
  std::unique_ptr<SceneGlobalsStandIn> CreateScene();

  std::function<void(platform::MouseButton, unsigned shift, int x, int y)> OnMouseDown;
  std::function<void(unsigned shift, int x, int y)> OnMouseMove;
  std::function<void(platform::MouseButton, unsigned shift, int x, int y)> OnMouseUp;
  std::function<void(int key)> OnKeyDown;
  std::function<void(int key)> OnKeyUp;

 private:
  platform::Panel& panel_;
};

// The scene's grey colour tables (nothing to build until the surfaces land).
void BuildGreyTables();
// Frees the scene globals in order and clears the process-wide pointer.
void FreeSceneGlobals(std::unique_ptr<SceneGlobalsStandIn>& globals);

}  // namespace vorn
