#pragma once

// The media library the player binds at start-up: one interface whose member functions carry the
// library's entry-point names. Handles are nonzero 32-bit values the player passes back unchanged;
// an unknown or stale handle answers 0 or false and does nothing. Booleans answered by the library
// count as true when nonzero.

#include <cstdint>

#include "media/stream_callbacks.h"

namespace vorn {
namespace platform {
class AudioOutput;
class Clock;
class Panel;
class Window;
}  // namespace platform

using VornHandle = std::uint32_t;

// What vornInit hands over. The library keeps the addresses and re-reads the variables when it
// needs them: the window and panel after a full-screen switch, the sound output after the
// DirectSound hand-over.
struct VornInitArgs {
  platform::Window* const* main_window = nullptr;
  platform::Panel* const* panel = nullptr;
  platform::AudioOutput* const* direct_sound = nullptr;
  StreamCallbacks callbacks;
  // Where sound runs without an output and where the library's threads wait.
  platform::Clock* clock = nullptr;
};

// A window message handed to the library: window, message number and both parameters.
struct VornEventRecord {
  platform::Window* window = nullptr;
  std::uint32_t message = 0;
  std::intptr_t wparam = 0;
  std::intptr_t lparam = 0;
};

struct VornRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

class TVornLibrary {
 public:
  static constexpr std::int32_t kExpectedVersion = 108;

  virtual ~TVornLibrary() = default;

  virtual std::int32_t vornVersion() = 0;
  virtual void vornInit(const VornInitArgs& args) = 0;
  virtual void vornFinal() = 0;

  // Sounds the library plays itself, through the DirectSound output.
  virtual void vornOggmanSetUseThread(bool use) = 0;
  virtual VornHandle vornOggmanAdd(void* stream, bool is_ogg) = 0;
  virtual void vornOggmanDel(VornHandle handle) = 0;
  virtual void vornOggmanRestore() = 0;
  virtual void vornOggPlay(VornHandle handle) = 0;
  virtual void vornOggPause(VornHandle handle) = 0;
  virtual bool vornOggIsPlaying(VornHandle handle) = 0;
  virtual bool vornOggIsPaused(VornHandle handle) = 0;
  virtual bool vornOggIsEnd(VornHandle handle) = 0;
  virtual bool vornOggGetAutoRepeat(VornHandle handle) = 0;
  virtual void vornOggSetAutoRepeat(VornHandle handle, bool repeat) = 0;
  virtual std::int32_t vornOggGetLen(VornHandle handle) = 0;
  virtual std::int32_t vornOggGetPosition(VornHandle handle) = 0;
  virtual void vornOggSetPosition(VornHandle handle, std::int32_t milliseconds) = 0;
  virtual std::int32_t vornOggGetVol(VornHandle handle) = 0;
  virtual void vornOggSetVol(VornHandle handle, std::int32_t volume) = 0;
  virtual std::int32_t vornOggGetPan(VornHandle handle) = 0;
  virtual void vornOggSetPan(VornHandle handle, std::int32_t pan) = 0;

  // Decoders that turn a stream into PCM for the player's own mixer.
  virtual VornHandle vornOggStrmanAdd(void* stream, bool is_ogg) = 0;
  virtual void vornOggStrmanDel(VornHandle handle) = 0;
  // Fills the 16-byte little-endian format record; false when the handle is unknown.
  virtual bool vornOggStrGetFormat(VornHandle handle, std::uint8_t* record) = 0;
  virtual std::int32_t vornOggStrRead(VornHandle handle, void* buffer, std::int32_t count) = 0;
  virtual std::int32_t vornOggStrGetSize(VornHandle handle) = 0;
  virtual std::int32_t vornOggStrGetPos(VornHandle handle) = 0;
  virtual std::int32_t vornOggStrSetPos(VornHandle handle, std::int32_t position) = 0;
  virtual std::int32_t vornOggStrGetLen(VornHandle handle) = 0;

  // Media-player sound (the library keeps its own copy of the file's bytes).
  virtual VornHandle vornWmpmanAdd(const void* data, std::uint32_t size) = 0;
  virtual void vornWmpmanDel(VornHandle handle) = 0;
  virtual void vornWmpmanProcessEvent(const VornEventRecord& event) = 0;
  virtual void vornWmpmanRestore() = 0;
  virtual void vornWmpPlay(VornHandle handle) = 0;
  virtual void vornWmpPause(VornHandle handle) = 0;
  virtual bool vornWmpIsPlaying(VornHandle handle) = 0;
  virtual bool vornWmpIsPaused(VornHandle handle) = 0;
  virtual bool vornWmpIsEnd(VornHandle handle) = 0;
  virtual bool vornWmpGetAutoRepeat(VornHandle handle) = 0;
  virtual void vornWmpSetAutoRepeat(VornHandle handle, bool repeat) = 0;
  virtual std::int32_t vornWmpGetLen(VornHandle handle) = 0;
  virtual std::int32_t vornWmpGetPosition(VornHandle handle) = 0;
  virtual void vornWmpSetPosition(VornHandle handle, std::int32_t milliseconds) = 0;
  virtual std::int32_t vornWmpGetVol(VornHandle handle) = 0;
  virtual void vornWmpSetVol(VornHandle handle, std::int32_t volume) = 0;
  virtual std::int32_t vornWmpGetPan(VornHandle handle) = 0;
  virtual void vornWmpSetPan(VornHandle handle, std::int32_t pan) = 0;

  // Movies.
  virtual VornHandle vornVidmanAdd(const char* path, void* stream, bool windowed) = 0;
  virtual void vornVidmanDel(VornHandle handle) = 0;
  virtual void vornVidmanProcessEvent(const VornEventRecord& event) = 0;
  virtual void vornVidmanSuspend() = 0;
  virtual void vornVidmanResume() = 0;
  virtual void vornVideoPlay(VornHandle handle) = 0;
  virtual void vornVideoPause(VornHandle handle) = 0;
  virtual bool vornVideoIsPlaying(VornHandle handle) = 0;
  virtual bool vornVideoIsPaused(VornHandle handle) = 0;
  virtual bool vornVideoIsEnd(VornHandle handle) = 0;
  virtual bool vornVideoGetAutoRepeat(VornHandle handle) = 0;
  virtual void vornVideoSetAutoRepeat(VornHandle handle, bool repeat) = 0;
  virtual std::int32_t vornVideoGetLen(VornHandle handle) = 0;
  virtual std::int32_t vornVideoGetPosition(VornHandle handle) = 0;
  virtual void vornVideoSetPosition(VornHandle handle, std::int32_t milliseconds) = 0;
  virtual std::int32_t vornVideoGetVol(VornHandle handle) = 0;
  virtual void vornVideoSetVol(VornHandle handle, std::int32_t volume) = 0;
  virtual std::int32_t vornVideoGetPan(VornHandle handle) = 0;
  virtual void vornVideoSetPan(VornHandle handle, std::int32_t pan) = 0;
  virtual std::int32_t vornVideoGetSourceWidth(VornHandle handle) = 0;
  virtual std::int32_t vornVideoGetSourceHeight(VornHandle handle) = 0;
  virtual void vornVideoSetRect(VornHandle handle, const VornRect& destination, const VornRect& second) = 0;
  virtual bool vornVideoGetVisible(VornHandle handle) = 0;
  virtual void vornVideoSetVisible(VornHandle handle, bool visible) = 0;
  // The current picture's drawing context; 0 while there is none.
  virtual std::uintptr_t vornVideoGetDC(VornHandle handle) = 0;
  virtual bool vornVideoNeedPaint(VornHandle handle) = 0;
};

}  // namespace vorn
