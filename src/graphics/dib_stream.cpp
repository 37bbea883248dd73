// BMP files, packed DIBs and the clipboard form of TDIB.
#include <cstring>

#include "foundation/system_texts.h"
#include "graphics/dib.h"
#include "graphics/graphics_errors.h"

namespace vorn {

namespace {
constexpr int kFileHeaderSize = 14;
constexpr std::uint16_t kBitmapFileType = 0x4D42;  // "BM"

void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}
std::uint32_t ImageSizeField(const TDIBSharedImage& image) {
  const std::uint8_t* p = image.BitmapInfo.data() + 20;
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
}  // namespace

void TDIB::ReadData(TStream& stream) {
  const bool memoryImage = image_->MemoryImage;
  ReplaceStore([&](TDIBSharedImage& store) { store.ReadPackedDIB(stream, memoryImage); });
}

void TDIB::WriteData(TStream& stream) const {
  if (GetEmpty()) return;
  gdi::GdiFlush();
  stream.WriteBuffer(image_->BitmapInfo.data(), static_cast<std::size_t>(image_->BitmapInfoSize));
  stream.WriteBuffer(image_->PBits, ImageSizeField(*image_));
}

void TDIB::LoadFromStream(TStream& stream) {
  std::uint8_t header[kFileHeaderSize];
  const std::size_t got = stream.Read(header, sizeof header);
  if (got == 0) return;
  if (got < sizeof header || (header[0] | (header[1] << 8)) != kBitmapFileType)
    throw EInvalidGraphic(std::string(texts::kInvalidDIB));
  // The header's size and offset are not used: the rows follow the colour table.
  ReadData(stream);
}

void TDIB::SaveToStream(TStream& stream) {
  if (GetEmpty()) return;
  const std::uint32_t infoSize = static_cast<std::uint32_t>(image_->BitmapInfoSize);
  std::uint8_t header[kFileHeaderSize] = {};
  Put16(header, kBitmapFileType);
  Put32(header + 2, kFileHeaderSize + infoSize + ImageSizeField(*image_));
  Put32(header + 10, kFileHeaderSize + infoSize);
  stream.WriteBuffer(header, sizeof header);
  WriteData(stream);
}

void TDIB::LoadFromClipboardFormat(const platform::IClipboard& clipboard) {
  auto bytes = clipboard.GetData(platform::kClipboardFormatDIB);
  if (!bytes) return;
  TMemoryStream stream(std::move(*bytes));
  ReadData(stream);
}

void TDIB::SaveToClipboardFormat(platform::IClipboard& clipboard) const {
  TMemoryStream stream;
  WriteData(stream);
  clipboard.SetData(platform::kClipboardFormatDIB, stream.TakeBytes());
}

}  // namespace vorn
