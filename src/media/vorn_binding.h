#pragma once

// Binding the media library by name at start-up: the library must be there and must be the
// version the player was made for, or the player tells the user and ends. The library found under
// the name is the in-process one unless a test has put another provider in place.

#include <functional>
#include <memory>
#include <string_view>

#include "media/vorn_library.h"

namespace vorn {
namespace platform {
class MessageBoxes;
}

inline constexpr std::string_view kVornLibraryName = "vorn.dll";

// Answers the library of that name, or null when there is none.
using VornLibraryProvider = std::function<std::unique_ptr<TVornLibrary>(std::string_view name)>;
// Installs a provider (an empty function restores the in-process library); answers the previous.
VornLibraryProvider SetVornLibraryProvider(VornLibraryProvider provider);

// Binds on the first call: creates the callback lock, traces "InitDll" and asks the provider.
// A missing library or another version shows its message box (no owner) and answers false: the
// program ends there. Later calls only count. Every call that answered true is matched by one
// UnbindVornLibrary; the last one frees the library.
bool BindVornLibrary(platform::MessageBoxes& boxes);
void UnbindVornLibrary();

// The bound library; null while none is bound.
TVornLibrary* VornLibrary();

// Binds for its lifetime.
class ScopedVornBinding {
 public:
  explicit ScopedVornBinding(platform::MessageBoxes& boxes) : bound_(BindVornLibrary(boxes)) {}
  ~ScopedVornBinding() {
    if (bound_) UnbindVornLibrary();
  }
  ScopedVornBinding(const ScopedVornBinding&) = delete;
  ScopedVornBinding& operator=(const ScopedVornBinding&) = delete;
  bool bound() const { return bound_; }

 private:
  bool bound_;
};

// The variables whose addresses the library receives at its initialisation: the main window and
// its drawing panel (written before every hand-over of new handles) and the sound output the
// library plays through, empty until the first library-played sound hands it over.
extern platform::Window* VornMainWindowHandle;
extern platform::Panel* VornPanelHandle;
extern platform::AudioOutput* VornDirectSound;
// Set by the first library-played sound, which hands the output over.
extern bool VornDirectSoundHandedOver;

}  // namespace vorn
