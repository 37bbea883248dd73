#include "graphics/screen_manager_standin.h"

#include "foundation/standin_trace.h"

namespace vorn {

TScreenManagerStandIn* ScreenManager = nullptr;

TScreenManagerStandIn::TScreenManagerStandIn(platform::Panel& panel, int width, int height)
    : panel_(panel), surface_(width, height) {
  StandInCall("TScreenManager.Create");
}

TScreenManagerStandIn::~TScreenManagerStandIn() { StandInCall("TScreenManager.Free"); }

void TScreenManagerStandIn::Present() {
  StandInCall("TScreenManager.Present");
  panel_.StretchDraw(surface_.view(), platform::Rect{0, 0, surface_.width(), surface_.height()});
}

}  // namespace vorn
