#include "graphics/canvas.h"

#include "graphics/graphic.h"

namespace vorn {

void TCanvas::FillRect(const TRect& rect) {
  Changing();
  gdi::FillSolidRect(handle_, rect.left, rect.top, rect.right, rect.bottom, BrushColor);
  Changed();
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
  if (graphic.GetEmpty()) return;
  StretchDraw(MakeRect(x, y, x + graphic.GetWidth(), y + graphic.GetHeight()), graphic);
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic) {
  Changing();
  graphic.Draw(*this, rect);
  Changed();
}

void TCanvas::CopyRect(const TRect& destination, TCanvas& source, const TRect& sourceRect) {
  Changing();
  gdi::StretchBlt(handle_, destination.left, destination.top, destination.Width(), destination.Height(),
                  source.Handle(), sourceRect.left, sourceRect.top, sourceRect.Width(), sourceRect.Height(),
                  CopyMode);
  Changed();
}

}  // namespace vorn
