#include "components/vorn_images.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "components/film_seam.h"
#include "components/vorn_base_list.h"
#include "components/vorn_image_list.h"
#include "engine/custom_param.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/vorn_parser.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "foundation/vocabulary_codes.h"

namespace vorn {

namespace {

constexpr char kLayeredImageExtension[] = ".pel";
constexpr char kMotionExtension[] = ".vmn";

}  // namespace

std::string PictureExtension(const std::string& name) {
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return {};
  std::string extension = name.substr(dot);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

// ---- frame-stepped pictures ----

TVornCustomImages::TVornCustomImages(TVornBaseList* owner) : TVornCustomImage(owner) {}

TVornCustomImages::~TVornCustomImages() = default;

bool TVornCustomImages::IndexInList() const {
  const TVornImageList* list = CurrentList();
  return list != nullptr && index_ >= 0 && index_ < list->Count();
}

std::int32_t TVornCustomImages::GetIndex() const {
  if (const TControlFilm* film = CurrentMotion()) return film->GetTick();
  return index_;
}

void TVornCustomImages::SetIndex(std::int32_t value) {
  if (TControlFilm* film = CurrentMotion()) {
    const double ms = std::nearbyint(static_cast<double>(value) * kFilmTickMs);
    film->SetElapsed(static_cast<std::int32_t>(std::clamp(ms, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                                                          static_cast<double>(std::numeric_limits<std::int32_t>::max()))));
    return;
  }
  if (value == index_) return;
  if (!IndexInList()) {
    remaining_ = 0;
  } else {
    Invalidate();
  }
  index_ = value;
  if (IndexInList()) {
    TVornImageList& list = *CurrentList();
    TVornImageData& data = *list.GetItem(value);
    data.SetBrightness(brightness_);
    SetExternalSurface(data.GetSurface());
    SetExternalMask(data.GetMask());
    SetImageColorKey(data.GetColorKey());
    remaining_ = AddDelay(remaining_, data.GetDelay());
    if (value == list.Count() - 1 && list.Count() > 1 && wait_ && !wait_->Empty()) {
      // The wait on the last frame is the script's own expression, evaluated as it stands now.
      wait_->Execute();
      if (const TCustomParam* result = wait_->Result()) remaining_ = AddDelay(remaining_, result->GetAsInt());
    }
  }
  if (!AutoSizeEnabled()) return;
  const TRect before = GetScreenRect();
  const std::int32_t width = GetWidth();
  const std::int32_t height = GetHeight();
  UpdateAutoWidth();
  UpdateAutoHeight();
  if (width == GetWidth() && height == GetHeight()) return;
  if (TVornBase* layer = GetBase(); layer != nullptr && GetVisible()) layer->InvalidateRect(before);
  Invalidate();
}

std::int32_t TVornCustomImages::GetCount() const {
  if (const TControlFilm* film = CurrentMotion()) return film->GetLength();
  const TVornImageList* list = CurrentList();
  return list != nullptr ? list->Count() : 0;
}

void TVornCustomImages::SetBrightness(std::int32_t value) {
  if (value == brightness_) return;
  brightness_ = value;
  if (!IndexInList()) return;
  TVornImageData& data = *CurrentList()->GetItem(index_);
  data.SetBrightness(brightness_);
  SetExternalSurface(data.GetSurface());
  Invalidate();
}

void TVornCustomImages::SetPaused(bool value) {
  if (value == paused_) return;
  paused_ = value;
  remaining_ = 0;
}

void TVornCustomImages::SetVisible(bool value) {
  TVornCustomImage::SetVisible(value);
  remaining_ = 0;
}

bool TVornCustomImages::GetPlaying() const {
  if (const TControlFilm* film = CurrentMotion()) return !(film->IsEnded() || paused_ || GetAniPaused());
  const TVornImageList* list = CurrentList();
  const std::int64_t last = std::int64_t{list != nullptr ? list->Count() : 0} - 1;
  if (!GetRepeat() && index_ >= last && remaining_ < 1) return false;
  return !(paused_ || GetAniPaused());
}

void TVornCustomImages::AssignExpression(TObjectExpression which, const TVornParser& source) {
  if (which != TObjectExpression::kImageDelay) return;
  if (!wait_) wait_ = std::make_unique<TVornParser>();
  wait_->Assign(source);
}

bool TVornCustomImages::StepFrames(bool repeat) {
  if (!IndexInList() || !GetVisible() || paused_ || GetAniPaused()) return false;
  if (remaining_ > 0) remaining_ = AddDelay(remaining_, -std::int64_t{FrameDelta});
  while (remaining_ < 1) {
    const TVornImageList* list = CurrentList();
    if (list == nullptr || !IndexInList()) return false;
    const int count = list->Count();
    if (index_ < count - 1) {
      // Two frames or fewer start each frame afresh; longer lists carry the overshoot.
      if (count <= 2) remaining_ = 0;
      SetIndex(index_ + 1);
      continue;
    }
    if (repeat) {
      remaining_ = 0;
      SetIndex(0);
      return false;
    }
    return true;
  }
  return false;
}

void TVornCustomImages::RetakeFrame() {
  if (!IndexInList()) return;
  TVornImageData& data = *CurrentList()->GetItem(index_);
  SetExternalSurface(data.GetSurface());
  SetExternalMask(data.GetMask());
}

void TVornCustomImages::SaveClassFields(TStream& stream) const {
  TVornCustomImage::SaveClassFields(stream);
  WriteIntToStream(stream, remaining_);
  WriteIntToStream(stream, GetIndex());
  WriteIntToStream(stream, brightness_);
  WriteBoolToStream(stream, paused_);
  if (wait_) {
    wait_->SaveToStream(stream);
  } else {
    TVornParser().SaveToStream(stream);
  }
}

void TVornCustomImages::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornCustomImage::LoadClassFields(stream, version);
  remaining_ = ReadIntFromStream(stream);
  index_ = ReadIntFromStream(stream);
  brightness_ = ReadIntFromStream(stream);
  paused_ = ReadBoolFromStream(stream);
  auto wait = std::make_unique<TVornParser>();
  wait->LoadFromStream(stream);
  wait_ = std::move(wait);
}

// ---- the images component ----

TVornImages::TVornImages(TVornBaseList* owner) : TVornCustomImages(owner) {}

TVornImages::~TVornImages() = default;

void TVornImages::Create(std::unique_ptr<TVornObject> self) {
  for (int i = 0; i < StateCount(); ++i) lists_.push_back(std::make_unique<TVornImageList>(GetOwner()));
  TVornCustomImages::Create(std::move(self));
}

void TVornImages::Destroying() {
  TVornCustomImages::Destroying();
  // The frames go back to the cache now: the external surface is one of them.
  SetExternalSurface(nullptr);
  SetExternalMask(nullptr);
  for (auto& list : lists_) list->Clear();
  motion_.reset();
}

TVornImageList* TVornImages::ListOf(int state) const {
  if (state < 0 || state >= static_cast<int>(lists_.size())) return nullptr;
  return lists_[static_cast<std::size_t>(state)].get();
}

TVornImageList* TVornImages::CurrentList() const { return ListOf(CurrentState()); }

TControlFilm* TVornImages::CurrentMotion() const { return MotionOf(CurrentState()); }

void TVornImages::LoadStateSource(int state, const std::string& name, std::unique_ptr<TControlFilm>& film,
                                  bool own_film) {
  const std::string extension = PictureExtension(name);
  if (extension == kLayeredImageExtension) {
    if (TVornImageList* list = ListOf(state)) list->LoadFromFile(name, false);
  } else if (extension == kMotionExtension) {
    film = GetFilmMaker().CreateFilm(*this);
    try {
      film->LoadMotion(name);
    } catch (...) {
      film.reset();
      throw;
    }
    if (own_film) {
      film->Tick();
      film->RestartMotion();
    }
  } else if (own_film) {
    StoreWidth(0);
    StoreHeight(0);
  }
}

void TVornImages::SetSource(const std::string& value) {
  if (value == source_) return;
  source_ = value;
  if (CurrentState() == 0) {
    SetIndex(-1);
    SetExternalSurface(nullptr);
    SetExternalMask(nullptr);
  }
  lists_[0]->Clear();
  motion_.reset();
  LoadStateSource(0, value, motion_, true);
  if (CurrentState() == 0 && lists_[0]->Count() > 0) SetIndex(0);
}

void TVornImages::SetRepeat(bool value) {
  if (value == repeat_) return;
  repeat_ = value;
  if (!value) return;
  TControlFilm* film = CurrentMotion();
  if (IndexInList() || film != nullptr) {
    if (film != nullptr && film->IsEnded()) film->RestartMotion();
  } else {
    SetIndex(0);
  }
}

bool TVornImages::Tick() {
  const bool scrap = TVornCustomImage::Tick();
  if (CurrentMotion() != nullptr) return scrap;
  if (StepFrames(GetRepeat())) {
    if (auto_scrap_) return true;
    PostPlayEnd();
  }
  return scrap;
}

void TVornImages::ReleaseSurfaces() {
  for (auto& list : lists_) list->ReleaseAll();
  TVornCustomImages::ReleaseSurfaces();
}

void TVornImages::RestoreSurfaces() {
  TVornCustomImages::RestoreSurfaces();
  for (auto& list : lists_) list->RestoreAll();
  RetakeFrame();
}

void TVornImages::SaveClassFields(TStream& stream) const {
  TVornCustomImages::SaveClassFields(stream);
  WriteBoolToStream(stream, repeat_);
  WriteBoolToStream(stream, auto_scrap_);
  WriteStrToStream(stream, source_);
  WriteStrToStream(stream, on_play_end_);
  WriteStrToStream(stream, SavedImagesIdle());
}

void TVornImages::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornCustomImages::LoadClassFields(stream, version);
  const std::int32_t kept = GetIndex();
  repeat_ = ReadBoolFromStream(stream);
  auto_scrap_ = ReadBoolFromStream(stream);
  SetSource(ReadStrFromStream(stream));
  on_play_end_ = ReadStrFromStream(stream);
  if (version > 103) on_idle_ = ReadStrFromStream(stream);
  SetIndex(kept);
  // A saved index outside the frames shows nothing rather than a frame it never named.
  if (!IndexInList() && CurrentMotion() == nullptr) {
    SetExternalSurface(nullptr);
    SetExternalMask(nullptr);
  }
}

}  // namespace vorn
