#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/script_object.h"
#include "foundation/rect.h"

namespace vorn {

class TCanvas;
class TCustomFrameList;
class TFilmManager;
class THashCollection;
class TStream;
class TVornControl;

// One key frame of a track. The defaults are those of a frame without a picture: no size, no
// offset, one tick long, no preview.
class TCustomFrame {
 public:
  explicit TCustomFrame(TCustomFrameList& owner) : owner_(owner) {}
  virtual ~TCustomFrame() = default;
  TCustomFrame(const TCustomFrame&) = delete;
  TCustomFrame& operator=(const TCustomFrame&) = delete;

  TCustomFrameList& Owner() const { return owner_; }

  virtual std::int32_t GetWidth() const { return 0; }
  virtual void SetWidth(std::int32_t /*value*/) {}
  virtual std::int32_t GetHeight() const { return 0; }
  virtual void SetHeight(std::int32_t /*value*/) {}
  virtual TPoint GetOffset() const { return {}; }
  virtual void SetOffset(const TPoint& /*value*/) {}
  // Ticks the frame is shown before the next one.
  virtual std::int32_t GetDuration() const { return 1; }
  virtual void SetDuration(std::int32_t /*value*/) {}
  // Small pictures of the frame for an editor's key-frame strip.
  virtual void DrawPreview(TCanvas& /*canvas*/, std::int32_t /*x*/, const TRect& /*rect*/, std::int32_t /*y*/) {}
  virtual void DrawPreviewStretched(TCanvas& /*canvas*/, const TRect& /*destination*/, const TRect& /*source*/) {}

 private:
  TCustomFrameList& owner_;
};

// Type numbers of the tracks, the type byte of a film record.
enum TTrackType : std::uint8_t {
  kImageTrack = 0,
  kLabelTrack = 1,
  kBoxTrack = 2,
  kWipeTrack = 3,
  kSoundTrack = 4,
  kTileTrack = 5,
  kParticleTrack = 6,
  kFireTrack = 7,
};
inline constexpr int kTrackTypeCount = 8;

// Three words an editor uses to tell which property groups a track offers.
using TEditMask = std::array<std::uint32_t, 3>;

// A track of a film: a time window, key frames cycling inside it and animated properties moving
// from a start to an end value over it. A track may follow a parent track: it then starts where the
// parent ends and takes its start values from the parent's end values.
//
// Every accessor of every kind of track is declared here with a neutral default, so a concrete
// track overrides only its own groups.
class TCustomFrameList {
 public:
  // Label defaults.
  static constexpr std::int32_t kDefaultFontColor = 0xFFFFFF;
  static constexpr std::int32_t kDefaultFontHeight = 12;
  static constexpr std::int32_t kDefaultLineSpace = 12;
  // Bytes of the common record: parent, length, reserved, start, period, priority, three flags.
  static constexpr std::int64_t kCommonRecordBytes = 6 * 4 + 3;

  explicit TCustomFrameList(TFilmManager& film) : film_(film) {}
  virtual ~TCustomFrameList();
  TCustomFrameList(const TCustomFrameList&) = delete;
  TCustomFrameList& operator=(const TCustomFrameList&) = delete;

  TFilmManager& Film() const { return film_; }

  // ---- common fields ----
  TCustomFrameList* GetParent() const { return parent_; }
  // A parent that would close a cycle (this track, or one that follows this one) gives none.
  void SetParent(TCustomFrameList* parent);
  std::int32_t GetLength() const { return length_; }
  void SetLength(std::int32_t value);
  std::int32_t GetReserved() const { return reserved_; }
  void SetReserved(std::int32_t value) { reserved_ = value; }
  // The stored start, used only without a parent.
  std::int32_t GetOwnStart() const { return start_; }
  void SetStart(std::int32_t value);
  std::int32_t GetLoopPeriod() const { return loop_period_; }
  void SetLoopPeriod(std::int32_t value) { loop_period_ = value; }
  std::int32_t GetPriority() const { return priority_; }
  void SetPriority(std::int32_t value) { priority_ = value; }
  bool GetFlipH() const { return flip_h_; }
  void SetFlipH(bool value) { flip_h_ = value; }
  bool GetFlipV() const { return flip_v_; }
  void SetFlipV(bool value) { flip_v_ = value; }
  bool GetOtherPage() const { return other_page_; }
  void SetOtherPage(bool value) { other_page_ = value; }
  // The parent index as read from the record, until the film fixes the parents.
  std::int32_t GetParentIndex() const { return parent_index_; }

