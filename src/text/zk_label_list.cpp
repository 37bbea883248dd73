#include "text/zk_label_list.h"

#include <algorithm>
#include <climits>

#include "foundation/sjis.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "graphics/dibx.h"
#include "text/font_pixel.h"

namespace vorn {
namespace {

std::int32_t Clamp32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

// The graphics layer holds no pixel store of more than INT32_MAX bytes; a label that would need
// one is not rendered at all (decided before anything is allocated).
bool SurfaceFits(std::int64_t width, std::int64_t height, int bit_count) {
  if (width <= 0 || height <= 0) return false;
  const std::int64_t bytes_per_pixel = bit_count <= 8 ? 1 : (bit_count + 7) / 8;
  const std::int64_t stride = (width * bytes_per_pixel + 3) / 4 * 4;
  return stride <= INT32_MAX / height;
}

// The characters of a CP932 text as glyph codes: lead × 256 + trail, or one byte.
std::vector<std::uint16_t> CharCodes(const std::string& text) {
  std::vector<std::uint16_t> codes;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharLengthAt(text, i);
    auto code = static_cast<std::uint16_t>(static_cast<std::uint8_t>(text[i]));
    if (length == 2) code = static_cast<std::uint16_t>(code << 8 | static_cast<std::uint8_t>(text[i + 1]));
    codes.push_back(code);
    i += length;
  }
  return codes;
}

}  // namespace

// ---- one label ----

TZkLabelDIB::TZkLabelDIB(TZkLabelList& owner)
    : owner_(owner), color_(std::make_unique<TDIBX>()), alpha_(std::make_unique<TDIBX>()) {}

TZkLabelDIB::~TZkLabelDIB() = default;

TCustomDIBX& TZkLabelDIB::ColorSurface() { return *color_; }
TCustomDIBX& TZkLabelDIB::AlphaSurface() { return *alpha_; }

void TZkLabelDIB::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  dirty_ = true;
}

void TZkLabelDIB::Render() {
  int bits = 32;
  if (owner_.target != nullptr) {
    bits = owner_.target->GetBitCount();
  } else if (rendered_bits_ != 0) {
    bits = rendered_bits_;
  }
  RenderAt(bits);
}

void TZkLabelDIB::RenderAt(int bit_count) {
  dirty_ = false;
  rendered_bits_ = bit_count;
  if (!SurfaceFits(width_, height_, std::max(bit_count, 8))) {
    color_->SetSize(0, 0, 32);
    alpha_->SetSize(0, 0, 8);
    return;
  }
  if (color_->GetWidth() != width_ || color_->GetHeight() != height_ || color_->GetBitCount() != bit_count) {
    color_->SetSize(width_, height_, bit_count);
    alpha_->SetSize(width_, height_, 8);
  }
  alpha_->Fill(0);
  TFontPixelManager* cache = FontPixelManager();
  if (cache == nullptr) return;
  cache->SetQuality(owner_.quality);
  const auto text = static_cast<std::uint32_t>(color_->ColorToPixel(owner_.text_color));
  const auto border = static_cast<std::uint32_t>(color_->ColorToPixel(owner_.border_color));
  const auto shadow = static_cast<std::uint32_t>(color_->ColorToPixel(owner_.shadow_color));
  const std::vector<std::uint16_t> codes = CharCodes(text_);
  std::int64_t x = 0;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const std::int32_t cell = i < char_widths_.size() ? char_widths_[i] : 0;
    if (x >= width_) break;
    TFontPixel* glyph = cache->GetGlyph(codes[i], owner_.face, owner_.flags, owner_.font_size);
    TRect drawn{};
    glyph->DrawTo(*color_, *alpha_, false, drawn, shadow, border, text, i + 1 == codes.size(), i == 0,
                  owner_.shadow_offset, owner_.border_width, static_cast<std::int32_t>(x), 0, cell, owner_.font_size);
    x += cell;
  }
}

void TZkLabelDIB::Draw(TCustomDIBX& target, int x, int y) {
  if (dirty_ || rendered_bits_ != target.GetBitCount()) RenderAt(target.GetBitCount());
  if (color_->IsEmpty() || owner_.opacity < 1) return;
  // There is no additive mode here: anything above opaque draws opaque.
  const auto opacity = static_cast<std::uint32_t>(std::min(owner_.opacity, 255));
  const TRect whole = alpha_->GetBoundsRect();
  if (owner_.border_width <= 0 && owner_.shadow_offset <= 0) {
    const auto color = static_cast<std::uint32_t>(target.ColorToPixel(owner_.text_color));
    target.DrawColorMask(x, y, alpha_.get(), whole, false, false, color, opacity);
  } else if (opacity < 255) {
    target.DrawMaskOpacity(x, y, *color_, whole, false, false, alpha_.get(), opacity);
  } else {
    target.DrawMask(x, y, *color_, whole, false, false, alpha_.get());
  }
}

