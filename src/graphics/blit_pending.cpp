#include "graphics/custom_dibx.h"

namespace vorn {

void TCustomDIBX::DrawRotate(int, int, int, int, TCustomDIBX&, const TRect&, int, int, int, bool,
                             bool, bool, std::uint32_t) {}
void TCustomDIBX::DrawRotateMask(int, int, int, int, TCustomDIBX&, const TRect&, int, int, int,
                                 bool, bool, TCustomDIBX*, std::uint32_t) {}
void TCustomDIBX::StretchDraw(const TRect&, TCustomDIBX&, const TRect&, bool, bool, bool,
                              std::uint32_t) {}
void TCustomDIBX::StretchDrawMask(const TRect&, TCustomDIBX&, const TRect&, bool, bool,
                                  TCustomDIBX*, std::uint32_t) {}
void TCustomDIBX::StretchDrawAdd(const TRect&, TCustomDIBX&, const TRect&, bool, bool, bool,
                                 std::uint32_t) {}
void TCustomDIBX::StretchDrawMaskAdd(const TRect&, TCustomDIBX&, const TRect&, bool, bool,
                                     TCustomDIBX*, std::uint32_t) {}
void TCustomDIBX::DrawShrinkMono(int, int, TCustomDIBX&, const TRect&, std::uint32_t, bool, bool,
                                 std::uint32_t, int) {}
void TCustomDIBX::DrawShrinkQuad(int, int, TCustomDIBX&, const TRect&, const TShrinkColors&, int,
                                 bool, bool, std::uint32_t, int) {}
void TCustomDIBX::DrawRectTiled(const TRect&, int, int, TCustomDIBX&, const TRect&, bool, int,
                                int) {}
void TCustomDIBX::DrawOpacityTiled(const TRect&, int, int, TCustomDIBX&, const TRect&, bool,
                                   std::uint32_t, int, int) {}
void TCustomDIBX::DrawAddTiled(const TRect&, int, int, TCustomDIBX&, const TRect&, bool,
                               std::uint32_t, int, int) {}
void TCustomDIBX::DrawMaskTiled(const TRect&, int, int, TCustomDIBX&, const TRect&, TCustomDIBX*,
                                int, int) {}
void TCustomDIBX::DrawMaskOpacityTiled(const TRect&, int, int, TCustomDIBX&, const TRect&,
                                       TCustomDIBX*, std::uint32_t, int, int) {}
void TCustomDIBX::DrawMaskAddTiled(const TRect&, int, int, TCustomDIBX&, const TRect&,
                                   TCustomDIBX*, std::uint32_t, int, int) {}
void TCustomDIBX::StretchDrawTiled(const TRect&, int, int, int, int, TCustomDIBX&, const TRect&,
                                   bool, bool, bool, std::uint32_t, int, int) {}
void TCustomDIBX::StretchDrawMaskTiled(const TRect&, int, int, int, int, TCustomDIBX&,
                                       const TRect&, TCustomDIBX*, bool, bool, std::uint32_t, int,
                                       int) {}
void TCustomDIBX::DrawBorder(const TRect&, int, TCustomDIBX&, int, int) {}
void TCustomDIBX::DrawTable4(int, int, TCustomDIBX&, const TRect&, bool, bool, std::uint32_t,
                             const std::uint32_t*) {}
void TCustomDIBX::DrawTableAdd(int, int, TCustomDIBX&, const TRect&, int, bool, bool,
                               std::uint32_t, const std::uint32_t*) {}
void TCustomDIBX::StretchDrawTableAdd(const TRect&, TCustomDIBX&, const TRect&, int, bool, bool,
                                      std::uint32_t, const std::uint32_t*) {}
void TCustomDIBX::DrawScaledTiled(const TRect&, int, int, TCustomDIBX&, int, int, bool, bool,
                                  bool, std::uint32_t) {}
void TCustomDIBX::DrawScaledTiledMask(const TRect&, int, int, TCustomDIBX&, int, int, bool, bool,
                                      TCustomDIBX*, std::uint32_t) {}
void TCustomDIBX::FillPattern(const TRect&, TCustomDIBX&, int, int, bool, bool) {}
void TCustomDIBX::Present(TCanvas*, int, int, int, int, int, int, int, int) {}
void RotatedBlitSetup(int, int, int, int, int, const TRect&, int, int, int, int, bool, bool,
                      TRect& result) {
  result = TRect{};
}

}  // namespace vorn
