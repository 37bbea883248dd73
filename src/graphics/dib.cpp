#include "graphics/dib.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "foundation/system_texts.h"
#include "graphics/graphics_errors.h"

namespace vorn {

TDIB::TDIB() {
  ProgressClock = [] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  SetImage(EmptyDIBImage());
}

TDIB::~TDIB() {
  if (canvas_) canvas_->SetHandle(nullptr);
}

void TDIB::SetImage(const std::shared_ptr<TDIBSharedImage>& image) {
  if (image_ == image) return;
  if (canvas_) canvas_->SetHandle(nullptr);
  image_ = image;
  if (canvas_) canvas_->SetHandle(image_->GetDC());
  std::memcpy(ColorTable, image_->ColorTable, sizeof(ColorTable));
  PixelFormat = image_->PixelFormat;
  bitCount_ = image_->BitCount;
  height_ = image_->Height;
  nextLine_ = image_->NextLine;
  nowPixelFormat_ = image_->PixelFormat;
  pBits_ = image_->PBits;
  size_ = image_->Size;
  topPBits_ = image_->TopPBits;
  width_ = image_->Width;
  widthBytes_ = image_->WidthBytes;
}

// A store is built aside and taken only when building succeeded, so a failure leaves the bitmap
// on its old store.
void TDIB::ReplaceStore(const std::function<void(TDIBSharedImage&)>& build) {
  auto store = std::make_shared<TDIBSharedImage>();
  build(*store);
  SetImage(store);
}

void TDIB::Assign(const TGraphic* source) {
  if (source == nullptr) {
    Clear();
    return;
  }
  if (const auto* dib = dynamic_cast<const TDIB*>(source)) {
    if (dib != this) SetImage(dib->image_);
    return;
  }
  AssignGraphic(const_cast<TGraphic&>(*source));
}

void TDIB::AssignGraphic(TGraphic& graphic) {
  SetSize(graphic.GetWidth(), graphic.GetHeight(), 24);
  if (GetEmpty()) return;
  std::memset(GetBitsForWrite(), 0, static_cast<std::size_t>(size_));
  GetCanvas().Draw(0, 0, graphic);
}

void TDIB::Draw(TCanvas& canvas, const TRect& rect) {
  if (size_ < 1 || !canvas.HandleAllocated()) return;
  EnsureUncompressed();
  gdi::HDC dc = canvas.Handle();
  // The stretch mode and palette go back to the caller's even when drawing fails.
  struct Restore {
    gdi::HDC dc;
    int mode;
    gdi::HPALETTE palette;
    bool paletteSelected;
    ~Restore() {
      dc->SetStretchBltMode(mode);
      if (paletteSelected) dc->SelectPalette(palette);
    }
  } restore{dc, dc->StretchBltMode(), 0, false};
  if (image_->PaletteCount >= 1) {
    restore.palette = dc->SelectPalette(image_->GetPalette());
    restore.paletteSelected = true;
    dc->RealizePalette();
  }
  dc->SetStretchBltMode(gdi::COLORONCOLOR);
  gdi::GdiFlush();
  if (image_->MemoryImage)
    gdi::StretchDIBits(dc, rect.left, rect.top, rect.Width(), rect.Height(), 0, 0, width_, height_, image_->View(),
                       canvas.CopyMode);
  else
    gdi::StretchBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(), image_->GetDC(), 0, 0, width_, height_,
                    canvas.CopyMode);
}

void TDIB::SetPalette(gdi::HPALETTE palette) {
  gdi::PaletteEntry entries[kColorTableEntries] = {};
  gdi::GetPaletteEntries(palette, 0, kColorTableEntries, entries);
  gdi::DeletePalette(palette);
  for (int i = 0; i < kColorTableEntries; ++i)
    ColorTable[i] = RGBQuadFromRGB(entries[i].red, entries[i].green, entries[i].blue);
  UpdatePalette();
}

void TDIB::SetWidth(int width) {
  if (width <= 0)
    Clear();
  else if (GetEmpty())
    SetSize(width, std::max(height_, 1), 8);
  else
    SetSize(width, height_, bitCount_);
}

void TDIB::SetHeight(int height) {
  if (height <= 0)
    Clear();
  else if (GetEmpty())
    SetSize(std::max(width_, 1), height, 8);
  else
    SetSize(width_, height, bitCount_);
}

