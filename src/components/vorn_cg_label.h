#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "components/vorn_control.h"
#include "components/vorn_image_list.h"

namespace vorn {

// The lines of a text as cell indexes of a character sheet: the text split at CR, LF or CR LF (a
// break at the very end adds no empty line; an empty text has no lines), each character (a lead
// byte takes the next byte of its line with it) looked up in the sheet's character list, counting
// a two-byte character as one; -1 where the list lacks it. A lead byte with nothing after it on
// its line matches nothing.
class TGlyphCellMap {
 public:
  // Indexes the characters of the list once; the first occurrence of a character wins.
  void SetMapText(const std::string& map_text);
  std::int32_t CellOf(std::uint16_t code) const;
  std::vector<std::vector<std::int32_t>> Lines(const std::string& text) const;

 private:
  std::unordered_map<std::uint16_t, std::int32_t> cells_;
};

// Text written with cells cut from a sheet of character pictures (kind 24). The sheet's frames
// animate the text.
class TVornCGLabel : public TVornControl {
 public:
  explicit TVornCGLabel(TVornBaseList* owner);
  ~TVornCGLabel() override;

  // Repaints the area the text covered.
  void Destroying() override;

  std::uint8_t GetCompoType() const override { return 24; }

  std::string GetSource() const override { return source_; }
  void SetSource(const std::string& value) override;
  std::string GetText() const override { return text_; }
  void SetText(const std::string& value) override;
  std::string GetMapText() const override { return map_text_; }
  void SetMapText(const std::string& value) override;
  std::int32_t GetGlyphWidth() const override { return glyph_width_; }
  void SetGlyphWidth(std::int32_t value) override;
  std::int32_t GetGlyphHeight() const override { return glyph_height_; }
  void SetGlyphHeight(std::int32_t value) override;
  std::int32_t GetLineSpace() const override { return line_space_; }
  void SetLineSpace(std::int32_t value) override;
  bool GetPaused() const override { return paused_ != 0; }
  void SetPaused(bool value) override { paused_ = value ? 1 : 0; }
  // HA_LEFT 0, HA_CENTER 1, HA_RIGHT 2; other values draw as left.
  std::uint8_t GetHAlign() const override { return h_align_; }
  void SetHAlign(std::uint8_t value) override;
  std::int32_t GetAlpha() const override { return alpha_; }
  void SetAlpha(std::int32_t value) override;
  std::string GetOnIdle() const override { return on_idle_; }
  void SetOnIdle(const std::string& value) override { on_idle_ = value; }
  std::int32_t GetOrigWidth() const override;
  std::int32_t GetOrigHeight() const override;
  bool GetPlaying() const override { return paused_ == 0 && !GetAniPaused(); }

  const std::vector<std::vector<std::int32_t>>& Lines() const { return lines_; }
  TVornImageList& Sheet() { return sheet_; }

  void Paint() override;
  bool Tick() override;
  void ReleaseSurfaces() override;
  void RestoreSurfaces() override;

 protected:
  void SaveClassFields(TStream& stream) const override;
  void LoadClassFields(TStream& stream, std::int32_t version) override;

 private:
  void RebuildLines();
  // WIDTH from the longest line, HEIGHT from the lines and their spacing; repaints both sizes.
  void Resize();
  void PaintCells(TVornImageData& frame);

  std::string source_;
  std::string text_;
  std::string map_text_;
  std::int32_t glyph_width_ = 1;
  std::int32_t glyph_height_ = 1;
  std::int32_t line_space_ = 0;
  std::uint8_t paused_ = 0;
  std::uint8_t h_align_ = 0;
  std::int32_t alpha_ = 0;
  std::vector<std::vector<std::int32_t>> lines_;
  std::string on_idle_;
  TGlyphCellMap cells_;
  TVornImageList sheet_;
};

}  // namespace vorn
