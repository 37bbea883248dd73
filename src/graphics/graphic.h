#pragma once

// The small graphic interface pictures implement: size, drawing onto a canvas, stream load and
// save, and progress notification for long operations.

#include <cstdint>
#include <functional>
#include <string>

#include "foundation/rect.h"
#include "foundation/stream.h"

namespace vorn {

class TCanvas;

enum class TProgressStage { psStarting = 0, psRunning = 1, psEnding = 2 };

class TGraphic;
using TProgressEvent = std::function<void(TGraphic& sender, TProgressStage stage, int percentDone,
                                          bool redrawNow, const TRect& rect, const std::string& message)>;

class TGraphic {
 public:
  TGraphic() = default;
  virtual ~TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  virtual bool GetEmpty() const = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  // Draws the whole picture stretched into rect of the canvas.
  virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;

  TProgressEvent OnProgress;
  // Set when an operation changed the picture's palette.
  bool PaletteModified = false;

 protected:
  void Progress(TProgressStage stage, int percentDone, bool redrawNow, const TRect& rect,
                const std::string& message) {
    if (OnProgress) OnProgress(*this, stage, percentDone, redrawNow, rect, message);
  }
};

}  // namespace vorn
