#include "motion/film_manager.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "engine/script_files.h"
#include "foundation/log_line.h"
#include "foundation/path_utils.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "motion/film_errors.h"

namespace vorn {
namespace {

// Every track takes at least its type byte and the common record.
constexpr std::int64_t kMinTrackBytes = 1 + TCustomFrameList::kCommonRecordBytes;
constexpr std::uint8_t kTrackTypeMask = 0x7F;

// The classes of the track types; a type whose class is not built holds none.
std::array<TFrameListCreator, kTrackTypeCount>& Creators() {
  static std::array<TFrameListCreator, kTrackTypeCount> creators{};
  return creators;
}

std::int32_t ClampTo32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

std::string FolderOf(const std::string& name) {
  const std::size_t cut = LastPathDelimiter(name);
  return cut == std::string::npos ? std::string{} : name.substr(0, cut + 1);
}

}  // namespace

std::unique_ptr<TCustomFrameList> CreateFrameList(TFilmManager& film, std::uint8_t type) {
  const std::uint8_t kind = type & kTrackTypeMask;
  if (kind >= kTrackTypeCount) return nullptr;
  const TFrameListCreator creator = Creators()[kind];
  return creator != nullptr ? creator(film) : nullptr;
}

TFrameListCreator SetFrameListCreator(std::uint8_t type, TFrameListCreator creator) {
  if (type >= kTrackTypeCount) return nullptr;
  return std::exchange(Creators()[type], creator);
}

TFilmManager::TFilmManager() = default;

TFilmManager::~TFilmManager() { Clear(); }

void TFilmManager::LoadFromFile(const std::string& name) {
  TMemoryStream stream(GetScriptFiles().ReadFile(name));
  LoadFromStream(stream, name);
}

void TFilmManager::LoadFromStream(TStream& stream, const std::string& name) {
  Clear();
  folder_ = FolderOf(name);
  short_read_ = false;

  char head[kFilmHeadBytes] = {};
  const std::size_t got = stream.Read(head, kFilmHeadBytes);
  if (got >= kFilmTagBytes && std::memcmp(head, kCinemaTag, kFilmTagBytes) == 0) {
    kind_ = 0;
  } else if (got >= kFilmTagBytes && std::memcmp(head, kMotionTag, kFilmTagBytes) == 0) {
    kind_ = 1;
  } else {
    LogLine("not a motion file: " + name);
    return;
  }
  const std::string digits(head + kFilmTagBytes, got - kFilmTagBytes);
  if (digits.size() != 3 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    throw EFilmError(name + ": '" + digits + "' is not a valid version number");
  }
  const std::int32_t v = std::stoi(digits);
  version_ = v;
  if (v < kOldestFilmVersion || v > kNewestFilmVersion) {
    LogLine("motion file of unknown version " + digits + ", read as the nearest known: " + name);
  }

  auto read_int = [&](std::int32_t& value) {
    if (!TryReadIntFromStream(stream, value)) short_read_ = true;
  };
  read_int(width_);
  read_int(height_);
  read_int(color_);
  if (v > 101) {
    if (!TryReadBoolFromStream(stream, relative_)) short_read_ = true;
  }
  if (v > 103) {
    read_int(origin_.x);
    read_int(origin_.y);
  }
  if (v > 105) {
    read_int(loop_start_);
    if (v <= 106) loop_start_ = Wrap32(std::int64_t{loop_start_} * 2);
  }
  std::int32_t count = 0;
  read_int(count);
  if (count > 0 && count > stream.Remaining() / kMinTrackBytes) {
    Clear();
    throw EFilmError(name + ": " + std::to_string(count) + " tracks do not fit in the file");
  }
  for (std::int32_t i = 0; i < count; ++i) {
    std::uint8_t type = 0;
    if (!TryReadByteFromStream(stream, type)) {
      short_read_ = true;
      break;
    }
    std::unique_ptr<TCustomFrameList> track = CreateFrameList(*this, type);
    if (track == nullptr) {
      Clear();
      throw EFilmError(name + ": unknown track type " + std::to_string(type & kTrackTypeMask));
    }
    TCustomFrameList* added = AddTrack(std::move(track));
    added->LoadFromStream(stream, folder_, v);
  }
  if (short_read_) LogLine("motion file ends early: " + name);

  FixParents();
  for (std::size_t i = 0; i < tracks_.size(); ++i) tracks_[i]->Prepare();
  UpdateLength();
}

void TFilmManager::Clear() {
  // Tracks are freed last to first, so a follower goes before the parent it reads from.
  while (!tracks_.empty()) tracks_.pop_back();
  previous_wipe_ = nullptr;
  relative_ = false;
  origin_ = TPoint{};
  loop_start_ = 0;
  length_ = 0;
  timing_valid_ = false;
}

TCustomFrameList* TFilmManager::GetTrack(std::int64_t index) const {
  if (index < 0 || index >= static_cast<std::int64_t>(tracks_.size())) return nullptr;
  return tracks_[static_cast<std::size_t>(index)].get();
}

int TFilmManager::IndexOfTrack(const TCustomFrameList* track) const {
  for (std::size_t i = 0; i < tracks_.size(); ++i) {
    if (tracks_[i].get() == track) return static_cast<int>(i);
  }
  return -1;
}

TCustomFrameList* TFilmManager::AddTrack(std::unique_ptr<TCustomFrameList> track) {
  tracks_.push_back(std::move(track));
  timing_valid_ = false;
  return tracks_.back().get();
}

TCustomFrameList* TFilmManager::GetFirstTrack() const {
  for (const auto& track : tracks_) {
    if (track->GetStart() == 0) return track.get();
  }
  return nullptr;
}

bool TFilmManager::HasTransitions() const {
  return std::any_of(tracks_.begin(), tracks_.end(),
                     [](const auto& track) { return track->GetTypeId() == kWipeTrack || track->GetOtherPage(); });
}

void TFilmManager::FixParents() {
  // Parents by index; an index outside the list, the track's own, or one that closes a cycle gives
  // none. Each walk up the chain stops at a track already known to lead to a root, so the whole
  // fix-up is linear however long the chains are.
  const auto count = static_cast<std::int64_t>(tracks_.size());
  std::vector<std::int64_t> parent(tracks_.size(), -1);
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t index = tracks_[static_cast<std::size_t>(i)]->parent_index_;
    if (index >= 0 && index < count && index != i) parent[static_cast<std::size_t>(i)] = index;
  }
  constexpr std::int64_t kDone = -1;
  std::vector<std::int64_t> walk_of(tracks_.size(), 0);
  std::vector<std::int64_t> path;
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t walk = i + 1;
    path.clear();
    std::int64_t at = i;
    while (at >= 0 && walk_of[static_cast<std::size_t>(at)] == 0) {
      walk_of[static_cast<std::size_t>(at)] = walk;
      path.push_back(at);
      at = parent[static_cast<std::size_t>(at)];
    }
    if (at >= 0 && walk_of[static_cast<std::size_t>(at)] == walk) {
      // A cycle: the member latest in the list is the one whose parent closed it.
      const auto first = std::find(path.begin(), path.end(), at);
      const std::int64_t closer = *std::max_element(first, path.end());
      parent[static_cast<std::size_t>(closer)] = -1;
    }
    for (const std::int64_t visited : path) walk_of[static_cast<std::size_t>(visited)] = kDone;
  }
  for (std::size_t i = 0; i < tracks_.size(); ++i) {
    tracks_[i]->parent_ = parent[i] >= 0 ? tracks_[static_cast<std::size_t>(parent[i])].get() : nullptr;
  }
  timing_valid_ = false;
}

