#pragma once

#include "platform/icon_chooser.h"

namespace vorn::platform::sdl {

// SDL has no list or picture widgets: a message box with one button per row, without a preview.
// Install it with SetIconChooser once the video subsystem is up.
class SdlIconChooser final : public IconChooser {
 public:
  int Choose(const IconChooserRequest& request) override;
};

}  // namespace vorn::platform::sdl
