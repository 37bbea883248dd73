#include "toolstrip/strip_form.h"

#include <algorithm>
#include <span>

#include "toolstrip/toolbar_button97.h"

namespace vorn {
namespace {

platform::Rect Union(const platform::Rect& a, const platform::Rect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  const int left = std::min(a.left, b.left);
  const int top = std::min(a.top, b.top);
  return platform::Rect{left, top, std::max(a.right(), b.right()) - left, std::max(a.bottom(), b.bottom()) - top};
}

}  // namespace

TStripForm::TStripForm(platform::Window& window, platform::Clock& clock, platform::TextRenderer* font)
    : window_(window), clock_(clock), font_(font) {
  const platform::Size client = window.ClientSize();
  SetBounds(platform::Rect{0, 0, client.width, client.height});
}

TStripForm::~TStripForm() { captured_ = nullptr; }

void TStripForm::Repaint(const platform::Rect& rect) {
  if (!painting_enabled_ || rect.empty()) return;
  if (update_holds_ > 0) {
    pending_ = Union(pending_, rect);
    return;
  }
  platform::Framebuffer& canvas = window_.Canvas();
  const platform::Rect area = platform::Intersect(rect, canvas.bounds());
  if (area.empty()) return;
  TStripPainter painter(canvas, font_, area);
  PaintTree(painter);
  window_.Flush(std::span<const platform::Rect>(&area, 1));
}

void TStripForm::ReleaseUpdates() {
  if (update_holds_ > 0 && --update_holds_ == 0 && !pending_.empty()) {
    const platform::Rect rect = pending_;
    pending_ = platform::Rect{};
    Repaint(rect);
  }
}

TStripControl* TStripForm::ControlUnderCursor() {
  if (!pointer_inside_) return nullptr;
  TStripControl* hit = ControlAt(pointer_x_, pointer_y_);
  return hit == this ? nullptr : hit;
}

void TStripForm::SetCapture(TStripControl* control) {
  if (control == captured_) return;
  captured_ = control;
  window_.CaptureMouse(control != nullptr);
}

TStripControl* TStripForm::Target(int x, int y) {
  if (captured_) return captured_;
  TStripControl* hit = ControlAt(x, y);
  return hit == this ? nullptr : hit;
}

bool TStripForm::WindowMouseDown(platform::MouseButton button, unsigned shift, int x, int y, bool double_click) {
  pointer_inside_ = true;
  pointer_x_ = x;
  pointer_y_ = y;
  TStripControl* target = Target(x, y);
  if (!target) return false;
  const platform::Rect r = target->WindowRect();
  target->MouseDown(button, shift, x - r.left, y - r.top, double_click);
  return true;
}

bool TStripForm::WindowMouseMove(unsigned shift, int x, int y) {
  pointer_inside_ = true;
  pointer_x_ = x;
  pointer_y_ = y;
  TStripControl* target = Target(x, y);
  // A move over anything but the hot button ends its hot state at once.
  TToolbarButton97* hot = TToolbarButton97::HotButton();
  if (hot && hot != target && hot->Form() == this) hot->MouseLeft();
  if (!target) return false;
  const platform::Rect r = target->WindowRect();
  target->MouseMove(shift, x - r.left, y - r.top);
  return true;
}

bool TStripForm::WindowMouseUp(platform::MouseButton button, unsigned shift, int x, int y) {
  pointer_x_ = x;
  pointer_y_ = y;
  TStripControl* target = Target(x, y);
  if (!target) return false;
  const platform::Rect r = target->WindowRect();
  target->MouseUp(button, shift, x - r.left, y - r.top);
  return true;
}

void TStripForm::WindowMouseLeave() { pointer_inside_ = false; }

void TStripForm::SetActive(bool active) {
  active_ = active;
  if (active) return;
  if (TStripControl* held = captured_) held->CancelMode();
  TToolbarButton97::ApplicationDeactivated(this);
}

void TStripForm::PollTimers() { TToolbarButton97::PollTimers(this); }

std::optional<std::uint32_t> TStripForm::NextTimerDue() { return TToolbarButton97::NextTimerDue(this); }

}  // namespace vorn
