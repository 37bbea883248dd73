#include <algorithm>
#include <climits>
#include <cstring>

#include "foundation/errors.h"
#include "foundation/font_list.h"
#include "foundation/log_line.h"
#include "foundation/system_texts.h"
#include "platform/text_converter.h"
#include "text/font_pixel.h"

namespace vorn {
namespace {

TFontPixelManager* g_manager = nullptr;

constexpr char kMetricsError[] = "Error:GetOutlineTextMetrics";

// Grey level to coverage, per quality.
constexpr std::uint8_t kFiveLevels[] = {0, 79, 127, 207, 255};
constexpr std::uint8_t kSeventeenLevels[] = {0,   43,  55,  67,  79,  91,  103, 115, 159,
                                             171, 183, 195, 207, 219, 231, 243, 255};
constexpr std::uint8_t kSixtyFiveLevels[] = {
    0,   18,  21,  24,  27,  30,  33,  36,  55,  58,  61,  64,  67,  70,  73,  76,  79,
    82,  85,  88,  91,  94,  97,  100, 119, 122, 125, 128, 131, 134, 137, 140, 143, 146,
    149, 152, 155, 158, 161, 164, 183, 186, 189, 192, 195, 198, 201, 204, 207, 210, 213,
    216, 219, 222, 225, 228, 231, 234, 237, 240, 243, 246, 249, 252, 255};

unsigned FormatOf(std::int32_t quality) {
  switch (quality) {
    case 1: return gdi::GGO_GRAY2_BITMAP;
    case 2: return gdi::GGO_GRAY4_BITMAP;
    case 3: return gdi::GGO_GRAY8_BITMAP;
    default: return gdi::GGO_BITMAP;
  }
}

std::string CharText(std::uint16_t code) {
  std::string text;
  if (code > 255) text.push_back(static_cast<char>(code >> 8));
  text.push_back(static_cast<char>(code & 0xFF));
  return text;
}

}  // namespace

TFontPixelManager* FontPixelManager() { return g_manager; }

TFontPixelManager* ExchangeFontPixelManager(TFontPixelManager* manager) {
  TFontPixelManager* old = g_manager;
  g_manager = manager;
  return old;
}

TFontPixelManager::TFontPixelManager() = default;
TFontPixelManager::~TFontPixelManager() = default;

void TFontPixelManager::SetQuality(std::int32_t quality) {
  quality_ = failed_ ? 0 : std::clamp(quality, 0, 3);
}

gdi::LogFont GlyphFontRecord(const std::string& face, std::uint8_t flags, std::int32_t size) {
  TLogFont found;
  if (!FindFontLogFont(face, found) || found.FaceName() != face) {
    const std::string_view fallback = texts::kDefaultTextFace;
    if (!FindFontLogFont(fallback, found)) {
      found = TLogFont{};
      found.lfCharSet = kShiftJisCharset;
      std::memcpy(found.lfFaceName, fallback.data(), std::min(fallback.size(), sizeof found.lfFaceName - 1));
    }
  }
  gdi::LogFont record = found;
  record.lfHeight = size;
  record.lfWidth = 0;
  record.lfWeight = (flags & kFontBold) != 0 ? 700 : 400;
  record.lfItalic = (flags & kFontItalic) != 0 ? 1 : 0;
  record.lfUnderline = (flags & kFontUnderline) != 0 ? 1 : 0;
  record.lfStrikeOut = (flags & kFontStrikeOut) != 0 ? 1 : 0;
  return record;
}

void TFontPixelManager::SelectFont(const std::string& face, std::uint8_t flags, std::int32_t size) {
  if (selected_ && face == lastFace_ && size == lastSize_ && flags == lastFlags_) return;
  selected_ = false;
  font_ = gdi::CreateFontIndirect(GlyphFontRecord(face, flags, size));
  ++selections_;
  if (!gdi::GetOutlineTextMetrics(*font_, metrics_)) throw Exception(kMetricsError);
  if (!gdi::FontUsable(*font_) && reportedFaces_.insert(face).second) {
    LogLine("no usable font for face \"" + platform::Cp932ToUtf8(face) + "\": its glyphs stay blank");
  }
  lastFace_ = face;
  lastSize_ = size;
  lastFlags_ = flags;
  selected_ = true;
}

TFontPixel* TFontPixelManager::GetGlyph(std::uint16_t code, const std::string& face, std::uint8_t flags,
                                        std::int32_t size) {
  auto& bucket = buckets_[code & 0xFF];
  if (!bucket) bucket = std::make_unique<std::vector<TFontPixel*>>();
  for (TFontPixel* entry : *bucket) {
    const TFontPixelKey& key = entry->key_;
    if (key.code == code && key.size == size && key.flags == flags && key.quality == quality_ && key.face == face) {
      entries_.splice(entries_.begin(), entries_, entry->self_);
      return entry;
    }
  }
  auto made = std::make_unique<TFontPixel>(this, TFontPixelKey{code, face, size, flags, quality_});
  if (size > 0) Render(*made);
  TFontPixel* entry = made.get();
  entries_.push_front(std::move(made));
  entry->self_ = entries_.begin();
  bucket->push_back(entry);
  if (entries_.size() > static_cast<std::size_t>(kMaxEntries)) {
    TFontPixel* oldest = entries_.back().get();
    auto& home = *buckets_[oldest->key_.code & 0xFF];
    home.erase(std::find(home.begin(), home.end(), oldest));
    entries_.pop_back();
  }
  return entry;
}

void TFontPixelManager::Render(TFontPixel& entry) {
  const TFontPixelKey& key = entry.key_;
  SelectFont(key.face, key.flags, key.size);
  gdi::GlyphMetrics gm;
  std::vector<std::uint8_t> buffer;
  unsigned format = FormatOf(quality_);
  std::uint32_t result = gdi::GetGlyphOutline(*font_, key.code, format, gm, buffer);
  if (result == gdi::GDI_ERROR) {
    failed_ = true;
    quality_ = 0;
    entry.key_.quality = 0;
    format = gdi::GGO_BITMAP;
    result = gdi::GetGlyphOutline(*font_, key.code, format, gm, buffer);
    if (result == gdi::GDI_ERROR) return;
  }
  if (!buffer.empty() && gm.gmBlackBoxX > 0 && BuildBitmap(entry, format, gm, buffer)) {
    entry.originX = std::max(0, gm.originX);
    const std::int64_t below = static_cast<std::int64_t>(metrics_.ascent) - gm.originY;
    entry.originY = static_cast<std::int32_t>(std::clamp<std::int64_t>(below, 0, INT32_MAX));
    entry.underline = (key.flags & kFontUnderline) != 0 ? metrics_.underscoreSize : 0;
    entry.strikeTop = metrics_.ascent - metrics_.strikeoutPosition;
    entry.strikeThickness = (key.flags & kFontStrikeOut) != 0 ? metrics_.strikeoutSize : 0;
    const std::int64_t extra = static_cast<std::int64_t>(gm.gmCellIncX) - entry.bitmapWidth - entry.originX;
    entry.advanceExtra = extra > 0 ? static_cast<std::int32_t>(extra) : 0;
    return;
  }
  // A blank glyph: its advance is the character's text width.
  gdi::TextSize extent;
  if (gdi::GetTextExtentPoint(*font_, CharText(key.code), extent)) entry.advanceExtra = extent.cx;
}

bool TFontPixelManager::BuildBitmap(TFontPixel& entry, unsigned format, const gdi::GlyphMetrics& gm,
                                    const std::vector<std::uint8_t>& buffer) {
  const std::int64_t width = gm.gmBlackBoxX;
  const std::int64_t stride = format == gdi::GGO_BITMAP ? (width + 31) / 32 * 4 : (width + 3) / 4 * 4;
  std::int64_t height = gm.gmBlackBoxY;
  const std::int64_t bufferRows = static_cast<std::int64_t>(buffer.size()) / stride;
  if (bufferRows > height) height = bufferRows;
  // Resource guard against absurd boxes: a bitmap whose 8-bit store could not be held stays blank.
  const std::int64_t storeStride = (width + 3) / 4 * 4;
  if (height <= 0 || storeStride * height > INT32_MAX) return false;
  entry.bitmapWidth = static_cast<std::int32_t>(width);
  entry.bitmapHeight = static_cast<std::int32_t>(height);
  entry.bitmap.assign(static_cast<std::size_t>(width * height), 0);
  const std::uint8_t* table = nullptr;
  std::size_t levels = 0;
  switch (format) {
    case gdi::GGO_GRAY2_BITMAP: table = kFiveLevels; levels = std::size(kFiveLevels); break;
    case gdi::GGO_GRAY4_BITMAP: table = kSeventeenLevels; levels = std::size(kSeventeenLevels); break;
    case gdi::GGO_GRAY8_BITMAP: table = kSixtyFiveLevels; levels = std::size(kSixtyFiveLevels); break;
    default: break;
  }
  const std::int64_t rows = std::min(height, bufferRows);
  for (std::int64_t y = 0; y < rows; ++y) {
    const std::uint8_t* source = buffer.data() + y * stride;
    std::uint8_t* out = entry.bitmap.data() + y * width;
    for (std::int64_t x = 0; x < width; ++x) {
      if (table == nullptr) {
        out[x] = (source[x / 8] & (0x80 >> (x % 8))) != 0 ? 255 : 0;
      } else {
        out[x] = table[std::min<std::size_t>(source[x], levels - 1)];
      }
    }
  }
  return true;
}

gdi::AbcWidths TFontPixelManager::MeasureAbc(std::uint16_t code, const std::string& face, std::uint8_t flags,
                                             std::int32_t size) {
  if (!measureSelected_ || face != measureFace_ || size != measureSize_ || flags != measureFlags_) {
    measureFont_ = gdi::CreateFontIndirect(GlyphFontRecord(face, flags, size));
    measureFace_ = face;
    measureSize_ = size;
    measureFlags_ = flags;
    measureSelected_ = true;
  }
  gdi::AbcWidths abc;
  if (!gdi::GetCharABCWidths(*measureFont_, code, abc)) abc = {};
  return abc;
}

}  // namespace vorn
