#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/vorn_custom_image.h"

namespace vorn {

class TControlFilm;
class TVornImageData;
class TVornImageList;
class TVornParser;

// A picture stepped frame by frame: the frames of the current image list, or a film that drives
// the control. The base of the images, the button, the tile and the particle images.
class TVornCustomImages : public TVornCustomImage {
 public:
  explicit TVornCustomImages(TVornBaseList* owner);
  ~TVornCustomImages() override;

  // The list whose frames are shown, or null.
  virtual TVornImageList* CurrentList() const { return nullptr; }
  // The film of the current state, or null.
  virtual TControlFilm* CurrentMotion() const { return nullptr; }
  TControlFilm* GetMotion() const override { return CurrentMotion(); }

  std::int32_t GetIndex() const override;
  void SetIndex(std::int32_t value) override;
  std::int32_t GetCount() const override;
  void SetCount(std::int32_t /*value*/) override {}
  std::int32_t GetBrightness() const override { return brightness_; }
  void SetBrightness(std::int32_t value) override;
  bool GetPaused() const override { return paused_; }
  void SetPaused(bool value) override;
  void SetVisible(bool value) override;
  bool GetPlaying() const override;
  void AssignExpression(TObjectExpression which, const TVornParser& source) override;

  std::int32_t GetRemainingDelay() const { return remaining_; }
  void SetRemainingDelay(std::int32_t ms) { remaining_ = ms; }
  // The last-frame wait, or null when none was given.
  const TVornParser* LastFrameWait() const { return wait_.get(); }

 protected:
  // Steps the frames by the game time while the index lies inside the list, the control is
  // visible and not paused. True when the last frame's time is used up and it does not repeat.
  bool StepFrames(bool repeat);
  // The current frame's surface and mask become the image again (after a surface restore).
  void RetakeFrame();
  bool IndexInList() const;

  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  std::int32_t remaining_ = 0;
  std::int32_t index_ = -1;
  std::int32_t brightness_ = 0;
  bool paused_ = false;
  std::unique_ptr<TVornParser> wait_;
};

// The images component (kind 8): the frames of a layered-image file, or a motion file.
class TVornImages : public TVornCustomImages {
 public:
  explicit TVornImages(TVornBaseList* owner);
  ~TVornImages() override;
  // Makes the image lists, one per state (StateCount is virtual, so not from the constructor).
  void Create(std::unique_ptr<TVornObject> self) override;
  void Destroying() override;

  std::uint8_t GetCompoType() const override { return 8; }

  TVornImageList* CurrentList() const override;
  TControlFilm* CurrentMotion() const override;
  virtual int CurrentState() const { return 0; }
  virtual void SetState(int /*state*/) {}
  virtual int StateCount() const { return 1; }
  // The list and film of a state (null outside the states).
  TVornImageList* ListOf(int state) const;
  virtual TControlFilm* MotionOf(int state) const { return state == 0 ? motion_.get() : nullptr; }

  std::string GetSource() const override { return source_; }
  void SetSource(const std::string& value) override;
  bool GetRepeat() const override { return repeat_; }
  void SetRepeat(bool value) override;
  bool GetAutoScrap() const override { return auto_scrap_; }
  void SetAutoScrap(bool value) override { auto_scrap_ = value; }
  std::string GetOnPlayEnd() const override { return on_play_end_; }
  void SetOnPlayEnd(const std::string& value) override { on_play_end_ = value; }
  std::string GetOnIdle() const override { return on_idle_; }
  void SetOnIdle(const std::string& value) override { on_idle_ = value; }

  bool Tick() override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;

 protected:
  // Loads a state's pictures by the name's extension: ".pel" frames, ".vmn" a film (for the
  // control's own film, stepped once and restarted), anything else nothing.
  void LoadStateSource(int state, const std::string& name, std::unique_ptr<TControlFilm>& film, bool own_film);
  std::unique_ptr<TControlFilm>& OwnMotion() { return motion_; }
  // The images record's idle label (a button writes its own elsewhere and this one empty).
  virtual std::string SavedImagesIdle() const { return on_idle_; }

  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  std::vector<std::unique_ptr<TVornImageList>> lists_;
  std::unique_ptr<TControlFilm> motion_;
  bool repeat_ = false;
  bool auto_scrap_ = false;
  std::string source_;
  std::string on_play_end_;
  std::string on_idle_;
};

// Lower-case extension of a picture name, dot included ("" when none).
std::string PictureExtension(const std::string& name);

}  // namespace vorn
