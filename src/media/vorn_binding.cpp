#include "media/vorn_binding.h"

#include <mutex>
#include <string>

#include "foundation/debug_trace.h"
#include "foundation/log_line.h"
#include "foundation/system_texts.h"
#include "media/vorn_media_library.h"
#include "platform/message_box.h"

namespace vorn {

platform::Window* VornMainWindowHandle = nullptr;
platform::Panel* VornPanelHandle = nullptr;
platform::AudioOutput* VornDirectSound = nullptr;
bool VornDirectSoundHandedOver = false;

namespace {

constexpr std::string_view kErrorCaption = "Error";

VornLibraryProvider& Provider() {
  static VornLibraryProvider provider;
  return provider;
}

struct Binding {
  int count = 0;
  std::unique_ptr<TVornLibrary> library;
};

Binding& Bound() {
  static Binding binding;
  return binding;
}

void Refuse(platform::MessageBoxes& boxes, std::string_view text) {
  platform::MessageBoxRequest request;
  request.text = std::string(text);
  request.caption = std::string(kErrorCaption);
  request.icon = platform::MessageIcon::kWarning;
  boxes.Show(request);
}

}  // namespace

VornLibraryProvider SetVornLibraryProvider(VornLibraryProvider provider) {
  VornLibraryProvider previous = std::move(Provider());
  Provider() = std::move(provider);
  return previous;
}

bool BindVornLibrary(platform::MessageBoxes& boxes) {
  Binding& binding = Bound();
  if (binding.count > 0) {
    ++binding.count;
    return true;
  }
  StreamCallbackLock();
  DebugTrace("InitDll");
  std::unique_ptr<TVornLibrary> library =
      Provider() ? Provider()(kVornLibraryName) : std::make_unique<TVornMediaLibrary>();
  if (!library) {
    LogLine("the media library vorn.dll is missing: the player ends");
    Refuse(boxes, texts::kVornLibraryMissing);
    return false;
  }
  const std::int32_t version = library->vornVersion();
  if (version != TVornLibrary::kExpectedVersion) {
    LogLine("the media library vorn.dll has version " + std::to_string(version) + ", not 108: the player ends");
    Refuse(boxes, texts::kVornLibraryVersionWrong);
    return false;
  }
  binding.library = std::move(library);
  binding.count = 1;
  return true;
}

void UnbindVornLibrary() {
  Binding& binding = Bound();
  if (binding.count == 0) return;
  if (--binding.count > 0) return;
  binding.library.reset();
  VornDirectSound = nullptr;
  VornDirectSoundHandedOver = false;
  VornMainWindowHandle = nullptr;
  VornPanelHandle = nullptr;
}

TVornLibrary* VornLibrary() { return Bound().library.get(); }

}  // namespace vorn
