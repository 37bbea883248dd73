#include "media/ogg_items.h"

#include <algorithm>
#include <cmath>

#include "engine/engine_values.h"
#include "foundation/log_line.h"
#include "foundation/range_stream.h"
#include "foundation/system_texts.h"
#include "media/vorn_binding.h"

namespace vorn {
namespace {

constexpr std::int32_t kWaveSilentVolume = -5000;

std::int64_t RoundHalfEven(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }

}  // namespace

bool IsRealPathName(std::string_view name) {
  return (!name.empty() && (name[0] == '\\' || name[0] == '/')) || (name.size() >= 2 && name[1] == ':');
}

bool HasOggExtension(std::string_view name) {
  const std::size_t at = name.find_last_of("./\\");
  if (at == std::string_view::npos || name[at] != '.') return false;
  const std::string_view extension = name.substr(at);
  if (extension.size() != 4) return false;
  return std::equal(extension.begin(), extension.end(), ".ogg",
                    [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

std::unique_ptr<TStream> OpenSoundSource(TVrFileManager& files, const std::string& name) {
  if (IsRealPathName(name)) return std::make_unique<TFileRangeStream>(name, TRangeWindow{});
  return files.OpenRange(name);
}

void HandOverDirectSound(TDXSound* dx_sound) {
  if (VornDirectSoundHandedOver) return;
  VornDirectSoundHandedOver = true;
  if (dx_sound == nullptr) {
    LogLine("media library: no DirectSound component to hand over; its sounds run silent");
    return;
  }
  try {
    dx_sound->Initialize();
    VornDirectSound = dx_sound->DSound();
  } catch (const std::exception& error) {
    LogLine(std::string("media library: DirectSound did not start, its sounds run silent: ") + error.what());
  }
}

TCustomOggItem::TCustomOggItem(TOggManager& manager, const std::string& name)
    : TDMediaItem(&manager), is_ogg_(HasOggExtension(name)) {}

TOggManager& TCustomOggItem::ogg_manager() const { return *static_cast<TOggManager*>(manager()); }

TOggItem::TOggItem(TOggManager& manager, const std::string& name)
    : TCustomOggItem(manager, name), library_(manager.library()) {
  HandOverDirectSound(manager.dx_sound());
  source_ = OpenSoundSource(manager.files(), name);
  handle_ = library_.vornOggmanAdd(source_.get(), is_ogg_);
  // The library took nothing from the bytes: refused as the player's own mixer refuses them.
  if (handle_ == 0) throw ESoundDataError(std::string(texts::kSoundDataInvalid));
}

TOggItem::~TOggItem() {
  library_.vornOggmanDel(handle_);
  source_.reset();
}

bool TOggItem::GetAutoRepeat() { return library_.vornOggGetAutoRepeat(handle_); }
void TOggItem::SetAutoRepeat(bool repeat) { library_.vornOggSetAutoRepeat(handle_, repeat); }
std::int32_t TOggItem::GetPan() { return library_.vornOggGetPan(handle_); }
std::int32_t TOggItem::GetVolume() { return library_.vornOggGetVol(handle_); }
void TOggItem::SetPan(std::int32_t pan) { library_.vornOggSetPan(handle_, pan); }
void TOggItem::SetVolume(std::int32_t volume) { library_.vornOggSetVol(handle_, volume); }
std::int32_t TOggItem::GetPosition() { return library_.vornOggGetPosition(handle_); }
void TOggItem::SetPosition(std::int32_t milliseconds) {
  library_.vornOggSetPosition(handle_, std::max<std::int32_t>(milliseconds, 0));
}
std::int32_t TOggItem::GetLength() { return library_.vornOggGetLen(handle_); }

bool TOggItem::IsEnd() {
  if (end_latch_) return false;
  if (!library_.vornOggIsEnd(handle_)) return false;
  end_latch_ = true;
  return true;
}

bool TOggItem::IsPlaying() { return library_.vornOggIsPlaying(handle_) && !IsPaused(); }
bool TOggItem::IsPaused() { return library_.vornOggIsPaused(handle_); }

void TOggItem::Play() {
  if (manager()->active()) {
    library_.vornOggPlay(handle_);
  } else {
    resume_mark = true;
  }
}

void TOggItem::Pause() { library_.vornOggPause(handle_); }

TOggWaveItem::TOggWaveItem(TOggManager& manager, const std::string& name) : TCustomOggItem(manager, name) {
  source_ = OpenSoundSource(manager.files(), name);
  decoder_ = std::make_unique<TOggStream>(manager.library(), *source_, is_ogg_);
  buffer_ = manager.wav_out().AddBuffer(decoder_->format(), *decoder_);
}

TOggWaveItem::~TOggWaveItem() {
  if (buffer_ != nullptr) ogg_manager().wav_out().RemoveBuffer(buffer_);
  decoder_.reset();
  source_.reset();
}

bool TOggWaveItem::GetAutoRepeat() { return buffer_ != nullptr && buffer_->Repeat(); }

void TOggWaveItem::SetAutoRepeat(bool repeat) {
  if (buffer_ != nullptr) buffer_->SetRepeat(repeat);
}

void TOggWaveItem::SetVolume(std::int32_t volume) {
  volume_ = volume;
  if (buffer_ == nullptr) return;
  const std::int64_t level = (static_cast<std::int64_t>(std::max(volume, kWaveSilentVolume)) - kWaveSilentVolume) * 256 /
                             -static_cast<std::int64_t>(kWaveSilentVolume);
  buffer_->SetVolume(static_cast<int>(std::min<std::int64_t>(level, INT32_MAX)));
}

std::int32_t TOggWaveItem::GetPosition() {
  if (buffer_ == nullptr) return 0;
  const PcmFormat& format = decoder_->format();
  const double bytes_per_second =
      static_cast<double>(format.bits_per_sample) * format.channels * format.samples_per_second / 8.0;
  if (bytes_per_second <= 0) return 0;
  const std::int64_t ms = RoundHalfEven(static_cast<double>(buffer_->GetPosition()) / bytes_per_second * 1000.0);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, INT32_MIN, INT32_MAX));
}

void TOggWaveItem::SetPosition(std::int32_t milliseconds) {
  if (buffer_ == nullptr) return;
  const PcmFormat& format = decoder_->format();
  const double bytes = static_cast<double>(std::max<std::int32_t>(milliseconds, 0)) * format.bits_per_sample *
                       format.channels * format.samples_per_second / 8000.0;
  // Clamped to the decoded size; the decoder takes the position down to a whole frame.
  buffer_->SetPosition(std::min<std::int64_t>(RoundHalfEven(bytes), decoder_->Size()));
}

std::int32_t TOggWaveItem::GetLength() { return decoder_->GetLength(); }

bool TOggWaveItem::IsEnd() {
  if (buffer_ == nullptr) return true;
  if (buffer_->Repeat() && buffer_->IsFinished()) {
    buffer_->Play();
    return false;
  }
  return buffer_->IsFinished();
}

bool TOggWaveItem::IsPlaying() {
  return buffer_ != nullptr && buffer_->Playing() && !paused_ && !buffer_->IsFinished();
}

void TOggWaveItem::Play() {
  if (buffer_ == nullptr) return;
  // While sound is switched off a new sound waits for the switch, as a library-played one does.
  if (!manager()->active()) {
    resume_mark = true;
    return;
  }
  buffer_->Play();
  paused_ = false;
}

void TOggWaveItem::Pause() {
  if (buffer_ == nullptr) return;
  buffer_->Pause();
  paused_ = true;
}

TOggManager::TOggManager(const TOggManagerContext& context)
    : library_(context.library), files_(context.files), dx_sound_(context.dx_sound),
      wav_out_(context.audio, context.clock, context.delay_time_ms) {}

TOggManager::~TOggManager() { FreeItems(); }

TDMediaItem* TOggManager::Add(const std::string& name) {
  if (DirectSoundOption) return Append(std::make_unique<TOggItem>(*this, name));
  wav_out_.Open();
  return Append(std::make_unique<TOggWaveItem>(*this, name));
}

void TOggManager::Restore() { library_.vornOggmanRestore(); }

}  // namespace vorn
