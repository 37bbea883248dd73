#pragma once

// A picture world with the input helpers the drawn controls (list box, menu, slider, scroll bar,
// gauge) are tested with: pointer moves and presses through the layer's mouse record, input steps
// at a fixed frame time, and the queue read back as "label code args".

#include <string>
#include <vector>

#include "components/picture_fixture.h"
#include "engine/engine_values.h"

namespace vorn::test {

// Solid-colour cells side by side, each cell_width wide.
inline TPictureFrame Cells(int cell_width, int height, const std::vector<TRgb>& colours) {
  TPictureFrame frame;
  frame.width = cell_width * static_cast<int>(colours.size());
  frame.height = height;
  frame.colour = [cell_width, colours](int x, int) { return colours[static_cast<std::size_t>(x / cell_width)]; };
  return frame;
}

class TDrawnWorld {
 public:
  explicit TDrawnWorld(std::int32_t frame_ms = 16) : previous_delta_(FrameDelta) { FrameDelta = frame_ms; }
  ~TDrawnWorld() {
    if (world.scene) {
      for (int i = world.scene->GetObjectCount() - 1; i >= 0; --i) world.scene->GetObject(i)->DeleteObject();
    }
    FrameDelta = previous_delta_;
  }
  TDrawnWorld(const TDrawnWorld&) = delete;
  TDrawnWorld& operator=(const TDrawnWorld&) = delete;

  void Start() {
    world.Start();
    world.scene->Events().Clear();
  }
  template <typename T>
  T* Make() {
    auto* control = CreateObject<T>(*world.scene);
    control->SetParent(world.scene->ActiveLayer());
    return control;
  }
  TVornBaseList& Scene() { return *world.scene; }
  TLayerMouse& Mouse() { return world.scene->ActiveLayer()->Mouse(); }
  void Move(int x, int y) { world.scene->ActiveLayer()->SetMousePos(x, y); }
  void Press(bool left = true) {
    (left ? Mouse().left_held : Mouse().right_held) = 1;
    (left ? Mouse().left_press_request : Mouse().right_press_request) = 1;
  }
  void Release() { Mouse().left_held = Mouse().right_held = 0; }
  // One input step; answers what it queued as "label code args" and empties the queue.
  std::vector<std::string> Step() {
    world.scene->ProcessInput();
    return TakeEvents();
  }
  std::vector<std::string> TakeEvents() {
    std::vector<std::string> posted;
    TTimerList& queue = world.scene->Events();
    for (int i = 0; i < queue.Count(); ++i) {
      const TTimerData& event = *queue.Item(i);
      std::string line = event.GetLabel() + " " + std::to_string(event.GetCode());
      for (int a = 0; a < event.GetArguments().Count(); ++a) line += " " + event.GetArguments().Get(a);
      posted.push_back(line);
    }
    queue.Clear();
    return posted;
  }
  // Paints the whole layer again onto a cleared surface.
  void PaintAll(TRgb background = 0) {
    world.Clear(background);
    world.scene->ActiveLayer()->InvalidateAll();
    world.scene->Paint();
  }
  TRgb At(int x, int y) { return world.At(x, y); }

  TPictureWorld world;

 private:
  std::int32_t previous_delta_;
};

}  // namespace vorn::test
