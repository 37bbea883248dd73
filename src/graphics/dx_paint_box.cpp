#include "graphics/dx_paint_box.h"

#include <algorithm>
#include <cmath>

namespace vorn {

TCustomDXPaintBox::TCustomDXPaintBox() = default;

void TCustomDXPaintBox::Invalidate() {
  ++invalidateCount_;
  if (OnInvalidate) OnInvalidate();
}

namespace {
template <typename T>
void Update(T& field, T value, TCustomDXPaintBox& box) {
  if (field == value) return;
  field = value;
  box.Invalidate();
}
}  // namespace

void TCustomDXPaintBox::SetAutoStretch(bool value) { Update(autoStretch_, value, *this); }
void TCustomDXPaintBox::SetCenter(bool value) { Update(center_, value, *this); }
void TCustomDXPaintBox::SetKeepAspect(bool value) { Update(keepAspect_, value, *this); }
void TCustomDXPaintBox::SetStretch(bool value) { Update(stretch_, value, *this); }
void TCustomDXPaintBox::SetViewWidth(int value) { Update(viewWidth_, std::max(value, 0), *this); }
void TCustomDXPaintBox::SetViewHeight(int value) { Update(viewHeight_, std::max(value, 0), *this); }

void TCustomDXPaintBox::SetDIB(TDIB* value) {
  if (value == &dib_) return;
  dib_.Assign(value);
  Invalidate();
}

void TCustomDXPaintBox::SetBounds(int left, int top, int width, int height) {
  Left = left;
  Top = top;
  Width = width;
  Height = height;
}

std::optional<TRect> TCustomDXPaintBox::DrawRect() const {
  if (dib_.GetEmpty()) return std::nullopt;
  const int bw = dib_.GetWidth();
  const int bh = dib_.GetHeight();
  int w = bw;
  int h = bh;
  // Sizes round halves to the even neighbour (the default rounding mode), as the layout rules do.
  auto fitted = [&] {
    const float scale = std::min(static_cast<float>(Width) / static_cast<float>(bw),
                                 static_cast<float>(Height) / static_cast<float>(bh));
    w = static_cast<int>(std::nearbyint(static_cast<float>(bw) * scale));
    h = static_cast<int>(std::nearbyint(static_cast<float>(bh) * scale));
  };
  if (viewWidth_ > 0 || viewHeight_ > 0) {
    w = viewWidth_ > 0 ? viewWidth_ : bw;
    h = viewHeight_ > 0 ? viewHeight_ : bh;
    if (autoStretch_ && (Width < w || Height < h)) {
      const double scale = std::min(static_cast<double>(Width) / w, static_cast<double>(Height) / h);
      w = static_cast<int>(std::nearbyint(w * scale));
      h = static_cast<int>(std::nearbyint(h * scale));
    }
  } else if (autoStretch_) {
    if (!(Width >= bw && Height >= bh)) fitted();
  } else if (stretch_) {
    if (keepAspect_) {
      fitted();
    } else {
      w = Width;
      h = Height;
    }
  }
  const int x = center_ ? (Width - w) / 2 : 0;
  const int y = center_ ? (Height - h) / 2 : 0;
  return MakeRect(x, y, x + w, y + h);
}

void TCustomDXPaintBox::Paint(TCanvas& canvas) {
  const auto rect = DrawRect();
  if (!rect) return;
  // The bitmap's own size is a stretch onto a rectangle of that size: an unscaled copy.
  dib_.Draw(canvas, *rect);
}

}  // namespace vorn
