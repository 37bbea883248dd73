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

// A screen layer: only its dirty-rectangle list so far.
class TVornBaseStandIn {
 public:
  TClipList& dirty() { return dirty_; }
  void AddDirty(const TRect& rect) { dirty_.AddRect(rect); }
  void ClearDirty();

  int index = 0;

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
  TVornBaseStandIn& GetBase(int index) { return layers_[index == 0 ? 0 : 1]; }

  void ProcessInput();
  void Tick();
  // Composes the test pattern on the screen manager's surface.
  void Paint();

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  int active_layer_ = 0;
  TVornBaseStandIn layers_[2];
  bool painted_once_ = false;
  std::optional<TRect> square_;  // where the square was drawn last
};

// What the scene creates at engine start and frees at shutdown.
struct SceneGlobalsStandIn {
  std::unique_ptr<TVornBaseListStandIn> bases;
};

// The process-wide scene list while it exists.
extern TVornBaseListStandIn* Bases;

// Stand-in for the drawing panel: raises the mouse and key events the main window handles, and
// paints the scene's screen surface stretched over its client area.
class TBasePanelStandIn {
 public:
  explicit TBasePanelStandIn(platform::Panel& panel);

  platform::Panel& panel() { return panel_; }
  // Creates the scene globals (scene list first) and makes them the process-wide ones.
  std::unique_ptr<SceneGlobalsStandIn> CreateScene();
  void Paint();

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
