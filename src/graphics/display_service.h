#pragma once

#include "platform/display_surface.h"

namespace vorn {

// The display service of the screen manager (the stand-in for its DirectDraw object): the screen
// manager installs it when it sets the screen up and removes it (nullptr) before freeing it.
// TDxDIBX makes its surfaces through it; without one, SetSize makes nothing and the surface
// stays empty.
platform::DisplayService* GetScreenDisplayService();
void SetScreenDisplayService(platform::DisplayService* service);

}  // namespace vorn
