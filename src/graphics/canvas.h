#pragma once

// A drawing canvas over a memory device context. Every write first calls OnChanging, so the
// picture that owns the pixels can make them its own (copy-on-write) before they change.

#include <cstdint>
#include <functional>

#include "foundation/rect.h"
#include "platform/gdi/gdi.h"

namespace vorn {

class TGraphic;

class TCanvas {
 public:
  gdi::HDC Handle() const { return handle_; }
  void SetHandle(gdi::HDC handle) { handle_ = handle; }
  bool HandleAllocated() const { return handle_ != nullptr; }

  std::function<void()> OnChanging;
  std::function<void()> OnChange;

  gdi::COLORREF BrushColor = gdi::RGB(255, 255, 255);
  std::uint32_t CopyMode = gdi::SRCCOPY;

  // Solid fill with the brush colour.
  void FillRect(const TRect& rect);
  // The graphic's whole picture at x, y, at its own size.
  void Draw(int x, int y, TGraphic& graphic);
  void StretchDraw(const TRect& rect, TGraphic& graphic);
  void CopyRect(const TRect& destination, TCanvas& source, const TRect& sourceRect);

  void Changing() {
    if (OnChanging) OnChanging();
  }
  void Changed() {
    if (OnChange) OnChange();
  }

 private:
  gdi::HDC handle_ = nullptr;
};

}  // namespace vorn
