#pragma once

namespace vorn {

// Puts the component kinds whose classes live with the films (the cinema and the preview menu)
// into the component factory's slots. The application calls it once at start-up, before any
// project runs.
void RegisterMotionComponents();

}  // namespace vorn