void TDIB::Clear() { SetImage(EmptyDIBImage()); }

void TDIB::SetSize(int width, int height, int bitCount) {
  if (width == width_ && height == height_ && bitCount == bitCount_ && nowPixelFormat_.SameMasks(PixelFormat))
    return;
  if (width <= 0 || height <= 0) {
    Clear();
    return;
  }
  const bool memoryImage = image_->MemoryImage;
  const TPixelFormatMasks format = PixelFormat;
  std::uint32_t table[kColorTableEntries];
  std::memcpy(table, ColorTable, sizeof(table));
  ReplaceStore([&](TDIBSharedImage& store) {
    store.NewImage(width, height, bitCount, format, table, memoryImage, false);
  });
  PaletteModified = true;
}

void TDIB::Changing(bool allowMemoryImage) {
  const auto& old = image_;
  if (old.use_count() > 1 || old->Compressed || (old->MemoryImage && !allowMemoryImage)) {
    const std::shared_ptr<TDIBSharedImage> keep = old;
    const bool memoryImage = allowMemoryImage && keep->MemoryImage;
    ReplaceStore([&](TDIBSharedImage& store) { store.Decompress(*keep, memoryImage); });
  }
}

void TDIB::EnsureSection() {
  if (image_->MemoryImage) {
    const std::shared_ptr<TDIBSharedImage> keep = image_;
    ReplaceStore([&](TDIBSharedImage& store) { store.Decompress(*keep, false); });
  }
}

void TDIB::EnsureUncompressed() {
  if (image_->Compressed) {
    const std::shared_ptr<TDIBSharedImage> keep = image_;
    ReplaceStore([&](TDIBSharedImage& store) { store.Decompress(*keep, keep->MemoryImage); });
  }
}

void TDIB::DetachHandle() {
  if (!image_->MemoryImage) {
    const std::shared_ptr<TDIBSharedImage> keep = image_;
    ReplaceStore([&](TDIBSharedImage& store) { store.Duplicate(*keep, true); });
  }
}

TCanvas& TDIB::GetCanvas() {
  if (canvas_ && canvas_->HandleAllocated()) return *canvas_;
  EnsureSection();
  canvas_ = std::make_unique<TCanvas>();
  canvas_->SetHandle(image_->GetDC());
  canvas_->OnChanging = [this] { Changing(false); };
  return *canvas_;
}

std::uint8_t* TDIB::GetBitsForWrite() {
  Changing(true);
  gdi::GdiFlush();
  return pBits_;
}

const std::uint8_t* TDIB::GetBits() const {
  gdi::GdiFlush();
  return pBits_;
}

std::uint8_t* TDIB::GetScanLine(int y) {
  Changing(true);
  if (y < 0 || y >= height_)
    throw EInvalidGraphicOperation(FormatSystemText(texts::kScanLineOutOfRangeFormat, y));
  gdi::GdiFlush();
  return RowAddress(y);
}

const std::uint8_t* TDIB::ReadScanLine(int y) {
  EnsureUncompressed();
  if (y < 0 || y >= height_)
    throw EInvalidGraphicOperation(FormatSystemText(texts::kScanLineOutOfRangeFormat, y));
  gdi::GdiFlush();
  return RowAddress(y);
}

std::uint32_t TDIB::GetPixel(int x, int y) {
  EnsureUncompressed();
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return gdi::ReadRawPixel(RowAddress(y), bitCount_, x);
}

void TDIB::SetPixel(int x, int y, std::uint32_t value) {
  Changing(true);
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  gdi::WriteRawPixel(RowAddress(y), bitCount_, x, value);
}

void TDIB::SetBitCount(int bitCount) {
  if (bitCount <= 0)
    Clear();
  else if (GetEmpty())
    SetSize(std::max(width_, 1), std::max(height_, 1), bitCount);
  else
    ConvertBitCount(bitCount);
}

void TDIB::UpdatePalette() {
  if (std::memcmp(ColorTable, image_->ColorTable, sizeof(ColorTable)) == 0) return;
  // Changing may replace the store, and SetImage would then copy the store's table over ours.
  std::uint32_t edited[kColorTableEntries];
  std::memcpy(edited, ColorTable, sizeof(edited));
  Changing(true);
  std::memcpy(ColorTable, edited, sizeof(edited));
  image_->SetColorTable(ColorTable);
  PaletteModified = true;
}

}  // namespace vorn
