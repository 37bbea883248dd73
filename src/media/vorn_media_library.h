#pragma once

// The media library of this player, built in: Ogg Vorbis and WAV decoded from the player's streams
// (read only through the stream callbacks), played by the library itself through the sound output
// it was handed, or handed out as PCM to the player's own mixer. Media-player sound and movies
// answer 0 or false.

#include <atomic>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "media/library_sounds.h"
#include "media/sound_decoder.h"
#include "media/vorn_library.h"

namespace vorn {

class TVornMediaLibrary : public TVornLibrary {
 public:
  static constexpr std::int32_t kVersion = 108;

  TVornMediaLibrary();
  ~TVornMediaLibrary() override;

  std::int32_t vornVersion() override { return kVersion; }
  void vornInit(const VornInitArgs& args) override;
  void vornFinal() override;

  void vornOggmanSetUseThread(bool use) override;
  VornHandle vornOggmanAdd(void* stream, bool is_ogg) override;
  void vornOggmanDel(VornHandle handle) override;
  void vornOggmanRestore() override;
  void vornOggPlay(VornHandle handle) override;
  void vornOggPause(VornHandle handle) override;
  bool vornOggIsPlaying(VornHandle handle) override;
  bool vornOggIsPaused(VornHandle handle) override;
  bool vornOggIsEnd(VornHandle handle) override;
  bool vornOggGetAutoRepeat(VornHandle handle) override;
  void vornOggSetAutoRepeat(VornHandle handle, bool repeat) override;
  std::int32_t vornOggGetLen(VornHandle handle) override;
  std::int32_t vornOggGetPosition(VornHandle handle) override;
  void vornOggSetPosition(VornHandle handle, std::int32_t milliseconds) override;
  std::int32_t vornOggGetVol(VornHandle handle) override;
  void vornOggSetVol(VornHandle handle, std::int32_t volume) override;
  std::int32_t vornOggGetPan(VornHandle handle) override;
  void vornOggSetPan(VornHandle handle, std::int32_t pan) override;

  VornHandle vornOggStrmanAdd(void* stream, bool is_ogg) override;
  void vornOggStrmanDel(VornHandle handle) override;
  bool vornOggStrGetFormat(VornHandle handle, std::uint8_t* record) override;
  std::int32_t vornOggStrRead(VornHandle handle, void* buffer, std::int32_t count) override;
  std::int32_t vornOggStrGetSize(VornHandle handle) override;
  std::int32_t vornOggStrGetPos(VornHandle handle) override;
  std::int32_t vornOggStrSetPos(VornHandle handle, std::int32_t position) override;
  std::int32_t vornOggStrGetLen(VornHandle handle) override;

  VornHandle vornWmpmanAdd(const void*, std::uint32_t) override { return 0; }
  void vornWmpmanDel(VornHandle) override {}
  void vornWmpmanProcessEvent(const VornEventRecord&) override {}
  void vornWmpmanRestore() override {}
  void vornWmpPlay(VornHandle) override {}
  void vornWmpPause(VornHandle) override {}
  bool vornWmpIsPlaying(VornHandle) override { return false; }
  bool vornWmpIsPaused(VornHandle) override { return false; }
  bool vornWmpIsEnd(VornHandle) override { return false; }
  bool vornWmpGetAutoRepeat(VornHandle) override { return false; }
  void vornWmpSetAutoRepeat(VornHandle, bool) override {}
  std::int32_t vornWmpGetLen(VornHandle) override { return 0; }
  std::int32_t vornWmpGetPosition(VornHandle) override { return 0; }
  void vornWmpSetPosition(VornHandle, std::int32_t) override {}
  std::int32_t vornWmpGetVol(VornHandle) override { return 0; }
  void vornWmpSetVol(VornHandle, std::int32_t) override {}
  std::int32_t vornWmpGetPan(VornHandle) override { return 0; }
  void vornWmpSetPan(VornHandle, std::int32_t) override {}

  VornHandle vornVidmanAdd(const char*, void*, bool) override { return 0; }
  void vornVidmanDel(VornHandle) override {}
  void vornVidmanProcessEvent(const VornEventRecord&) override {}
  void vornVidmanSuspend() override {}
  void vornVidmanResume() override {}
  void vornVideoPlay(VornHandle) override {}
  void vornVideoPause(VornHandle) override {}
  bool vornVideoIsPlaying(VornHandle) override { return false; }
  bool vornVideoIsPaused(VornHandle) override { return false; }
  bool vornVideoIsEnd(VornHandle) override { return false; }
  bool vornVideoGetAutoRepeat(VornHandle) override { return false; }
  void vornVideoSetAutoRepeat(VornHandle, bool) override {}
  std::int32_t vornVideoGetLen(VornHandle) override { return 0; }
  std::int32_t vornVideoGetPosition(VornHandle) override { return 0; }
  void vornVideoSetPosition(VornHandle, std::int32_t) override {}
  std::int32_t vornVideoGetVol(VornHandle) override { return 0; }
  void vornVideoSetVol(VornHandle, std::int32_t) override {}
  std::int32_t vornVideoGetPan(VornHandle) override { return 0; }
  void vornVideoSetPan(VornHandle, std::int32_t) override {}
  std::int32_t vornVideoGetSourceWidth(VornHandle) override { return 0; }
  std::int32_t vornVideoGetSourceHeight(VornHandle) override { return 0; }
  void vornVideoSetRect(VornHandle, const VornRect&, const VornRect&) override {}
  bool vornVideoGetVisible(VornHandle) override { return false; }
  void vornVideoSetVisible(VornHandle, bool) override {}
  std::uintptr_t vornVideoGetDC(VornHandle) override { return 0; }
  bool vornVideoNeedPaint(VornHandle) override { return false; }

  bool initialised() const { return initialised_; }

 private:
  // A decoder for the player's mixer; its lock serialises the mixer's thread and the main thread.
  struct Decoder {
    std::mutex mutex;
    std::unique_ptr<SoundDecoder> decoder;
  };
  struct Entry {
    std::shared_ptr<LibrarySound> sound;
    std::shared_ptr<Decoder> decoder;
  };

  VornHandle Insert(Entry entry);
  std::shared_ptr<LibrarySound> SoundOf(VornHandle handle);
  std::shared_ptr<Decoder> DecoderOf(VornHandle handle);
  // Drops every handle: sounds stopped, decoders closed.
  void Clear();

  // Read by the mixer's thread through the decoder entry points.
  std::atomic<bool> initialised_{false};
  VornInitArgs args_;
  std::unique_ptr<LibrarySoundPlayer> player_;

  // Guards the table; the mixer's thread looks decoders up while the main thread adds sounds.
  std::mutex table_mutex_;
  std::unordered_map<VornHandle, Entry> table_;
  VornHandle next_handle_ = 1;
};

}  // namespace vorn
