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

// Scaffolding until the scene lands: a scene list with two layers that paints a test pattern
// (eight colour bars and a white square moving with the game clock) on the screen surface.

// A screen layer: its dirty-rectangle list and its mouse state.
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

 private:
  TClipList dirty_;
};

class TVornBaseListStandIn {
 public:
  TVornBaseListStandIn();
  ~TVornBaseListStandIn();
  TVornBaseListStandIn(const TVornBaseListStandIn&) = delete;
  TVornBaseListStandIn& operator=(const TVornBaseListStandIn&) = delete;

  std::int32_t GetWidth() const { return width_; }
  std::int32_t GetHeight() const { return height_; }
  void SetWidth(std::int32_t width) { width_ = width; }
  void SetHeight(std::int32_t height) { height_ = height; }
  int active_layer() const { return active_layer_; }
  void set_active_layer(int index) { active_layer_ = index & 1; }
  TVornBaseStandIn& GetBase(int index) { return layers_[index == 0 ? 0 : 1]; }
  TVornBaseStandIn& ActiveLayer() { return layers_[active_layer_]; }

  // Keys: a held flag and a click latch per virtual-key code 0..255 (others are ignored).
  void SetKeyDown(int code, bool down);
  void SetKeyClick(int code, bool click);
  bool KeyDown(int code) const { return code >= 0 && code < 256 && key_down_[code]; }
  bool KeyClick(int code) const { return code >= 0 && code < 256 && key_click_[code]; }
  void ClearKeys();

  // The scene's surfaces go before a screen switch and come back at the screen's new depth.
  void ReleaseSurfaces();
  void RestoreSurfaces();
  // The scene's own (transition) rectangle and display scale.
  TRect& own_dirty() { return own_dirty_; }
  int zoom = 100;

  void ProcessInput();
  void Tick();
  // Composes the test pattern on the screen manager's surface.
  void Paint();

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  int active_layer_ = 0;
  TVornBaseStandIn layers_[2];
  bool key_down_[256] = {};
  bool key_click_[256] = {};
  TRect own_dirty_{};
  bool painted_once_ = false;
  std::optional<TRect> square_;  // where the square was drawn last
};

// What the scene creates at engine start and frees at shutdown.
struct SceneGlobalsStandIn {
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
