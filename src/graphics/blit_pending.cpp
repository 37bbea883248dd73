#include "graphics/custom_dibx.h"

namespace vorn {

void TCustomDIBX::Present(TCanvas*, int, int, int, int, int, int, int, int) {}

}  // namespace vorn
