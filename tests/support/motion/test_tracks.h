#pragma once

// Test-only tracks for films while the real track classes are elsewhere: a component track that
// places a box (type 2) and a transition track (type 3). Their own record parts:
//   box:        from x, from y, to x, to y (int32 each), position mode (byte)
//   transition: kind (byte), parameter 0, parameter 1 (int32 each), direction (byte), mask (string)
// TScopedTestTracks puts them into the track factory for its lifetime.

#include <cstdint>
#include <memory>
#include <string>

#include "components/box.h"
#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "fixture/motion_fixture.h"
#include "foundation/stream_encoding.h"
#include "motion/custom_frame_list.h"
#include "motion/film_manager.h"

namespace vorn::testing {

class TTestBoxTrack final : public TCustomFrameList {
 public:
  explicit TTestBoxTrack(TFilmManager& film) : TCustomFrameList(film) {
    AddFrame(std::make_unique<TCustomFrame>(*this));
  }

  std::uint8_t GetTypeId() const override { return kBoxTrack; }
  TPoint GetFromPosition() const override {
    const TCustomFrameList* parent = GetParent();
    return parent != nullptr ? parent->GetToPosition() : from_;
  }
  void SetFromPosition(const TPoint& value) override { from_ = value; }
  TPoint GetToPosition() const override { return to_; }
  void SetToPosition(const TPoint& value) override { to_ = value; }
  std::uint8_t GetXMode() const override { return mode_; }
  void SetXMode(std::uint8_t value) override { mode_ = value; }

  bool DrawAt(std::int32_t t) override { return DrawComponentAt(t); }
  TVornControl* GetOrCreateComponent() override {
    if (TVornControl* held = HeldComponent()) return held;
    TVornBaseList* scene = Film().GetOwnerList();
    if (scene == nullptr) return nullptr;
    TVornBox* box = CreateObject<TVornBox>(*scene);
    box->SetName(MakeComponentName());
    box->SetParent(ComponentParent());
    HoldComponent(box);
    return box;
  }

  void SaveToStream(TStream& stream, const std::string& folder) const override {
    TCustomFrameList::SaveToStream(stream, folder);
    WritePoint(stream, GetFromPosition());
    WritePoint(stream, to_);
    WriteByteToStream(stream, mode_);
  }
  void LoadFromStream(TStream& stream, const std::string& folder, std::int32_t version) override {
    TCustomFrameList::LoadFromStream(stream, folder, version);
    ReadPoint(stream, from_);
    ReadPoint(stream, to_);
    ReadByte(stream, mode_);
  }

  // What the last drawing applied.
  TPoint applied{};
  int applied_key = -1;

 protected:
  void ApplyKeyFrame(std::int32_t t, int key) override {
    TPoint from;
    TPoint to;
    GetEndpoints(from, to);
    const std::int64_t i = std::int64_t{t} - GetStart();
    applied = TPoint{Interpolate(mode_, from.x, to.x, i, GetLength()), Interpolate(mode_, from.y, to.y, i, GetLength())};
    applied_key = key;
    if (Film().IsDirect()) {
      TVornControl* target = Film().GetTarget();
      if (target == nullptr) return;
      target->SetMotionLeft(applied.x);
      target->SetMotionTop(applied.y);
      Film().ApplyDirectPriority(GetPriority());
      return;
    }
    if (TVornControl* box = HeldComponent()) {
      box->SetLeft(applied.x);
      box->SetTop(applied.y);
      box->SetPriority(GetPriority());
    }
  }

 private:
  TPoint from_{};
  TPoint to_{};
  std::uint8_t mode_ = 0;
};

class TTestWipeTrack final : public TCustomFrameList {
 public:
  explicit TTestWipeTrack(TFilmManager& film) : TCustomFrameList(film) {
    AddFrame(std::make_unique<TCustomFrame>(*this));
  }

