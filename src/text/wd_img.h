#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "text/text_values.h"
#include "text/wd_char.h"
#include "text/wd_image_source.h"

namespace vorn {

class TCustomDIBX;

// A picture inside the text, aligned on the row (TOP, CENTER, BOTTOM) or floating at its side
// (LEFT, RIGHT).
class TWdImg : public TWdReal {
 public:
  using TWdReal::TWdReal;
  ~TWdImg() override;
  std::unique_ptr<TWdGlyph> NewLike(TZkWord* document) const override;

  int GetKind() const override { return kGlyphImage; }
  int GetUnits() const override { return 1; }
  std::uint8_t GetAlign() const override { return align_; }
  void SetAlign(std::uint8_t align) override { align_ = align; }
  // A flag only: rows of images keep no style record.
  bool GetNoBreak() const override { return no_break_; }
  void SetNoBreak(bool flag) override { no_break_ = flag; }
  std::string GetRuby() const override { return ruby_; }
  void SetRuby(const std::string& text) override { ruby_ = text; }

  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& name) { file_name_ = name; }
  bool HasImage() const { return frames_ != nullptr; }

  // Loads the picture when the project has it and takes the first frame's size; a missing file
  // leaves the glyph empty.
  void Measure() override;
  bool IsAnimated() const override { return frames_ != nullptr; }
  void Animate() override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;
  // Draws the current frame on the document's target at the document's opacity.
  void Draw() override;
  void Assign(const TWdGlyph& source) override;
  void SaveToStream(TStream& stream) const override;

  // The opacity a draw uses: 1..254 blend, 255 opaque, 256..511 add; below 1 nothing is drawn.
  static std::int32_t EffectiveOpacity(std::int32_t glyph, std::int32_t document);

 private:
  std::string file_name_;
  std::uint8_t align_ = kAlignBottom;
  bool no_break_ = false;
  std::string ruby_;
  std::unique_ptr<TWdImageFrames> frames_;
};

}  // namespace vorn