  // ---- timing ----
  // The parent's start plus the parent's length, else the own start; 64 bits, so chains and
  // extreme values cannot overflow.
  std::int64_t GetStart() const;
  std::int64_t GetEnd() const { return GetStart() + length_; }
  // start <= t < start + length.
  bool IsActiveAt(std::int64_t t) const;
  // The first track of the film whose parent is this one, or none.
  TCustomFrameList* GetFollower() const;

  // ---- key frames ----
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  TCustomFrame* GetFrame(int index) const;
  void AddFrame(std::unique_ptr<TCustomFrame> frame) { frames_.push_back(std::move(frame)); }
  // Frees every key frame; the length becomes 0.
  virtual void ClearFrames();
  // The key frame shown at film time t: the time into the track, taken modulo the loop period
  // (at least 1, keeping the sign), walked through the frames' durations; the last index once all
  // are passed, -1 without frames.
  virtual int KeyIndexAt(std::int64_t t) const;

  // ---- interpolation ----
  // The value of a property at step i of n (n = the track's length, one more with a follower):
  // from at 0, to at n - 1; mode 0 linear, 1 ease in, others ease out.
  std::int32_t Interpolate(std::uint8_t mode, std::int32_t from, std::int32_t to, std::int64_t i, std::int64_t n) const;
  double InterpolateFloat(std::uint8_t mode, std::int64_t i, double from, double to, std::int64_t n) const;
  // (from, to) of the position; in direct mode of a relative film both shift by base - origin.
  void GetEndpoints(TPoint& from, TPoint& to) const;

  // ---- group 1: component, pause, source, editor mask, size, type ----
  virtual TVornControl* GetComponent() const;
  virtual bool GetPausedFlag() const { return false; }
  virtual void SetPausedFlag(bool /*value*/) {}
  virtual std::string GetSource() const { return {}; }
  virtual void SetSource(const std::string& /*value*/) {}
  virtual TEditMask GetEditMask() const { return {0, 0, 0}; }
  // Of the first key frame; 0 without frames.
  virtual std::int32_t GetWidth() const;
  virtual std::int32_t GetHeight() const;
  virtual std::uint8_t GetTypeId() const { return 0; }

  // Image properties: anchor, position with its modes, angle, zoom with its modes, alpha.
  virtual TPoint GetAnchor() const { return {}; }
  virtual void SetAnchor(const TPoint& /*value*/) {}
  virtual std::uint8_t GetAngleMode() const { return 0; }
  virtual void SetAngleMode(std::uint8_t /*value*/) {}
  virtual std::int32_t GetToAlpha() const { return 0; }
  virtual void SetToAlpha(std::int32_t /*value*/) {}
  virtual std::int32_t GetToAngle() const { return 0; }
  virtual void SetToAngle(std::int32_t /*value*/) {}
  virtual TPoint GetToPosition() const { return {}; }
  virtual void SetToPosition(const TPoint& /*value*/) {}
  virtual double GetFromZoomX() const { return 1.0; }
  virtual void SetFromZoomX(double /*value*/) {}
  virtual double GetFromZoomY() const { return 1.0; }
  virtual void SetFromZoomY(double /*value*/) {}
  virtual double GetToZoomX() const { return 1.0; }
  virtual void SetToZoomX(double /*value*/) {}
  virtual double GetToZoomY() const { return 1.0; }
  virtual void SetToZoomY(double /*value*/) {}
  virtual std::uint8_t GetZoomXMode() const { return 0; }
  virtual void SetZoomXMode(std::uint8_t /*value*/) {}
  virtual std::uint8_t GetZoomYMode() const { return 0; }
  virtual void SetZoomYMode(std::uint8_t /*value*/) {}
  virtual std::uint8_t GetXMode() const { return 0; }
  virtual void SetXMode(std::uint8_t /*value*/) {}
  virtual std::uint8_t GetYMode() const { return 0; }
  virtual void SetYMode(std::uint8_t /*value*/) {}
  virtual std::int32_t GetFromAlpha() const { return 0; }
  virtual void SetFromAlpha(std::int32_t /*value*/) {}
  virtual std::int32_t GetFromAngle() const { return 0; }
  virtual void SetFromAngle(std::int32_t /*value*/) {}
  virtual TPoint GetFromPosition() const { return {}; }
  virtual void SetFromPosition(const TPoint& /*value*/) {}

