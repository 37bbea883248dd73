#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/framebuffer.h"
#include "platform/geometry.h"

namespace vorn {

// Stand-ins for the tool strip until it lands: a flat grey strip with blank, clickable button
// rectangles. Captions are kept as data; sizes and the dock's height behave as the real ones.

class TToolbarButton97StandIn {
 public:
  std::string caption;  // CP932
  int width = 23;
  int height = 22;
  std::function<void()> on_click;
};

class TToolbar97StandIn {
 public:
  void AddButton(TToolbarButton97StandIn* button) { buttons_.push_back(button); }
  const std::vector<TToolbarButton97StandIn*>& buttons() const { return buttons_; }

  int height = 22;
  bool border = true;
  bool visible = true;

 private:
  std::vector<TToolbarButton97StandIn*> buttons_;
};

class TDock97StandIn {
 public:
  // 0 while no tool bar shows (the dock sizes itself to what it holds).
  int Height() const;
  // Shows or hides every tool bar of the dock.
  void Show(bool shown);
  bool Visible() const;
  void SetHeight(int height) { height_ = height; }
  void SetWidth(int width) { width_ = width; }
  void Insert(TToolbar97StandIn* toolbar) { toolbars_.push_back(toolbar); }

  platform::Rect bounds() const { return platform::Rect{0, 0, width_, Height()}; }
  // Where a button sits in the window's client area (empty when it is not in the dock).
  platform::Rect ButtonBounds(const TToolbarButton97StandIn* button) const;
  void Paint(platform::Framebuffer& canvas) const;
  // A press on a button arms it; the release on the same button clicks it.
  bool MouseDown(int x, int y);
  bool MouseUp(int x, int y);

 private:
  TToolbarButton97StandIn* ButtonAt(int x, int y) const;

  int height_ = 9;
  int width_ = 0;
  std::vector<TToolbar97StandIn*> toolbars_;
  TToolbarButton97StandIn* pressed_ = nullptr;
};

}  // namespace vorn
