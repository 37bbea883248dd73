#pragma once

// A light control that shows a TDIB at its natural size, centred, stretched, fitted with its
// proportions kept, or at a chosen view size, drawn onto a canvas of the software DC layer.

#include <functional>
#include <optional>

#include "foundation/rect.h"
#include "graphics/dib.h"

namespace vorn {

class TCustomDXPaintBox {
 public:
  TCustomDXPaintBox();
  virtual ~TCustomDXPaintBox() = default;
  TCustomDXPaintBox(const TCustomDXPaintBox&) = delete;
  TCustomDXPaintBox& operator=(const TCustomDXPaintBox&) = delete;

  bool AutoStretch() const { return autoStretch_; }
  bool Center() const { return center_; }
  bool KeepAspect() const { return keepAspect_; }
  bool Stretch() const { return stretch_; }
  int ViewWidth() const { return viewWidth_; }
  int ViewHeight() const { return viewHeight_; }
  TDIB& DIB() { return dib_; }

  void SetAutoStretch(bool value);
  void SetCenter(bool value);
  void SetKeepAspect(bool value);
  void SetStretch(bool value);
  // Negative sizes are stored as 0 (not set).
  void SetViewWidth(int value);
  void SetViewHeight(int value);
  // Shares the given bitmap's store; the owned bitmap itself is left alone.
  void SetDIB(TDIB* value);
  gdi::HPALETTE GetPalette() const { return dib_.GetPalette(); }

  // The client area; the control starts 105 x 105.
  int Width = 105;
  int Height = 105;
  void SetBounds(int left, int top, int width, int height);
  int Left = 0;
  int Top = 0;

  // Where Paint draws the bitmap in client coordinates; nothing for an empty bitmap.
  std::optional<TRect> DrawRect() const;
  // Draws onto a canvas whose origin is the control's client origin.
  virtual void Paint(TCanvas& canvas);

  // Asks the host to repaint the control; counted so a host without one can tell.
  void Invalidate();
  std::function<void()> OnInvalidate;
  int InvalidateCount() const { return invalidateCount_; }

 private:
  bool autoStretch_ = false;
  bool center_ = false;
  TDIB dib_;
  bool keepAspect_ = false;
  bool stretch_ = false;
  int viewWidth_ = 0;
  int viewHeight_ = 0;
  int invalidateCount_ = 0;
};

class TDXPaintBox : public TCustomDXPaintBox {};

}  // namespace vorn
