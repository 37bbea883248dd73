#include "media/vorn_media_library.h"

#include <algorithm>
#include <cstring>

#include "foundation/log_line.h"

namespace vorn {
namespace {

std::int32_t To32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, INT32_MAX));
}

}  // namespace

TVornMediaLibrary::TVornMediaLibrary() = default;

TVornMediaLibrary::~TVornMediaLibrary() { vornFinal(); }

void TVornMediaLibrary::vornInit(const VornInitArgs& args) {
  if (initialised_) return;
  args_ = args;
  if (args_.clock != nullptr) player_ = std::make_unique<LibrarySoundPlayer>(*args_.clock);
  initialised_ = true;
}

void TVornMediaLibrary::vornFinal() {
  if (!initialised_) return;
  Clear();
  player_.reset();
  initialised_ = false;
}

void TVornMediaLibrary::Clear() {
  std::unordered_map<VornHandle, Entry> entries;
  {
    std::lock_guard lock(table_mutex_);
    entries.swap(table_);
  }
  for (auto& [handle, entry] : entries) {
    if (entry.sound && player_) player_->Remove(entry.sound);
    if (entry.decoder) {
      std::lock_guard lock(entry.decoder->mutex);
      entry.decoder->decoder.reset();
    }
  }
}

VornHandle TVornMediaLibrary::Insert(Entry entry) {
  std::lock_guard lock(table_mutex_);
  // Handles are never 0 and never one in use, also after the counter wraps.
  while (next_handle_ == 0 || table_.contains(next_handle_)) ++next_handle_;
  const VornHandle handle = next_handle_++;
  table_.emplace(handle, std::move(entry));
  return handle;
}

std::shared_ptr<LibrarySound> TVornMediaLibrary::SoundOf(VornHandle handle) {
  if (!initialised_ || !player_) return nullptr;
  std::lock_guard lock(table_mutex_);
  const auto found = table_.find(handle);
  return found == table_.end() ? nullptr : found->second.sound;
}

std::shared_ptr<TVornMediaLibrary::Decoder> TVornMediaLibrary::DecoderOf(VornHandle handle) {
  if (!initialised_) return nullptr;
  std::lock_guard lock(table_mutex_);
  const auto found = table_.find(handle);
  return found == table_.end() ? nullptr : found->second.decoder;
}

void TVornMediaLibrary::vornOggmanSetUseThread(bool) {
  // The library always decodes its sounds on a thread of its own; the call only confirms it.
}

VornHandle TVornMediaLibrary::vornOggmanAdd(void* stream, bool is_ogg) {
  if (!initialised_ || !player_) return 0;
  std::unique_ptr<SoundDecoder> decoder = SoundDecoder::Open(args_.callbacks, stream, is_ogg);
  if (!decoder) {
    LogLine(std::string("media library: no sound this player plays in the ") + (is_ogg ? "Ogg" : "WAV") + " stream");
    return 0;
  }
  platform::AudioOutput* output = args_.direct_sound != nullptr ? *args_.direct_sound : nullptr;
  if (output != player_->output()) player_->Attach(output);
  auto sound = std::make_shared<LibrarySound>(std::move(decoder));
  player_->Add(sound);
  return Insert(Entry{sound, nullptr});
}

void TVornMediaLibrary::vornOggmanDel(VornHandle handle) {
  if (!initialised_) return;
  Entry entry;
  {
    std::lock_guard lock(table_mutex_);
    const auto found = table_.find(handle);
    if (found == table_.end() || !found->second.sound) return;
    entry = std::move(found->second);
    table_.erase(found);
  }
  player_->Remove(entry.sound);
}

void TVornMediaLibrary::vornOggmanRestore() {
  if (!initialised_ || !player_) return;
  player_->Attach(args_.direct_sound != nullptr ? *args_.direct_sound : nullptr);
}

void TVornMediaLibrary::vornOggPlay(VornHandle handle) {
  if (auto sound = SoundOf(handle)) player_->Play(*sound);
}

void TVornMediaLibrary::vornOggPause(VornHandle handle) {
  if (auto sound = SoundOf(handle)) player_->Pause(*sound);
}

bool TVornMediaLibrary::vornOggIsPlaying(VornHandle handle) {
  auto sound = SoundOf(handle);
  return sound && player_->IsPlaying(*sound);
}

bool TVornMediaLibrary::vornOggIsPaused(VornHandle handle) {
  auto sound = SoundOf(handle);
  return sound && player_->IsPaused(*sound);
}

bool TVornMediaLibrary::vornOggIsEnd(VornHandle handle) {
  auto sound = SoundOf(handle);
  return sound && player_->IsEnd(*sound);
}

bool TVornMediaLibrary::vornOggGetAutoRepeat(VornHandle handle) {
  auto sound = SoundOf(handle);
  return sound && player_->GetRepeat(*sound);
}