// ---- the list ----

TZkLabelList::TZkLabelList() : face(texts::kDefaultLabelFace) {}

TZkLabelList::~TZkLabelList() = default;

void TZkLabelList::Clear() { labels_.clear(); }

TZkLabelDIB* TZkLabelList::GetLabel(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return labels_[static_cast<std::size_t>(index)].get();
}

TZkLabelDIB* TZkLabelList::AddLabel() {
  labels_.push_back(std::make_unique<TZkLabelDIB>(*this));
  return labels_.back().get();
}

std::int32_t TZkLabelList::MaxWidth() const {
  std::int32_t widest = 0;
  for (const auto& label : labels_) widest = std::max(widest, label->width_);
  return widest;
}

void TZkLabelList::Measure() {
  const gdi::HFONT font = gdi::CreateFontIndirect(GlyphFontRecord(face, flags, font_size));
  gdi::OutlineMetrics read;
  std::int64_t font_height = font_size;
  if (gdi::GetOutlineTextMetrics(*font, read)) {
    read.overhang = 0;
    gdi::WriteOutlineTextMetric(read, metrics.data());
    font_height = read.height;
  }
  const std::int64_t overhang = 0;
  const std::int64_t frame = 2 * static_cast<std::int64_t>(border_width) + shadow_offset;
  const std::int32_t height = Clamp32(font_height + frame);
  widths_.clear();
  auto measure = [&](std::uint16_t code, bool last) {
    gdi::AbcWidths abc;
    if (!gdi::GetCharABCWidths(*font, code, abc)) abc = {};
    std::int64_t width = static_cast<std::int64_t>(abc.abcA) + abc.abcB + abc.abcC + overhang + frame;
    // The last character keeps its right overhang.
    if (last && abc.abcC < 0) width -= abc.abcC;
    return Clamp32(width);
  };
  for (const auto& label : labels_) {
    const std::vector<std::uint16_t> codes = CharCodes(label->text_);
    label->char_widths_.clear();
    label->height_ = height;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
      const bool last = i + 1 == codes.size();
      std::int32_t width = 0;
      const auto known = widths_.find(codes[i]);
      if (known != widths_.end() && !last) {
        width = known->second;
      } else {
        width = measure(codes[i], last);
        // The widened last width goes into the table too: later labels with this character
        // inside take it.
        widths_[codes[i]] = width;
      }
      label->char_widths_.push_back(width);
      total += width;
    }
    label->width_ = Clamp32(total);
  }
}

void TZkLabelList::SetFontSize(std::int32_t size) {
  font_size = size;
  Measure();
  Invalidate();
}

void TZkLabelList::Invalidate() {
  for (const auto& label : labels_) label->dirty_ = true;
}

void TZkLabelList::SaveToStream(TStream& stream) const {
  WriteIntToStream(stream, quality);
  WriteIntToStream(stream, border_width);
  WriteIntToStream(stream, opacity);
  WriteIntToStream(stream, font_size);
  WriteStrToStream(stream, face);
  WriteIntToStream(stream, text_color);
  WriteIntToStream(stream, border_color);
  WriteByteToStream(stream, flags);
  stream.WriteBuffer(metrics.data(), metrics.size());
  WriteIntToStream(stream, shadow_offset);
  WriteIntToStream(stream, shadow_color);
}

void TZkLabelList::LoadFromStream(TStream& stream, std::int32_t version) {
  std::int32_t stored_quality = ReadIntFromStream(stream);
  // Older records knew only smooth or not.
  if (version < kLabelStyleQualityVersion) stored_quality = stored_quality > 1 ? 3 : 0;
  quality = std::clamp(stored_quality, 0, 3);
  border_width = ReadIntFromStream(stream);
  opacity = ReadIntFromStream(stream);
  font_size = ReadIntFromStream(stream);
  ReadStrFromStream(stream, face);
  text_color = ReadIntFromStream(stream);
  border_color = ReadIntFromStream(stream);
  flags = ReadByteFromStream(stream);
  stream.ReadBuffer(metrics.data(), metrics.size());
  if (version >= kLabelStyleShadowVersion) {
    shadow_offset = ReadIntFromStream(stream);
    shadow_color = ReadIntFromStream(stream);
  }
  Invalidate();
}

}  // namespace vorn
