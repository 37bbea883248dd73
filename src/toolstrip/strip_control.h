#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/errors.h"
#include "platform/geometry.h"
#include "platform/window.h"
#include "toolstrip/strip_painter.h"

namespace vorn {

class TStripForm;

// A control placed where its kind may not go.
class EToolStripError : public Exception {
 public:
  using Exception::Exception;
};

using TStripMouseEvent = std::function<void(platform::MouseButton button, unsigned shift, int x, int y)>;
using TStripMoveEvent = std::function<void(unsigned shift, int x, int y)>;

// One control of the tool strip: a rectangle within its parent's client area, drawn into the
// window's canvas above the drawing panel. The form owns the controls; parent and child links
// are kept up to date by both ends, so a control that goes leaves no link behind.
class TStripControl {
 public:
  TStripControl();
  virtual ~TStripControl();
  TStripControl(const TStripControl&) = delete;
  TStripControl& operator=(const TStripControl&) = delete;

  TStripControl* Parent() const { return parent_; }
  // Raises when this kind of control may not sit on the new parent.
  void SetParent(TStripControl* parent);
  const std::vector<TStripControl*>& Children() const { return children_; }
  // The form at the root, or null while the control is not on one.
  virtual TStripForm* Form();

  // Position and size in the parent's client area.
  const platform::Rect& Bounds() const { return bounds_; }
  void SetBounds(const platform::Rect& bounds);
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.width; }
  int Height() const { return bounds_.height; }
  // The area the children sit in, in the control's own coordinates.
  virtual platform::Rect ClientRect() const { return platform::Rect{0, 0, bounds_.width, bounds_.height}; }
  // The control's rectangle and top-left corner in window coordinates.
  platform::Rect WindowRect() const;

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Visible, and every parent up to the form too.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  std::uint32_t Color() const { return color_; }
  void SetColor(std::uint32_t bgr);

  // Tells the children that this control's size changed.
  void NotifyChildrenOfResize();
  // Paints this control's rectangle again and presents it (nothing while it does not show).
  void Invalidate();
  // The control, then its showing children over it.
  void PaintTree(TStripPainter& painter);
  // The deepest showing control at a window point, this one included; null outside.
  TStripControl* ControlAt(int window_x, int window_y);

  // Mouse input in the control's own coordinates.
  virtual void MouseDown(platform::MouseButton button, unsigned shift, int x, int y, bool double_click);
  virtual void MouseMove(unsigned shift, int x, int y);
  virtual void MouseUp(platform::MouseButton button, unsigned shift, int x, int y);
  // The pointer's capture or the window's focus was taken away while a button was held.
  virtual void CancelMode() {}

  TStripMouseEvent OnMouseDown;
  TStripMoveEvent OnMouseMove;
  TStripMouseEvent OnMouseUp;
  std::function<void()> OnResize;
  std::function<void()> OnMove;

 protected:
  virtual void Paint(TStripPainter& painter);
  virtual void CheckParent(TStripControl* /*parent*/) {}
  virtual void ParentChanged(TStripControl* /*old_parent*/) {}
  virtual void ChildrenChanged() {}
  // A child moved, was resized, shown or hidden.
  virtual void ChildChanged(TStripControl* /*child*/) {}
  // The parent's size changed (docks follow their edge).
  virtual void ParentResized() {}
  virtual void BoundsChanged(const platform::Rect& /*old_bounds*/) {}
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}

 private:
  void Detach();

  TStripControl* parent_ = nullptr;
  std::vector<TStripControl*> children_;
  platform::Rect bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  std::uint32_t color_;
};

}  // namespace vorn
