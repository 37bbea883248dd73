#pragma once

// What a component needs of a motion film. Films live in a library above the components, so the
// components reach them only through this seam: that library implements it and the application
// installs it at start-up. With nothing installed a component gets the null film, which has no
// motion file to load: loading fails as for a missing file.

#include <cstdint>
#include <memory>
#include <string>

namespace vorn {

class TVornControl;

// Film time runs in ticks of 1000/60 ms.
inline constexpr double kFilmTickMs = 1000.0 / 60.0;

// One film driving one control, its holder. The holder owns the film (a button holds one per
// state picture besides its own); destroying the film frees it and gives the holder back its own
// position and order (motion left, motion top and sub-priority 0).
class TControlFilm {
 public:
  virtual ~TControlFilm() = default;

  // Loads the motion file and rewinds. A missing file raises the file system's error
  // ("%s:ファイルがありません") and leaves the film as it was; a broken one raises the film's own.
  virtual void LoadMotion(const std::string& file_name) = 0;
  // Rewinds: the next steps start the film again from its first tick.
  virtual void RestartMotion() = 0;
  // Shows the current tick again, after the display surfaces were rebuilt.
  virtual void Reapply() = 0;
  // One frame: moves the film on by the frame's game time and shows it on the holder. True when
  // the film ended with this step (the holder then scraps itself or posts its play-end event).
  virtual bool Tick() = 0;

  // Length in ticks (the frame count images report).
  virtual std::int32_t GetLength() const = 0;
  // The tick shown (the frame index images report).
  virtual std::int32_t GetTick() const = 0;
  // Film time in milliseconds; setting it moves the film there (an images' frame index write).
  virtual std::int32_t GetElapsed() const = 0;
  virtual void SetElapsed(std::int32_t ms) = 0;
  // Played to its end without repeating; a holder with an ended film is not playing.
  virtual bool IsEnded() const = 0;
};

// Hands out films.
class TFilmMaker {
 public:
  virtual ~TFilmMaker() = default;
  // A new film bound to the holder, with no motion file loaded yet.
  virtual std::unique_ptr<TControlFilm> CreateFilm(TVornControl& holder) = 0;
};

// No film: loading raises the missing-file error; length, tick and time stay 0, the film counts
// as ended and a step never reports an end.
class TNullFilm final : public TControlFilm {
 public:
  void LoadMotion(const std::string& file_name) override;
  void RestartMotion() override {}
  void Reapply() override {}
  bool Tick() override { return false; }
  std::int32_t GetLength() const override { return 0; }
  std::int32_t GetTick() const override { return 0; }
  std::int32_t GetElapsed() const override { return 0; }
  void SetElapsed(std::int32_t /*ms*/) override {}
  bool IsEnded() const override { return true; }
};

class TNullFilmMaker final : public TFilmMaker {
 public:
  std::unique_ptr<TControlFilm> CreateFilm(TVornControl& holder) override;
};

// Whether a SOURCE text names a motion file (".vmn" in any case), which becomes the control's film.
bool IsMotionFileName(const std::string& name);

// The installed maker, or the null maker when none is installed.
TFilmMaker& GetFilmMaker();
// Installs a maker (nullptr: none) and answers the one installed before (nullptr for none).
TFilmMaker* SetFilmMaker(TFilmMaker* maker);

}  // namespace vorn
