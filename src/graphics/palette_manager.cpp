#include "graphics/palette_manager.h"

#include <algorithm>
#include <cstring>

namespace vorn {

TPaletteItem::~TPaletteItem() {
  if (Palette != 0) gdi::DeletePalette(Palette);
}

namespace {
// A cheap checksum so the full table comparison runs only for likely matches.
std::int32_t PaletteKey(const std::uint32_t* entries, int count) {
  std::int32_t key = count;
  for (int i = 0; i < count; ++i)
    key += static_cast<std::int32_t>((entries[i] & 0xFF) + ((entries[i] >> 8) & 0xFF) + ((entries[i] >> 16) & 0xFF));
  return key;
}
}  // namespace

gdi::HPALETTE TPaletteManager::AcquirePalette(const std::uint32_t* entries, int count) {
  count = std::clamp(count, 1, kColorTableEntries);
  const std::int32_t key = PaletteKey(entries, count);
  for (auto& item : items_) {
    if (item->Key == key && item->Count == count &&
        std::memcmp(item->Entries, entries, static_cast<std::size_t>(count) * 4) == 0) {
      item->AddRef();
      return item->Palette;
    }
  }
  auto item = std::make_unique<TPaletteItem>();
  item->Key = key;
  std::memcpy(item->Entries, entries, static_cast<std::size_t>(count) * 4);
  item->Count = count;
  std::vector<gdi::PaletteEntry> logical(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    logical[i].red = static_cast<std::uint8_t>(entries[i] >> 16);
    logical[i].green = static_cast<std::uint8_t>(entries[i] >> 8);
    logical[i].blue = static_cast<std::uint8_t>(entries[i]);
    logical[i].flags = 0;
  }
  item->Palette = gdi::CreatePalette(logical.data(), count);
  item->AddRef();
  const gdi::HPALETTE handle = item->Palette;
  items_.push_back(std::move(item));
  return handle;
}

void TPaletteManager::ReleasePalette(gdi::HPALETTE& palette) {
  if (palette == 0) return;
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if ((*it)->Palette != palette) continue;
    palette = 0;
    if (--(*it)->RefCount <= 0) items_.erase(it);
    return;
  }
}

TPaletteManager& PaletteManager() {
  static TPaletteManager manager;
  return manager;
}

}  // namespace vorn