void TVornMediaLibrary::vornOggSetAutoRepeat(VornHandle handle, bool repeat) {
  if (auto sound = SoundOf(handle)) player_->SetRepeat(*sound, repeat);
}

std::int32_t TVornMediaLibrary::vornOggGetLen(VornHandle handle) {
  auto sound = SoundOf(handle);
  return sound ? To32(player_->LengthMs(*sound)) : 0;
}

std::int32_t TVornMediaLibrary::vornOggGetPosition(VornHandle handle) {
  auto sound = SoundOf(handle);
  return sound ? To32(player_->PositionMs(*sound)) : 0;
}

void TVornMediaLibrary::vornOggSetPosition(VornHandle handle, std::int32_t milliseconds) {
  if (auto sound = SoundOf(handle)) player_->SetPositionMs(*sound, milliseconds);
}

std::int32_t TVornMediaLibrary::vornOggGetVol(VornHandle handle) {
  auto sound = SoundOf(handle);
  return sound ? player_->Volume(*sound) : 0;
}

void TVornMediaLibrary::vornOggSetVol(VornHandle handle, std::int32_t volume) {
  if (auto sound = SoundOf(handle)) player_->SetVolume(*sound, volume);
}

std::int32_t TVornMediaLibrary::vornOggGetPan(VornHandle handle) {
  auto sound = SoundOf(handle);
  return sound ? player_->Pan(*sound) : 0;
}

void TVornMediaLibrary::vornOggSetPan(VornHandle handle, std::int32_t pan) {
  if (auto sound = SoundOf(handle)) player_->SetPan(*sound, pan);
}

VornHandle TVornMediaLibrary::vornOggStrmanAdd(void* stream, bool is_ogg) {
  if (!initialised_) return 0;
  std::unique_ptr<SoundDecoder> opened = SoundDecoder::Open(args_.callbacks, stream, is_ogg);
  if (!opened) {
    LogLine(std::string("media library: no sound this player plays in the ") + (is_ogg ? "Ogg" : "WAV") + " stream");
    return 0;
  }
  auto decoder = std::make_shared<Decoder>();
  decoder->decoder = std::move(opened);
  return Insert(Entry{nullptr, std::move(decoder)});
}

void TVornMediaLibrary::vornOggStrmanDel(VornHandle handle) {
  if (!initialised_) return;
  std::shared_ptr<Decoder> decoder;
  {
    std::lock_guard lock(table_mutex_);
    const auto found = table_.find(handle);
    if (found == table_.end() || !found->second.decoder) return;
    decoder = std::move(found->second.decoder);
    table_.erase(found);
  }
  std::lock_guard lock(decoder->mutex);
  decoder->decoder.reset();
}

bool TVornMediaLibrary::vornOggStrGetFormat(VornHandle handle, std::uint8_t* record) {
  auto decoder = DecoderOf(handle);
  if (!decoder || record == nullptr) return false;
  std::lock_guard lock(decoder->mutex);
  if (!decoder->decoder) return false;
  const auto bytes = decoder->decoder->Format().ToRecord();
  std::memcpy(record, bytes.data(), bytes.size());
  return true;
}

std::int32_t TVornMediaLibrary::vornOggStrRead(VornHandle handle, void* buffer, std::int32_t count) {
  auto decoder = DecoderOf(handle);
  if (!decoder || buffer == nullptr || count <= 0) return 0;
  std::lock_guard lock(decoder->mutex);
  if (!decoder->decoder) return 0;
  return static_cast<std::int32_t>(
      decoder->decoder->Read(static_cast<std::uint8_t*>(buffer), static_cast<std::size_t>(count)));
}

std::int32_t TVornMediaLibrary::vornOggStrGetSize(VornHandle handle) {
  auto decoder = DecoderOf(handle);
  if (!decoder) return 0;
  std::lock_guard lock(decoder->mutex);
  return decoder->decoder ? To32(decoder->decoder->Size()) : 0;
}

std::int32_t TVornMediaLibrary::vornOggStrGetPos(VornHandle handle) {
  auto decoder = DecoderOf(handle);
  if (!decoder) return 0;
  std::lock_guard lock(decoder->mutex);
  return decoder->decoder ? To32(decoder->decoder->Position()) : 0;
}

std::int32_t TVornMediaLibrary::vornOggStrSetPos(VornHandle handle, std::int32_t position) {
  auto decoder = DecoderOf(handle);
  if (!decoder) return 0;
  std::lock_guard lock(decoder->mutex);
  return decoder->decoder ? To32(decoder->decoder->SetPosition(position)) : 0;
}

std::int32_t TVornMediaLibrary::vornOggStrGetLen(VornHandle handle) {
  auto decoder = DecoderOf(handle);
  if (!decoder) return 0;
  std::lock_guard lock(decoder->mutex);
  return decoder->decoder ? To32(decoder->decoder->LengthMs()) : 0;
}

}  // namespace vorn