void TFilmManager::EnsureTiming() const {
  if (!timing_valid_) ComputeTiming();
}

void TFilmManager::ComputeTiming() const {
  // Parents never form a cycle (the fix-up and SetParent refuse them), so every walk ends at a
  // root or at a track done in this pass.
  ++timing_pass_;
  std::vector<TCustomFrameList*> chain;
  for (const auto& track : tracks_) track->cached_follower_ = nullptr;
  for (const auto& first : tracks_) {
    chain.clear();
    for (TCustomFrameList* at = first.get(); at != nullptr && at->timing_pass_ != timing_pass_; at = at->parent_) {
      chain.push_back(at);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      TCustomFrameList* track = *it;
      const TCustomFrameList* parent = track->parent_;
      track->cached_start_ = parent != nullptr ? parent->cached_start_ + parent->length_ : track->start_;
      track->timing_pass_ = timing_pass_;
    }
  }
  for (auto it = tracks_.rbegin(); it != tracks_.rend(); ++it) {
    if ((*it)->parent_ != nullptr) (*it)->parent_->cached_follower_ = it->get();
  }
  timing_valid_ = true;
}

void TFilmManager::UpdateLength() {
  if (tracks_.empty()) {
    length_ = 0;
    return;
  }
  std::int64_t longest = INT64_MIN;
  for (const auto& track : tracks_) longest = std::max(longest, track->GetEnd());
  length_ = ClampTo32(longest);
}

