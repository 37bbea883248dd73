#pragma once

#include <memory>
#include <string>

namespace vorn {

class TCustomDIBX;

// The frames of one picture shown inside text. The pictures themselves live in the components
// library, above the text; it implements this and the source below.
class TWdImageFrames {
 public:
  virtual ~TWdImageFrames() = default;
  virtual int FrameCount() const = 0;
  // The surface of the first frame (it gives the glyph its size), or null.
  virtual TCustomDIBX* FirstSurface() = 0;
  // The current frame's surface (its ColorKey set, -1 for none) and 8-bit mask, either null.
  virtual TCustomDIBX* CurrentSurface() = 0;
  virtual TCustomDIBX* CurrentMask() = 0;
  // Steps the animation to the game clock; true when another frame is now current.
  virtual bool Animate() = 0;
  virtual void ReleaseAll() = 0;
  virtual void RestoreAll() = 0;
};

// Finds and loads pictures by project file name.
class TWdImageSource {
 public:
  virtual ~TWdImageSource() = default;
  virtual bool Exists(const std::string& name) = 0;
  // Loads the picture without a mask variant; raises the file layer's error when it cannot.
  virtual std::unique_ptr<TWdImageFrames> Load(const std::string& name) = 0;
};

// The installed source, or null (image glyphs then stay empty).
TWdImageSource* WdImageSource();
// Installs a source (null removes it) and returns the previous one; install it with ScopedSeam.
TWdImageSource* SetWdImageSource(TWdImageSource* source);

}  // namespace vorn
