#include "components/vorn_cg_label.h"

#include <algorithm>
#include <limits>

#include "components/pelk_collection.h"
#include "foundation/sjis.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "foundation/vocabulary_codes.h"
#include "graphics/custom_dibx.h"

namespace vorn {

namespace {

// The idle label joined the record after this version.
constexpr std::int32_t kLastVersionWithoutLabelIdle = 124;

std::int32_t Saturate32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

}  // namespace

// ---- cell map ----

void TGlyphCellMap::SetMapText(const std::string& map_text) {
  cells_.clear();
  std::int32_t position = 0;
  for (std::size_t i = 0; i < map_text.size(); ++position) {
    const auto lead = static_cast<std::uint8_t>(map_text[i]);
    if (IsLeadByte(lead) && i + 1 < map_text.size()) {
      const auto code = static_cast<std::uint16_t>((lead << 8) | static_cast<std::uint8_t>(map_text[i + 1]));
      cells_.emplace(code, position);
      i += 2;
    } else {
      // A lead byte at the very end is a character of its own that no text character equals.
      if (!IsLeadByte(lead)) cells_.emplace(lead, position);
      i += 1;
    }
  }
}

std::int32_t TGlyphCellMap::CellOf(std::uint16_t code) const {
  const auto found = cells_.find(code);
  return found != cells_.end() ? found->second : -1;
}

std::vector<std::vector<std::int32_t>> TGlyphCellMap::Lines(const std::string& text) const {
  std::vector<std::vector<std::int32_t>> lines;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = i;
    while (end < text.size() && !IsLineBreak(text[end])) ++end;
    std::vector<std::int32_t>& line = lines.emplace_back();
    while (i < end) {
      const auto lead = static_cast<std::uint8_t>(text[i]);
      if (!IsLeadByte(lead)) {
        line.push_back(CellOf(lead));
        i += 1;
      } else if (i + 1 < end) {
        line.push_back(CellOf(static_cast<std::uint16_t>((lead << 8) | static_cast<std::uint8_t>(text[i + 1]))));
        i += 2;
      } else {
        line.push_back(-1);
        i += 1;
      }
    }
    // CR LF is one break.
    if (end < text.size()) i = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1;
  }
  return lines;
}

// ---- label ----

TVornCGLabel::TVornCGLabel(TVornBaseList* owner) : TVornControl(owner), sheet_(owner) {}

TVornCGLabel::~TVornCGLabel() = default;

void TVornCGLabel::Destroying() {
  Invalidate();
  TVornControl::Destroying();
}

void TVornCGLabel::RebuildLines() { lines_ = cells_.Lines(text_); }

void TVornCGLabel::Resize() {
  std::int64_t longest = 0;
  for (const auto& line : lines_) longest = std::max<std::int64_t>(longest, static_cast<std::int64_t>(line.size()));
  const auto count = static_cast<std::int64_t>(lines_.size());
  std::int64_t height = count * glyph_height_;
  if (count >= 2) height += std::int64_t{line_space_} * (count - 1);
  Invalidate();
  StoreWidth(Saturate32(longest * glyph_width_));
  StoreHeight(Saturate32(height));
  Invalidate();
}

void TVornCGLabel::SetSource(const std::string& value) {
  if (value == source_) return;
  Invalidate();
  source_ = value;
  sheet_.Clear();
  if (!value.empty()) sheet_.LoadFromFile(value, false);
  if (sheet_.Count() > 0) sheet_.SetIndex(0);
}

void TVornCGLabel::SetText(const std::string& value) {
  if (value == text_) return;
  text_ = value;
  RebuildLines();
  Resize();
}

void TVornCGLabel::SetMapText(const std::string& value) {
  if (value == map_text_) return;
  map_text_ = value;
  cells_.SetMapText(map_text_);
  RebuildLines();
  Invalidate();
}

void TVornCGLabel::SetGlyphWidth(std::int32_t value) {
  value = std::max(value, 1);
  if (value == glyph_width_) return;
  glyph_width_ = value;
  Resize();
}

void TVornCGLabel::SetGlyphHeight(std::int32_t value) {
  value = std::max(value, 1);
  if (value == glyph_height_) return;
  glyph_height_ = value;
  Resize();
}

