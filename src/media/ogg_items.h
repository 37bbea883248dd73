#pragma once

// Ogg Vorbis and WAV sounds. With the DirectSound option on the media library plays the file
// itself (TOggItem); with it off the library only decodes and the player's own mixer plays it
// (TOggWaveItem). Both belong to the Ogg manager.

#include <memory>
#include <string>
#include <string_view>

#include "foundation/stream.h"
#include "foundation/vr_file_manager.h"
#include "media/dx_sound.h"
#include "media/media_manager.h"
#include "media/ogg_stream.h"
#include "media/vorn_library.h"
#include "media/wave_out.h"

namespace vorn {

class TOggManager;

// A name with a leading path delimiter or a drive colon is a real path, not a project file.
bool IsRealPathName(std::string_view name);
// ".ogg" without regard to case; anything else is decoded as WAV.
bool HasOggExtension(std::string_view name);
// The sound's bytes: a whole real file, or the project file through the virtual file system.
std::unique_ptr<TStream> OpenSoundSource(TVrFileManager& files, const std::string& name);

class TCustomOggItem : public TDMediaItem {
 public:
  TCustomOggItem(TOggManager& manager, const std::string& name);

 protected:
  TOggManager& ogg_manager() const;
  std::unique_ptr<TStream> source_;
  const bool is_ogg_;
};

class TOggItem final : public TCustomOggItem {
 public:
  TOggItem(TOggManager& manager, const std::string& name);
  ~TOggItem() override;

  bool GetAutoRepeat() override;
  void SetAutoRepeat(bool repeat) override;
  std::int32_t GetPan() override;
  std::int32_t GetVolume() override;
  void SetPan(std::int32_t pan) override;
  void SetVolume(std::int32_t volume) override;
  std::int32_t GetPosition() override;
  void SetPosition(std::int32_t milliseconds) override;
  std::int32_t GetLength() override;
  // Reported once per item: the latch is never cleared.
  bool IsEnd() override;
  bool IsPlaying() override;
  bool IsPaused() override;
  void Play() override;
  void Pause() override;

  VornHandle handle() const { return handle_; }

 private:
  TVornLibrary& library_;
  VornHandle handle_ = 0;
  bool end_latch_ = false;
};

class TOggWaveItem final : public TCustomOggItem {
 public:
  TOggWaveItem(TOggManager& manager, const std::string& name);
  ~TOggWaveItem() override;

  bool GetAutoRepeat() override;
  void SetAutoRepeat(bool repeat) override;
  std::int32_t GetVolume() override { return volume_; }
  void SetVolume(std::int32_t volume) override;
  std::int32_t GetPosition() override;
  void SetPosition(std::int32_t milliseconds) override;
  std::int32_t GetLength() override;
  bool IsEnd() override;
  bool IsPlaying() override;
  bool IsPaused() override { return paused_; }
  void Play() override;
  void Pause() override;

  TWavBuffer* source() const { return buffer_; }
  TOggStream& decoder() const { return *decoder_; }

 private:
  std::unique_ptr<TOggStream> decoder_;
  TWavBuffer* buffer_ = nullptr;
  bool paused_ = false;
  std::int32_t volume_ = 0;
};

// What the Ogg manager works with.
struct TOggManagerContext {
  TVornLibrary& library;
  TVrFileManager& files;
  platform::AudioOutput* audio = nullptr;
  platform::Clock& clock;
  int delay_time_ms = 100;
  // The main window's DirectSound component, handed to the library by the first library-played
  // sound; null: none.
  TDXSound* dx_sound = nullptr;
};

class TOggManager final : public TMediaManager {
 public:
  explicit TOggManager(const TOggManagerContext& context);
  ~TOggManager() override;

  // A library-played item with the DirectSound option on, else one of the player's own mixer
  // (the wave output opened first). Raises what opening or decoding the file raises.
  TDMediaItem* Add(const std::string& name);
  void Restore();

  TVornLibrary& library() const { return library_; }
  TVrFileManager& files() const { return files_; }
  TDXSound* dx_sound() const { return dx_sound_; }
  TWavOut& wav_out() { return wav_out_; }

 private:
  TVornLibrary& library_;
  TVrFileManager& files_;
  TDXSound* dx_sound_;
  // Closed after the items are freed (the destructor frees them first).
  TWavOut wav_out_;
};

// The first library-played sound initialises the main window's DirectSound component again and
// hands its output to the library; later ones do nothing. Failures only leave a log line.
void HandOverDirectSound(TDXSound* dx_sound);

}  // namespace vorn