  // Label properties.
  virtual std::string GetText() const { return {}; }
  virtual void SetText(const std::string& /*value*/) {}
  virtual bool GetAntialias() const { return false; }
  virtual void SetAntialias(bool /*value*/) {}
  virtual std::int32_t GetFontColor() const { return kDefaultFontColor; }
  virtual void SetFontColor(std::int32_t /*value*/) {}
  virtual std::int32_t GetFontHeight() const { return kDefaultFontHeight; }
  virtual void SetFontHeight(std::int32_t /*value*/) {}
  virtual std::string GetFontName() const { return {}; }
  virtual void SetFontName(const std::string& /*value*/) {}
  virtual std::uint8_t GetFontStyle() const { return 0; }
  virtual void SetFontStyle(std::uint8_t /*value*/) {}
  virtual std::int32_t GetLineSpace() const { return kDefaultLineSpace; }
  virtual void SetLineSpace(std::int32_t /*value*/) {}
  virtual std::uint8_t GetAlignment() const { return 0; }
  virtual void SetAlignment(std::uint8_t /*value*/) {}

  // Box colours and border.
  virtual std::int32_t GetFromColor() const { return 0; }
  virtual void SetFromColor(std::int32_t /*value*/) {}
  virtual std::int32_t GetToColor() const { return 0; }
  virtual void SetToColor(std::int32_t /*value*/) {}
  virtual std::int32_t GetFromBorderWidth() const { return 0; }
  virtual void SetFromBorderWidth(std::int32_t /*value*/) {}
  virtual std::int32_t GetFromBorderColor() const { return 0; }
  virtual void SetFromBorderColor(std::int32_t /*value*/) {}
  virtual std::int32_t GetToBorderWidth() const { return 0; }
  virtual void SetToBorderWidth(std::int32_t /*value*/) {}
  virtual std::int32_t GetToBorderColor() const { return 0; }
  virtual void SetToBorderColor(std::int32_t /*value*/) {}

  // Transition: type, parameters, mask and direction.
  virtual std::uint8_t GetWipeType() const { return 0; }
  virtual void SetWipeType(std::uint8_t /*value*/) {}
  virtual std::int32_t GetWipeParam0() const { return 0; }
  virtual void SetWipeParam0(std::int32_t /*value*/) {}
  virtual std::int32_t GetWipeParam1() const { return 0; }
  virtual void SetWipeParam1(std::int32_t /*value*/) {}
  virtual std::string GetMaskName() const { return {}; }
  virtual void SetMaskName(const std::string& /*value*/) {}
  virtual std::uint8_t GetDirection() const { return 0; }
  virtual void SetDirection(std::uint8_t /*value*/) {}

  // Sound: volume and balance with their modes.
  virtual std::int32_t GetFromVolume() const { return 0; }
  virtual void SetFromVolume(std::int32_t /*value*/) {}
  virtual std::int32_t GetToVolume() const { return 0; }
  virtual void SetToVolume(std::int32_t /*value*/) {}
  virtual std::int32_t GetFromBalance() const { return 0; }
  virtual void SetFromBalance(std::int32_t /*value*/) {}
  virtual std::int32_t GetToBalance() const { return 0; }
  virtual void SetToBalance(std::int32_t /*value*/) {}
  virtual std::uint8_t GetVolumeMode() const { return 0; }
  virtual void SetVolumeMode(std::uint8_t /*value*/) {}
  virtual std::uint8_t GetBalanceMode() const { return 0; }
  virtual void SetBalanceMode(std::uint8_t /*value*/) {}

  // Tile: scroll offsets with their modes, tiling distance.
  virtual std::int32_t GetFromScrollX() const { return 0; }
  virtual void SetFromScrollX(std::int32_t /*value*/) {}
  virtual std::int32_t GetFromScrollY() const { return 0; }
  virtual void SetFromScrollY(std::int32_t /*value*/) {}
  virtual std::int32_t GetToScrollX() const { return 0; }
  virtual void SetToScrollX(std::int32_t /*value*/) {}
  virtual std::int32_t GetToScrollY() const { return 0; }
  virtual void SetToScrollY(std::int32_t /*value*/) {}
  virtual std::uint8_t GetScrollXMode() const { return 0; }
  virtual void SetScrollXMode(std::uint8_t /*value*/) {}
  virtual std::uint8_t GetScrollYMode() const { return 0; }
  virtual void SetScrollYMode(std::uint8_t /*value*/) {}
  virtual std::int32_t GetDistanceX() const { return 0; }
  virtual void SetDistanceX(std::int32_t /*value*/) {}
  virtual std::int32_t GetDistanceY() const { return 0; }
  virtual void SetDistanceY(std::int32_t /*value*/) {}

