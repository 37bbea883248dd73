#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "foundation/rect.h"
#include "platform/gdi/gdi_font.h"

namespace vorn {

class TCustomDIBX;
class TFontPixelManager;

// Style flags of a glyph key.
constexpr std::uint8_t kFontBold = 1;
constexpr std::uint8_t kFontItalic = 2;
constexpr std::uint8_t kFontUnderline = 4;
constexpr std::uint8_t kFontStrikeOut = 8;

struct TFontPixelKey {
  std::uint16_t code = 0;
  std::string face;
  std::int32_t size = 0;
  std::uint8_t flags = 0;
  std::int32_t quality = 0;
  friend bool operator==(const TFontPixelKey&, const TFontPixelKey&) = default;
};

// One cached glyph: its coverage bitmap (0..255 a pixel, rows packed at the bitmap width) and
// the numbers drawing needs.
class TFontPixel {
 public:
  TFontPixel(TFontPixelManager* owner, TFontPixelKey key) : owner_(owner), key_(std::move(key)) {}

  const TFontPixelKey& Key() const { return key_; }
  bool HasBitmap() const { return bitmapWidth > 0 && bitmapHeight > 0; }
  std::uint8_t Coverage(int x, int y) const {
    return bitmap[static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmapWidth) + static_cast<std::size_t>(x)];
  }

  // Draws into a colour surface (15, 16 or 32 bits; colours are its pixel values) and an 8-bit
  // alpha surface within the cell (left, top, width, height); `drawn` gets the rectangle touched
  // (empty when the glyph has no bitmap).
  void DrawTo(TCustomDIBX& color, TCustomDIBX& alpha, bool clearFirst, TRect& drawn, std::uint32_t shadowColor,
              std::uint32_t borderColor, std::uint32_t textColor, bool isLast, bool isFirst, std::int32_t shadow,
              std::int32_t border, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

  std::int32_t bitmapWidth = 0;
  std::int32_t bitmapHeight = 0;
  std::vector<std::uint8_t> bitmap;
  std::int32_t originX = 0;
  std::int32_t originY = 0;
  std::int32_t underline = 0;
  std::int32_t strikeTop = 0;
  std::int32_t strikeThickness = 0;
  std::int32_t advanceExtra = 0;

 private:
  friend class TFontPixelManager;
  std::int32_t CentringOffset(std::int32_t width);

  TFontPixelManager* owner_;
  TFontPixelKey key_;
  std::list<std::unique_ptr<TFontPixel>>::iterator self_;
};

// The glyph bitmap cache: at most kMaxEntries glyphs, the least recently used one going first.
class TFontPixelManager {
 public:
  static constexpr int kMaxEntries = 256;

  TFontPixelManager();
  ~TFontPixelManager();
  TFontPixelManager(const TFontPixelManager&) = delete;
  TFontPixelManager& operator=(const TFontPixelManager&) = delete;

  // Every user sets the quality before asking. Clamped to 0..3; after a failed glyph request
  // the cache stays at monochrome for the rest of the run, whatever is set.
  std::int32_t Quality() const { return quality_; }
  void SetQuality(std::int32_t quality);
  bool Failed() const { return failed_; }

  // The glyph of (code, face, size, flags, current quality), made on a miss. Raises
  // "Error:GetOutlineTextMetrics" when a newly selected font has no readable metrics.
  TFontPixel* GetGlyph(std::uint16_t code, const std::string& face, std::uint8_t flags, std::int32_t size);
  // ABC widths of a character as the measuring canvas gives them.
  gdi::AbcWidths MeasureAbc(std::uint16_t code, const std::string& face, std::uint8_t flags, std::int32_t size);

  int Count() const { return static_cast<int>(entries_.size()); }
  // Fonts selected so far (runs of one style select one).
  int FontSelections() const { return selections_; }
  const gdi::OutlineMetrics& Metrics() const { return metrics_; }

 private:
  void SelectFont(const std::string& face, std::uint8_t flags, std::int32_t size);
  void Render(TFontPixel& entry);
  bool BuildBitmap(TFontPixel& entry, unsigned format, const gdi::GlyphMetrics& gm,
                   const std::vector<std::uint8_t>& buffer);

  std::array<std::unique_ptr<std::vector<TFontPixel*>>, 256> buckets_;
  std::list<std::unique_ptr<TFontPixel>> entries_;  // front = newest
  std::int32_t quality_ = 3;
  bool failed_ = false;

  gdi::HFONT font_;
  bool selected_ = false;
  std::string lastFace_;
  std::int32_t lastSize_ = 0;
  std::uint8_t lastFlags_ = 0;
  gdi::OutlineMetrics metrics_;
  int selections_ = 0;

  gdi::HFONT measureFont_;
  bool measureSelected_ = false;
  std::string measureFace_;
  std::int32_t measureSize_ = 0;
  std::uint8_t measureFlags_ = 0;

  std::set<std::string> reportedFaces_;
};

// The font record for face at size with flags: the catalogue's record of the face, or of the
// fixed-pitch face when the catalogue lacks it. Glyphs and label measuring share it.
gdi::LogFont GlyphFontRecord(const std::string& face, std::uint8_t flags, std::int32_t size);

// The player's one cache (null until the player makes it; tests install their own).
TFontPixelManager* FontPixelManager();
TFontPixelManager* ExchangeFontPixelManager(TFontPixelManager* manager);

}  // namespace vorn