void TVornCGLabel::SetLineSpace(std::int32_t value) {
  if (value == line_space_) return;
  line_space_ = value;
  Resize();
}

void TVornCGLabel::SetHAlign(std::uint8_t value) {
  if (value == h_align_) return;
  h_align_ = value;
  Invalidate();
}

void TVornCGLabel::SetAlpha(std::int32_t value) {
  if (value == alpha_) return;
  alpha_ = value;
  Invalidate();
}

std::int32_t TVornCGLabel::GetOrigWidth() const {
  const TVornImageData* frame = sheet_.Current();
  return frame != nullptr ? frame->Frame().Surface().GetWidth() : 0;
}

std::int32_t TVornCGLabel::GetOrigHeight() const {
  const TVornImageData* frame = sheet_.Current();
  return frame != nullptr ? frame->Frame().Surface().GetHeight() : 0;
}

void TVornCGLabel::Paint() {
  TVornImageData* frame = sheet_.Current();
  if (GetWidth() == 0 || GetHeight() == 0 || frame == nullptr) return;
  if (alpha_ > 0) {
    TCustomDIBX& sheet = frame->Frame().Surface();
    if (sheet.GetWidth() / glyph_width_ < 1) return;
    PaintCells(*frame);
  }
  TVornControl::Paint();
}

void TVornCGLabel::PaintCells(TVornImageData& frame) {
  TCustomDIBX& sheet = frame.Frame().Surface();
  const std::int64_t gw = glyph_width_;
  const std::int64_t gh = glyph_height_;
  const std::int64_t columns = sheet.GetWidth() / gw;
  const std::int64_t cells = sheet.GetHeight() / gh * columns;
  const std::int64_t width = GetWidth();
  std::int64_t y = GetScreenTop();
  for (const auto& line : lines_) {
    const std::int64_t used = static_cast<std::int64_t>(line.size()) * gw;
    std::int64_t x = GetScreenLeft();
    if (h_align_ == HA_CENTER) x += (width - used) / 2;
    if (h_align_ == HA_RIGHT) x += width - used;
    for (const std::int32_t i : line) {
      if (i >= 0 && i < cells) {
        const TRect cell{static_cast<std::int32_t>(i % columns * gw), static_cast<std::int32_t>(i / columns * gh),
                         static_cast<std::int32_t>(i % columns * gw + gw), static_cast<std::int32_t>(i / columns * gh + gh)};
        frame.DrawToLabel(*this, Saturate32(x), Saturate32(y), cell);
      }
      x += gw;
    }
    y += gh + line_space_;
  }
}

bool TVornCGLabel::Tick() {
  const bool scrap = TVornControl::Tick();
  if (scrap || GetAniPaused()) return scrap;
  if (sheet_.Animate()) Invalidate();
  return false;
}

void TVornCGLabel::ReleaseSurfaces() { sheet_.ReleaseAll(); }

void TVornCGLabel::RestoreSurfaces() { sheet_.RestoreAll(); }

void TVornCGLabel::SaveClassFields(TStream& stream) const {
  TVornControl::SaveClassFields(stream);
  WriteStrToStream(stream, source_);
  WriteStrToStream(stream, text_);
  WriteStrToStream(stream, map_text_);
  WriteIntToStream(stream, glyph_width_);
  WriteIntToStream(stream, glyph_height_);
  WriteIntToStream(stream, line_space_);
  WriteByteToStream(stream, paused_);
  WriteByteToStream(stream, h_align_);
  WriteIntToStream(stream, alpha_);
  WriteStrToStream(stream, on_idle_);
}

void TVornCGLabel::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornControl::LoadClassFields(stream, version);
  SetSource(ReadStrFromStream(stream));
  ReadStrFromStream(stream, text_);
  ReadStrFromStream(stream, map_text_);
  glyph_width_ = std::max(ReadIntFromStream(stream), 1);
  glyph_height_ = std::max(ReadIntFromStream(stream), 1);
  line_space_ = ReadIntFromStream(stream);
  paused_ = ReadByteFromStream(stream);
  h_align_ = ReadByteFromStream(stream);
  alpha_ = ReadIntFromStream(stream);
  if (version > kLastVersionWithoutLabelIdle) ReadStrFromStream(stream, on_idle_);
  cells_.SetMapText(map_text_);
  RebuildLines();
  Resize();
}

}  // namespace vorn
