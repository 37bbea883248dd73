#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/script_object.h"
#include "foundation/rect.h"
#include "motion/custom_frame_list.h"

namespace vorn {

class THashCollection;
class TStream;
class TVornBaseList;
class TVornControl;

// Head of a motion file: a kind tag and three version digits.
inline constexpr char kCinemaTag[] = "VornCinema";
inline constexpr char kMotionTag[] = "VornMotion";
inline constexpr std::size_t kFilmTagBytes = 10;
inline constexpr std::size_t kFilmHeadBytes = 13;
inline constexpr std::int32_t kNewestFilmVersion = 108;
inline constexpr std::int32_t kOldestFilmVersion = 100;

// Makes a track of one type for a film.
using TFrameListCreator = std::unique_ptr<TCustomFrameList> (*)(TFilmManager& film);

// A new track of the class for the type's low 7 bits, owned by nobody yet; none for a type
// without a class (8 to 127, and the types whose class is not built).
std::unique_ptr<TCustomFrameList> CreateFrameList(TFilmManager& film, std::uint8_t type);
// Puts a class into the factory for a type 0..7 and answers the one it held.
TFrameListCreator SetFrameListCreator(std::uint8_t type, TFrameListCreator creator);

// A loaded motion film: tracks in file order and what it hands its owner scene. Given a time it
// makes the scene show the film at that time. It plays three ways: with an owner scene of its own
// (pages switched, transitions cued), hosted by a component (track components are its children,
// no page switch) or in direct mode (tracks drive one target control, no components).
class TFilmManager {
 public:
  TFilmManager();
  ~TFilmManager();
  TFilmManager(const TFilmManager&) = delete;
  TFilmManager& operator=(const TFilmManager&) = delete;

  // Reads the whole named file through the script files and loads it. A missing file raises the
  // file system's error and leaves the film as it was.
  void LoadFromFile(const std::string& name);
  // Clears the film and reads it. A foreign head leaves the film empty (logged); bad version
  // digits, a track type without a class and a track count the bytes cannot hold raise EFilmError
  // naming the file and leave the film cleared. Data that ends early loads as far as it goes.
  void LoadFromStream(TStream& stream, const std::string& name);
  // Frees the tracks; relative, origin and loop start go back to 0.
  void Clear();

  int TrackCount() const { return static_cast<int>(tracks_.size()); }
  // None outside the list.
  TCustomFrameList* GetTrack(std::int64_t index) const;
  int IndexOfTrack(const TCustomFrameList* track) const;
  // Appends a track made for this film (editors and tests); the film owns it.
  TCustomFrameList* AddTrack(std::unique_ptr<TCustomFrameList> track);
  // The first track in list order whose start is 0.
  TCustomFrameList* GetFirstTrack() const;
  bool HasTransitions() const;

  // Shows the film at tick t.
  void SetTime(std::int32_t t);
  std::int32_t GetCurrentTime() const { return current_time_; }
  // The largest end of the tracks when loaded (0 without tracks), clamped to 32 bits.
  std::int32_t GetLength() const { return length_; }
  // Computes the length again from the tracks.
  void UpdateLength();

  // The last active transition track at t (none when none is) and the page parity counted by the
  // transition tracks that have ended (their last tick included) and are not active.
  TCustomFrameList* GetActiveWipe(std::int32_t t, int& parity) const;
  // The parity counted by every transition track whose last tick is at or before t.
  int GetPageParity(std::int32_t t) const;
  // The transition is created anew at the next SetTime (the transition track's setters call it).
  void ForgetPreviousWipe() { previous_wipe_ = nullptr; }

  // Size and colour to the owner scene (unless direct or hosted), then every sound track starts.
  void Apply();
  void SetSize(std::int32_t width, std::int32_t height);
  void SetColor(std::int32_t color);
  std::int32_t GetWidth() const { return width_; }
  std::int32_t GetHeight() const { return height_; }
  std::int32_t GetColor() const { return color_; }
  // Hands a change of the paused flag to every track.
  void SetTrackFlag(bool paused);
  bool GetTrackFlag() const { return paused_; }
  // Switching off pauses the sound component of every sound track.
  void SetSoundEnabled(bool enabled);
  bool GetSoundEnabled() const { return sound_enabled_; }
  std::int32_t GetVolume() const { return volume_; }
  void SetVolume(std::int32_t volume) { volume_ = volume; }
  void CollectFiles(THashCollection& collection) const;

  // Where and how the film plays.
  TVornBaseList* GetOwnerList() const;
  void SetOwnerList(TVornBaseList* scene);
  TVornControl* GetHost() const;
  void SetHost(TVornControl* host);
  bool IsHosted() const { return !host_.IsNone(); }
  bool IsDirect() const { return direct_; }
  void SetDirect(bool direct) { direct_ = direct; }
  TVornControl* GetTarget() const { return target_; }
  void SetTarget(TVornControl* target) { target_ = target; }
  TPoint GetBasePoint() const { return base_; }
  void SetBasePoint(const TPoint& point) { base_ = point; }
  std::int32_t GetBasePriority() const { return base_priority_; }
  void SetBasePriority(std::int32_t priority) { base_priority_ = priority; }
  // In direct mode: the target's priority := base priority + the track's priority. The film
  // remembers what it wrote, so a restart can take its own addition back out.
  void ApplyDirectPriority(std::int32_t track_priority);
  bool WrotePriority() const { return wrote_priority_; }
  std::int32_t WrittenPriority() const { return written_priority_; }
  std::int32_t AddedPriority() const { return added_priority_; }

  // From the file.
  std::uint8_t GetKind() const { return kind_; }
  std::int32_t GetVersion() const { return version_; }
  bool GetRelative() const { return relative_; }
  void SetRelative(bool value) { relative_ = value; }
  TPoint GetOrigin() const { return origin_; }
  void SetOrigin(const TPoint& origin) { origin_ = origin; }
  std::int32_t GetLoopStart() const { return loop_start_; }
  void SetLoopStart(std::int32_t value) { loop_start_ = value; }
  const std::string& GetFolder() const { return folder_; }

  // Writes the film as a file of the newest version (editors and tests).
  void SaveToStream(TStream& stream) const;

  // Track timing cache: starts and followers are computed once for all tracks and dropped when a
  // length, start or parent changes.
  void InvalidateTiming() { timing_valid_ = false; }
  void EnsureTiming() const;
  // A record read came up short.
  void NoteShortRead() const { short_read_ = true; }

 private:
  void FixParents();
  void ComputeTiming() const;

  std::vector<std::unique_ptr<TCustomFrameList>> tracks_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t color_ = -1;
  std::int32_t current_time_ = 0;
  const TCustomFrameList* previous_wipe_ = nullptr;
  bool sound_enabled_ = true;
  bool relative_ = false;
  TPoint origin_{};
  std::int32_t loop_start_ = 0;
  bool paused_ = false;
  std::int32_t volume_ = 1000;
  std::int32_t length_ = 0;
  TObjectHandle host_;
  TObjectHandle owner_scene_;
  std::uint8_t kind_ = 0;
  std::int32_t version_ = kNewestFilmVersion;
  bool direct_ = false;
  TVornControl* target_ = nullptr;
  TPoint base_{};
  std::int32_t base_priority_ = 0;
  bool wrote_priority_ = false;
  std::int32_t written_priority_ = 0;
  std::int32_t added_priority_ = 0;
  std::string folder_;
  mutable bool timing_valid_ = false;
  mutable std::uint64_t timing_pass_ = 0;
  mutable bool short_read_ = false;
};

}  // namespace vorn