  std::uint8_t GetTypeId() const override { return kWipeTrack; }
  int KeyIndexAt(std::int64_t /*t*/) const override { return 0; }
  std::uint8_t GetWipeType() const override { return kind_; }
  void SetWipeType(std::uint8_t value) override { Change(kind_, value); }
  std::int32_t GetWipeParam0() const override { return param0_; }
  void SetWipeParam0(std::int32_t value) override { Change(param0_, value); }
  std::int32_t GetWipeParam1() const override { return param1_; }
  void SetWipeParam1(std::int32_t value) override { Change(param1_, value); }
  std::uint8_t GetDirection() const override { return direction_; }
  void SetDirection(std::uint8_t value) override { Change(direction_, value); }
  std::string GetMaskName() const override { return mask_; }
  void SetMaskName(const std::string& value) override { Change(mask_, value); }

  void SaveToStream(TStream& stream, const std::string& folder) const override {
    TCustomFrameList::SaveToStream(stream, folder);
    WriteByteToStream(stream, kind_);
    WriteInt(stream, param0_);
    WriteInt(stream, param1_);
    WriteByteToStream(stream, direction_);
    WriteStrToStream(stream, mask_);
  }
  void LoadFromStream(TStream& stream, const std::string& folder, std::int32_t version) override {
    TCustomFrameList::LoadFromStream(stream, folder, version);
    ReadByte(stream, kind_);
    ReadInt(stream, param0_);
    ReadInt(stream, param1_);
    ReadByte(stream, direction_);
    ReadStr(stream, mask_);
  }

 private:
  template <typename T>
  void Change(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Film().ForgetPreviousWipe();
  }

  std::uint8_t kind_ = 1;
  std::int32_t param0_ = 0;
  std::int32_t param1_ = 0;
  std::uint8_t direction_ = 0;
  std::string mask_;
};

// A fixture-writer track for TTestBoxTrack: the common record's fields as given, then its part.
inline fixture::MotionFixtureTrack BoxFixtureTrack(std::int32_t length = 0, std::int32_t parent = -1,
                                                   TPoint from = {}, TPoint to = {}, std::uint8_t mode = 0) {
  fixture::MotionFixtureTrack track;
  track.type = kBoxTrack;
  track.length = length;
  track.parent = parent;
  for (std::int32_t value : {from.x, from.y, to.x, to.y}) fixture::AppendInt32(track.ownPart, value);
  track.ownPart.push_back(mode);
  return track;
}

// The same for TTestWipeTrack.
inline fixture::MotionFixtureTrack WipeFixtureTrack(std::int32_t start, std::int32_t length, std::uint8_t kind = 1,
                                                    std::int32_t param0 = 0, std::int32_t param1 = 0,
                                                    std::uint8_t direction = 0, const std::string& mask = {}) {
  fixture::MotionFixtureTrack track;
  track.type = kWipeTrack;
  track.start = start;
  track.length = length;
  track.ownPart.push_back(kind);
  fixture::AppendInt32(track.ownPart, param0);
  fixture::AppendInt32(track.ownPart, param1);
  track.ownPart.push_back(direction);
  fixture::AppendString(track.ownPart, mask);
  return track;
}

class TScopedTestTracks {
 public:
  TScopedTestTracks()
      : box_(SetFrameListCreator(kBoxTrack, [](TFilmManager& film) -> std::unique_ptr<TCustomFrameList> {
          return std::make_unique<TTestBoxTrack>(film);
        })),
        wipe_(SetFrameListCreator(kWipeTrack, [](TFilmManager& film) -> std::unique_ptr<TCustomFrameList> {
          return std::make_unique<TTestWipeTrack>(film);
        })) {}
  ~TScopedTestTracks() {
    SetFrameListCreator(kBoxTrack, box_);
    SetFrameListCreator(kWipeTrack, wipe_);
  }
  TScopedTestTracks(const TScopedTestTracks&) = delete;
  TScopedTestTracks& operator=(const TScopedTestTracks&) = delete;

 private:
  TFrameListCreator box_;
  TFrameListCreator wipe_;
};

}  // namespace vorn::testing