  // Clip rectangle with its modes.
  virtual TPoint GetToClipPos() const { return {}; }
  virtual void SetToClipPos(const TPoint& /*value*/) {}
  virtual TPoint GetToClipSize() const { return {}; }
  virtual void SetToClipSize(const TPoint& /*value*/) {}
  virtual TPoint GetFromClipPos() const { return {}; }
  virtual void SetFromClipPos(const TPoint& /*value*/) {}
  virtual TPoint GetFromClipSize() const { return {}; }
  virtual void SetFromClipSize(const TPoint& /*value*/) {}
  virtual std::uint8_t GetClipXMode() const { return 0; }
  virtual void SetClipXMode(std::uint8_t /*value*/) {}
  virtual std::uint8_t GetClipYMode() const { return 0; }
  virtual void SetClipYMode(std::uint8_t /*value*/) {}

  // Particles: motion kind, index, interval, spread, emit point and range with modes, parameters.
  virtual std::uint8_t GetPartMotion() const { return 0; }
  virtual void SetPartMotion(std::uint8_t /*value*/) {}
  virtual std::int32_t GetIndex() const { return 0; }
  virtual void SetIndex(std::int32_t /*value*/) {}
  virtual std::int32_t GetFromInterval() const { return 0; }
  virtual void SetFromInterval(std::int32_t /*value*/) {}
  virtual std::int32_t GetToInterval() const { return 0; }
  virtual void SetToInterval(std::int32_t /*value*/) {}
  virtual std::int32_t GetFromSpread() const { return 0; }
  virtual void SetFromSpread(std::int32_t /*value*/) {}
  virtual std::int32_t GetToSpread() const { return 0; }
  virtual void SetToSpread(std::int32_t /*value*/) {}
  virtual std::int32_t GetFromEmitX() const { return 0; }
  virtual void SetFromEmitX(std::int32_t /*value*/) {}
  virtual std::int32_t GetFromEmitY() const { return 0; }
  virtual void SetFromEmitY(std::int32_t /*value*/) {}
  virtual std::int32_t GetToEmitX() const { return 0; }
  virtual void SetToEmitX(std::int32_t /*value*/) {}
  virtual std::int32_t GetToEmitY() const { return 0; }
  virtual void SetToEmitY(std::int32_t /*value*/) {}
  virtual std::uint8_t GetEmitXMode() const { return 0; }
  virtual void SetEmitXMode(std::uint8_t /*value*/) {}
  virtual std::uint8_t GetEmitYMode() const { return 0; }
  virtual void SetEmitYMode(std::uint8_t /*value*/) {}
  virtual std::int32_t GetFromRangeX() const { return 0; }
  virtual void SetFromRangeX(std::int32_t /*value*/) {}
  virtual std::int32_t GetFromRangeY() const { return 0; }
  virtual void SetFromRangeY(std::int32_t /*value*/) {}
  virtual std::int32_t GetToRangeX() const { return 0; }
  virtual void SetToRangeX(std::int32_t /*value*/) {}
  virtual std::int32_t GetToRangeY() const { return 0; }
  virtual void SetToRangeY(std::int32_t /*value*/) {}

  // Fire.
  virtual std::int32_t GetPower() const { return 0; }
  virtual void SetPower(std::int32_t /*value*/) {}

  // Size at both ends; by default the first key frame's.
  virtual std::int32_t GetFromWidth() const { return GetFirstFrameWidth(); }
  virtual std::int32_t GetFromHeight() const { return GetFirstFrameHeight(); }
  virtual std::int32_t GetToWidth() const { return GetFirstFrameWidth(); }
  virtual std::int32_t GetToHeight() const { return GetFirstFrameHeight(); }
  virtual void SetFromWidth(std::int32_t /*value*/) {}
  virtual void SetFromHeight(std::int32_t /*value*/) {}
  virtual void SetToWidth(std::int32_t /*value*/) {}
  virtual void SetToHeight(std::int32_t /*value*/) {}