void TFilmManager::SetTime(std::int32_t t) {
  // By index: a track's drawing may make components in the scene but never changes this list.
  for (std::size_t i = 0; i < tracks_.size(); ++i) tracks_[i]->DrawAt(t);
  TVornBaseList* scene = GetOwnerList();
  if (!direct_ && !IsHosted() && scene != nullptr) {
    int parity = 0;
    TCustomFrameList* active = GetActiveWipe(t, parity);
    if (active != nullptr) {
      const std::int64_t start = active->GetStart();
      TSceneTransition* transition =
          scene->SwitchLayer(parity, active->GetWipeType(), active->GetDirection(), active != previous_wipe_,
                             ClampTo32(std::int64_t{t} - start), active->GetLength());
      if (transition != nullptr) {
        transition->SetParam(0, active->GetWipeParam0());
        transition->SetParam(1, active->GetWipeParam1());
        transition->SetText(active->GetMaskName());
        transition->Start();
      }
    } else {
      scene->SwitchLayer(parity, 0, 0, previous_wipe_ != nullptr, 0, 0);
    }
    scene->GetBase(scene->GetActiveLayerIndex())->SortChildren();
    previous_wipe_ = active;
  }
  current_time_ = t;
}

TCustomFrameList* TFilmManager::GetActiveWipe(std::int32_t t, int& parity) const {
  parity = 0;
  TCustomFrameList* active = nullptr;
  for (const auto& track : tracks_) {
    if (track->GetTypeId() != kWipeTrack) continue;
    if (track->IsActiveAt(t)) {
      active = track.get();
    } else if (t >= track->GetEnd() - 1) {
      parity ^= 1;
    }
  }
  return active;
}

int TFilmManager::GetPageParity(std::int32_t t) const {
  int parity = 0;
  for (const auto& track : tracks_) {
    if (track->GetTypeId() == kWipeTrack && t >= track->GetEnd() - 1) parity ^= 1;
  }
  return parity;
}

void TFilmManager::Apply() {
  if (!direct_ && !IsHosted()) {
    SetSize(width_, height_);
    SetColor(color_);
  }
  for (std::size_t i = 0; i < tracks_.size(); ++i) {
    if (tracks_[i]->GetTypeId() == kSoundTrack) tracks_[i]->StartSound();
  }
}

void TFilmManager::SetSize(std::int32_t width, std::int32_t height) {
  width_ = width;
  height_ = height;
  if (TVornBaseList* scene = GetOwnerList()) {
    scene->SetWidth(width);
    scene->SetHeight(height);
  }
}

void TFilmManager::SetColor(std::int32_t color) {
  color_ = color;
  if (TVornBaseList* scene = GetOwnerList()) scene->SetColor(color);
}

void TFilmManager::SetTrackFlag(bool paused) {
  if (paused == paused_) return;
  paused_ = paused;
  for (const auto& track : tracks_) track->SetPausedFlag(paused);
}

void TFilmManager::SetSoundEnabled(bool enabled) {
  sound_enabled_ = enabled;
  if (enabled) return;
  for (const auto& track : tracks_) {
    if (track->GetTypeId() != kSoundTrack) continue;
    if (TVornControl* sound = track->GetComponent()) sound->SetPaused(true);
  }
}

void TFilmManager::CollectFiles(THashCollection& collection) const {
  for (const auto& track : tracks_) track->CollectFiles(collection);
}

TVornBaseList* TFilmManager::GetOwnerList() const {
  return static_cast<TVornBaseList*>(static_cast<TVornObject*>(owner_scene_.Get()));
}

void TFilmManager::SetOwnerList(TVornBaseList* scene) { owner_scene_ = TObjectHandle(scene); }

TVornControl* TFilmManager::GetHost() const {
  TScriptObject* object = host_.Get();
  return object != nullptr ? static_cast<TVornObject*>(object)->AsControl() : nullptr;
}

void TFilmManager::SetHost(TVornControl* host) { host_ = TObjectHandle(host); }

void TFilmManager::ApplyDirectPriority(std::int32_t track_priority) {
  if (target_ == nullptr) return;
  const std::int32_t priority = Wrap32(std::int64_t{base_priority_} + track_priority);
  target_->SetPriority(priority);
  wrote_priority_ = true;
  written_priority_ = priority;
  added_priority_ = track_priority;
}

void TFilmManager::SaveToStream(TStream& stream) const {
  stream.WriteBuffer(kind_ == 1 ? kMotionTag : kCinemaTag, kFilmTagBytes);
  const std::string version = std::to_string(kNewestFilmVersion);
  stream.WriteBuffer(version.data(), version.size());
  WriteIntToStream(stream, width_);
  WriteIntToStream(stream, height_);
  WriteIntToStream(stream, color_);
  WriteBoolToStream(stream, relative_);
  WriteIntToStream(stream, origin_.x);
  WriteIntToStream(stream, origin_.y);
  WriteIntToStream(stream, loop_start_);
  WriteIntToStream(stream, static_cast<std::int32_t>(tracks_.size()));
  for (const auto& track : tracks_) {
    WriteByteToStream(stream, track->GetTypeId());
    track->SaveToStream(stream, folder_);
  }
}

}  // namespace vorn
