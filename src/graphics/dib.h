#pragma once

// The device-independent bitmap: 1, 4, 8, 16 (5-5-5 or 5-6-5), 24 or 32 bits per pixel over a
// shared pixel store that is copied before the first write.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "graphics/canvas.h"
#include "graphics/dib_shared_image.h"
#include "graphics/graphic.h"
#include "graphics/pixel_format.h"
#include "platform/clipboard.h"

namespace vorn {

class TDIB : public TGraphic {
 public:
  TDIB();
  ~TDIB() override;

  // Shares the source's store (no pixel copy); nullptr clears. Another graphic is drawn in.
  void Assign(const TGraphic* source);
  void Draw(TCanvas& canvas, const TRect& rect) override;
  bool GetEmpty() const override { return size_ == 0; }
  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  gdi::HPALETTE GetPalette() const { return image_->GetPalette(); }
  // Takes ownership of the palette and makes its entries the colour table.
  void SetPalette(gdi::HPALETTE palette);
  void SetWidth(int width);
  void SetHeight(int height);

  // The "DIB" stored property: a packed DIB.
  void ReadData(TStream& stream);
  void WriteData(TStream& stream) const;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void LoadFromClipboardFormat(const platform::IClipboard& clipboard);
  void SaveToClipboardFormat(platform::IClipboard& clipboard) const;

  virtual void Clear();
  // Pixels are not kept unless size, depth and masks are all unchanged.
  virtual void SetSize(int width, int height, int bitCount);

  // Makes the store writable: copies a shared or compressed store, and a memory image when
  // allowMemoryImage is false.
  void Changing(bool allowMemoryImage);
  void EnsureSection();
  void EnsureUncompressed();
  void DetachHandle();
  TCanvas& GetCanvas();

  const std::uint8_t* GetBitmapInfo() const { return image_->BitmapInfo.data(); }
  int GetBitmapInfoSize() const { return image_->BitmapInfoSize; }
  int GetPaletteCount() const { return image_->PaletteCount; }
  std::uint8_t* GetBitsForWrite();
  // The pixel memory without making it writable: read only.
  const std::uint8_t* GetBits() const;
  // Row y (0 = top), writable; raises outside the bitmap.
  std::uint8_t* GetScanLine(int y);
  // Row y (0 = top) for reading only: decodes compressed data but never copies a shared store.
  // Raises outside the bitmap as GetScanLine does.
  const std::uint8_t* ReadScanLine(int y);
  std::uint32_t GetPixel(int x, int y);
  void SetPixel(int x, int y, std::uint32_t value);
  void SetBitCount(int bitCount);
  // Pushes ColorTable into the store when it differs from the store's table.
  void UpdatePalette();

  // Depth change and filters.
  void Blur(int bitCount, int radius);
  void Greyscale(int bitCount);
  void Negative();

  // Mirrors of the store.
  int BitCount() const { return bitCount_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int WidthBytes() const { return widthBytes_; }
  int NextLine() const { return nextLine_; }
  int Size() const { return size_; }
  const TPixelFormatMasks& NowPixelFormat() const { return nowPixelFormat_; }
  const std::shared_ptr<TDIBSharedImage>& Image() const { return image_; }

  // The bitmap's own editable colour table; reaches the store through UpdatePalette.
  std::uint32_t ColorTable[kColorTableEntries] = {};
  // The format the next SetSize gives 16- and 32-bit stores.
  TPixelFormatMasks PixelFormat;

  // Milliseconds of a monotonic clock for the progress redraw rule.
  std::function<std::int64_t()> ProgressClock;

 protected:
  void SetImage(const std::shared_ptr<TDIBSharedImage>& image);
  void AssignGraphic(TGraphic& graphic);
  // Row y (0 = top) of the current store, for readers that already made it writable or only read.
  std::uint8_t* RowAddress(int y) const { return topPBits_ + static_cast<std::ptrdiff_t>(y) * nextLine_; }

  void StartProgress(const std::string& caption);
  void UpdateProgress(int row);
  void EndProgress();

 private:
  void ReplaceStore(const std::function<void(TDIBSharedImage&)>& build);
  void ConvertBitCount(int bitCount);
  void SetFilterGreyRamp(int bitCount);

  std::unique_ptr<TCanvas> canvas_;
  std::shared_ptr<TDIBSharedImage> image_;

  std::string progressCaption_;
  int progressOldY_ = 0;
  std::int64_t progressOldTime_ = 0;
  int progressOld_ = 0;
  int progressY_ = 0;

  int bitCount_ = 0;
  int height_ = 0;
  int nextLine_ = 0;
  TPixelFormatMasks nowPixelFormat_;
  std::uint8_t* pBits_ = nullptr;
  int size_ = 0;
  std::uint8_t* topPBits_ = nullptr;
  int width_ = 0;
  int widthBytes_ = 0;
};

}  // namespace vorn
