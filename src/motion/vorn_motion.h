#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/film_seam.h"
#include "motion/film_manager.h"

namespace vorn {

class TVornControl;

// Drives one control along a motion film in direct mode: the film's tracks write the control's
// motion position, order and looks. The control owns it.
class TVornMotion final : public TControlFilm {
 public:
  explicit TVornMotion(TVornControl& control);
  ~TVornMotion() override;

  void LoadMotion(const std::string& file_name) override;
  void RestartMotion() override;
  void Reapply() override;
  bool Tick() override;
  std::int32_t GetLength() const override { return film_.GetLength(); }
  std::int32_t GetTick() const override { return tick_; }
  std::int32_t GetElapsed() const override { return elapsed_; }
  void SetElapsed(std::int32_t ms) override { elapsed_ = ms; }
  bool IsEnded() const override { return ended_; }

  TVornControl& Target() const { return control_; }
  TFilmManager& Film() { return film_; }
  const TFilmManager& Film() const { return film_; }

 private:
  // Countdown after a (re)start: the first two steps show tick 0 without moving the clock.
  static constexpr std::int32_t kStartCountdown = 2;

  void Rewind();
  // The control's priority without what the film added to it at the last run.
  std::int32_t BasePriority() const;

  TVornControl& control_;
  TFilmManager film_;
  std::int32_t elapsed_ = 0;
  std::int32_t countdown_ = kStartCountdown;
  bool ended_ = false;
  std::int32_t tick_ = 0;
  std::int32_t last_left_ = 0;
  std::int32_t last_top_ = 0;
};

// Hands out motion drivers; the application installs it.
class TMotionFilmMaker final : public TFilmMaker {
 public:
  std::unique_ptr<TControlFilm> CreateFilm(TVornControl& holder) override;
};

}  // namespace vorn