  // Scratch bytes 0..30 of a transition track.
  virtual std::uint8_t GetScratchByte(int /*index*/) const { return 0; }
  virtual void SetScratchByte(int /*index*/, std::uint8_t /*value*/) {}
  // Particle parameters 1..3 at both ends.
  virtual double GetFromParam(int /*number*/) const { return 0.0; }
  virtual void SetFromParam(int /*number*/, double /*value*/) {}
  virtual double GetToParam(int /*number*/) const { return 0.0; }
  virtual void SetToParam(int /*number*/, double /*value*/) {}

  // ---- group 6: life of a track in its film ----
  // Lets go of the component: invalidated, marked deleted in its scene and forgotten.
  virtual void ReleaseComponent();
  // Shows the track at film time t; true when t lies in its window.
  virtual bool DrawAt(std::int32_t t);
  // Prepare, when t lies in the window.
  void PrepareIfActive(std::int32_t t);
  // The record: the common fields, then the track's own. The folder is the film's, for the file
  // names the track stores relative to it.
  virtual void SaveToStream(TStream& stream, const std::string& folder) const;
  virtual void LoadFromStream(TStream& stream, const std::string& folder, std::int32_t version);
  // Runs once after the whole film was read (sources are loaded here).
  virtual void Prepare() {}
  // Adds the names of the data files the track uses.
  virtual void CollectFiles(THashCollection& /*collection*/) {}
  // A sound track starts its sound when the film is applied.
  virtual void StartSound() {}

  // ---- component tracks ----
  // The component shown by the track, made when missing (none in direct mode and by default).
  virtual TVornControl* GetOrCreateComponent() { return nullptr; }

  // Record writers of the track's own fields.
  static void WriteInt(TStream& stream, std::int32_t value);
  static void WriteDouble(TStream& stream, double value);
  static void WritePoint(TStream& stream, const TPoint& value);

 protected:
  // The common frame of component tracks: outside the window the component goes (not in direct
  // mode) and the answer is false; inside it is made (not in direct mode) and, when the key index
  // lies in the frame list, ApplyKeyFrame runs.
  bool DrawComponentAt(std::int32_t t);
  // Puts the interpolated values of time t, key frame key, onto the component or, in direct mode,
  // the film's target.
  virtual void ApplyKeyFrame(std::int32_t /*t*/, int /*key*/) {}

  // Where a new component goes: the host of a hosted film, else the page of the owner scene the
  // track's start falls on (the other one with the other-page flag); none in direct mode.
  TVornControl* ComponentParent() const;
  // A free name for a new component: 0x01 (+ host name + 0x01 when hosted) and a number.
  std::string MakeComponentName() const;
  // The held component (nullptr once gone) and taking one.
  TVornControl* HeldComponent() const;
  void HoldComponent(TVornControl* component);

  // Lenient readers of the record: a value not all there keeps the field and tells the film that
  // its file ended early.
  bool ReadInt(TStream& stream, std::int32_t& value) const;
  bool ReadByte(TStream& stream, std::uint8_t& value) const;
  bool ReadBool(TStream& stream, bool& value) const;
  bool ReadDouble(TStream& stream, double& value) const;
  bool ReadStr(TStream& stream, std::string& value) const;
  bool ReadPoint(TStream& stream, TPoint& value) const;

 private:
  friend class TFilmManager;

  std::int32_t GetFirstFrameWidth() const { return frames_.empty() ? 0 : frames_.front()->GetWidth(); }
  std::int32_t GetFirstFrameHeight() const { return frames_.empty() ? 0 : frames_.front()->GetHeight(); }

  TFilmManager& film_;
  TCustomFrameList* parent_ = nullptr;
  std::int32_t parent_index_ = -1;
  std::int32_t length_ = 0;
  std::int32_t reserved_ = 0;
  std::int32_t start_ = 0;
  std::int32_t loop_period_ = 0;
  std::int32_t priority_ = 0;
  bool flip_h_ = false;
  bool flip_v_ = false;
  bool other_page_ = false;
  std::vector<std::unique_ptr<TCustomFrame>> frames_;
  TObjectHandle component_;
  // Filled by the film's timing cache.
  std::int64_t cached_start_ = 0;
  TCustomFrameList* cached_follower_ = nullptr;
  std::uint64_t timing_pass_ = 0;
};

}  // namespace vorn
