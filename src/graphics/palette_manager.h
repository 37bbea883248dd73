#pragma once

// One palette per distinct colour table, shared by every bitmap that shows that table and freed
// with its last user.

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/pixel_format.h"
#include "platform/gdi/gdi.h"

namespace vorn {

class TPaletteItem {
 public:
  TPaletteItem() = default;
  ~TPaletteItem();
  TPaletteItem(const TPaletteItem&) = delete;
  TPaletteItem& operator=(const TPaletteItem&) = delete;

  void AddRef() { ++RefCount; }

  std::int32_t Key = 0;
  gdi::HPALETTE Palette = 0;  // owned
  std::int32_t RefCount = 0;
  std::uint32_t Entries[kColorTableEntries] = {};
  std::int32_t Count = 0;
};

class TPaletteManager {
 public:
  // count is 1..256 entries of a colour table.
  gdi::HPALETTE AcquirePalette(const std::uint32_t* entries, int count);
  // Sets the variable to 0 when it named a palette of this manager; an unknown handle is left.
  void ReleasePalette(gdi::HPALETTE& palette);

  int ItemCount() const { return static_cast<int>(items_.size()); }
  const TPaletteItem* Item(int index) const { return items_[static_cast<std::size_t>(index)].get(); }

 private:
  std::vector<std::unique_ptr<TPaletteItem>> items_;
};

// The process's one manager, made on first use.
TPaletteManager& PaletteManager();

}  // namespace vorn
