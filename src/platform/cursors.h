#pragma once

// The application's mouse cursors over the drawing panel: the system arrow, or one custom cursor
// (a still picture or an animation) that the scene installs from a cursor file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace vorn::platform {

// One picture of a cursor: rows from the top of 0xAARRGGBB pixels.
struct CursorImage {
  int width = 0;
  int height = 0;
  int hot_x = 0;
  int hot_y = 0;
  std::vector<std::uint32_t> pixels;
};

// One step of an animated cursor: the frame shown and for how long.
struct CursorStep {
  std::size_t frame = 0;
  std::uint32_t duration_ms = 1;
};

// The panel's cursor: the system arrow, the installed custom cursor, or the system's text cursor
// (over a text field).
enum class CursorShape { kDefault, kCustom, kText };

// The timing of a looping animation, shared by the back ends.
class CursorAnimation {
 public:
  // Steps of zero length count as 1 ms.
  void Start(std::vector<CursorStep> steps, std::uint32_t now_ms);
  void Stop() { Start({}, 0); }
  bool Running() const { return steps_.size() > 1; }
  // The frame shown at now (clock wrap included); 0 without steps.
  std::size_t FrameAt(std::uint32_t now_ms) const;
  // Milliseconds from now until the frame may change; none while nothing animates.
  std::optional<std::uint32_t> NextChangeIn(std::uint32_t now_ms) const;

 private:
  // Where in the cycle now falls, and the end of the step it falls in.
  std::size_t StepAt(std::uint32_t now_ms, std::uint64_t* step_end = nullptr, std::uint64_t* offset = nullptr) const;

  std::vector<CursorStep> steps_;
  std::uint64_t cycle_ms_ = 0;
  std::uint32_t start_ms_ = 0;
};

class Cursors {
 public:
  virtual ~Cursors() = default;
  // Replaces the custom cursor: a still picture (one frame, no steps) or frames shown step by step,
  // looping. `source` names where it came from. False when the host cannot make it; the custom
  // cursor is then the system arrow until the next install.
  virtual bool InstallCustom(std::string_view source, std::vector<CursorImage> frames,
                             std::vector<CursorStep> steps) = 0;
  virtual void SetPanelCursor(CursorShape shape) = 0;
  virtual CursorShape PanelCursor() const = 0;
  // Over the panel the panel's cursor shows; elsewhere (the tool strip) the system arrow.
  virtual void SetPointerOverPanel(bool over) = 0;
  // Over a text field the system's text cursor shows, whatever the panel's cursor is.
  virtual void SetPointerOverText(bool over) = 0;
};

// Headless: keeps what was installed and answers what would show at the clock's time.
class RecordingCursors final : public Cursors {
 public:
  struct Shown {
    CursorShape shape = CursorShape::kDefault;
    std::size_t frame = 0;  // of the custom cursor
    bool operator==(const Shown&) const = default;
  };

  // The animation runs on the clock (a still clock without one).
  explicit RecordingCursors(Clock* clock = nullptr) : clock_(clock) {}

  bool InstallCustom(std::string_view source, std::vector<CursorImage> frames, std::vector<CursorStep> steps) override;
  void SetPanelCursor(CursorShape shape) override { panel_ = shape; }
  CursorShape PanelCursor() const override { return panel_; }
  void SetPointerOverPanel(bool over) override { over_panel_ = over; }
  void SetPointerOverText(bool over) override { over_text_ = over; }

  // What the pointer shows now.
  Shown shown() const;
  const std::string& source() const { return source_; }
  const std::vector<CursorImage>& frames() const { return frames_; }
  const std::vector<CursorStep>& steps() const { return steps_; }
  int installs() const { return installs_; }
  bool over_panel() const { return over_panel_; }
  // The next install fails (a host that cannot make the cursor).
  void set_refuse_installs(bool refuse) { refuse_ = refuse; }

 private:
  std::uint32_t Now() const { return clock_ != nullptr ? clock_->TimeGetTime() : 0; }

  Clock* clock_;
  CursorShape panel_ = CursorShape::kDefault;
  bool over_panel_ = true;
  bool over_text_ = false;
  bool refuse_ = false;
  std::string source_;
  std::vector<CursorImage> frames_;
  std::vector<CursorStep> steps_;
  CursorAnimation animation_;
  int installs_ = 0;
};

}  // namespace vorn::platform
