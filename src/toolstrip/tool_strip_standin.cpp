#include "toolstrip/tool_strip_standin.h"

#include "platform/face_colors.h"

namespace vorn {
namespace {

constexpr std::uint32_t kFace = platform::FaceXrgb(platform::kFaceColors.face);
constexpr std::uint32_t kHighlight = platform::FaceXrgb(platform::kFaceColors.highlight);
constexpr std::uint32_t kShadow = platform::FaceXrgb(platform::kFaceColors.shadow);
constexpr int kFirstButtonLeft = 2;

}  // namespace

int TDock97StandIn::Height() const { return toolbars_.empty() || Visible() ? height_ : 0; }

bool TDock97StandIn::Visible() const {
  for (const TToolbar97StandIn* toolbar : toolbars_) {
    if (toolbar->visible) return true;
  }
  return false;
}

void TDock97StandIn::Show(bool shown) {
  for (TToolbar97StandIn* toolbar : toolbars_) toolbar->visible = shown;
  if (!shown) pressed_ = nullptr;
}

platform::Rect TDock97StandIn::ButtonBounds(const TToolbarButton97StandIn* button) const {
  for (const TToolbar97StandIn* toolbar : toolbars_) {
    if (!toolbar->visible) continue;
    const int top = (height_ - toolbar->height) / 2;
    int left = kFirstButtonLeft;
    for (const TToolbarButton97StandIn* candidate : toolbar->buttons()) {
      if (candidate == button) return platform::Rect{left, top, candidate->width, candidate->height};
      left += candidate->width;
    }
  }
  return platform::Rect{};
}

TToolbarButton97StandIn* TDock97StandIn::ButtonAt(int x, int y) const {
  for (const TToolbar97StandIn* toolbar : toolbars_) {
    for (TToolbarButton97StandIn* button : toolbar->buttons()) {
      if (ButtonBounds(button).Contains(x, y)) return button;
    }
  }
  return nullptr;
}

void TDock97StandIn::Paint(platform::Framebuffer& canvas) const {
  canvas.FillRect(bounds(), kFace);
  for (const TToolbar97StandIn* toolbar : toolbars_) {
    for (const TToolbarButton97StandIn* button : toolbar->buttons()) {
      const platform::Rect r = ButtonBounds(button);
      if (r.empty()) continue;
      canvas.FillRect(platform::Rect{r.left, r.top, r.width, 1}, kHighlight);
      canvas.FillRect(platform::Rect{r.left, r.top, 1, r.height}, kHighlight);
      canvas.FillRect(platform::Rect{r.left, r.bottom() - 1, r.width, 1}, kShadow);
      canvas.FillRect(platform::Rect{r.right() - 1, r.top, 1, r.height}, kShadow);
    }
  }
}

bool TDock97StandIn::MouseDown(int x, int y) {
  if (!bounds().Contains(x, y)) return false;
  pressed_ = ButtonAt(x, y);
  return true;
}

bool TDock97StandIn::MouseUp(int x, int y) {
  TToolbarButton97StandIn* pressed = pressed_;
  pressed_ = nullptr;
  if (pressed == nullptr) return false;
  if (ButtonAt(x, y) == pressed && pressed->on_click) pressed->on_click();
  return true;
}

}  // namespace vorn
