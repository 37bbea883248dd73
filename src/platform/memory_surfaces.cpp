#include <algorithm>
#include <cstring>
#include <new>

#include "platform/display_surface.h"

namespace vorn::platform {
namespace {

bool RangeFits(int first, int count, int size) {
  return first >= 0 && count >= 0 &&
         static_cast<std::int64_t>(first) + count <= static_cast<std::int64_t>(size);
}

class MemorySurface final : public DisplaySurface {
 public:
  MemorySurface(const SurfaceDescription& description, std::vector<std::uint8_t> memory,
                std::shared_ptr<int> live)
      : description_(description), memory_(std::move(memory)), live_(std::move(live)) {
    ++*live_;
  }
  ~MemorySurface() override { --*live_; }

  SurfaceDescription Describe() const override { return description_; }

  std::uint8_t* Lock() override {
    ++locks_;
    return memory_.data();
  }
  void Unlock() override {
    if (locks_ > 0) --locks_;
  }
  int LockCount() const override { return locks_; }

  gdi::HDC GetDC(const DisplayPalette* colours) override {
    if (dc_) return dc_.get();
    gdi::PixelStore store;
    const int h = description_.height;
    // The device context's rows count from the bottom; a negative step walks our top-down rows.
    store.bits = memory_.data() + static_cast<std::ptrdiff_t>(h - 1) * description_.pitch;
    store.width = description_.width;
    store.height = h;
    store.bitCount = description_.bitCount;
    store.widthBytes = -description_.pitch;
    if (description_.bitCount > 8) {
      store.redMask = description_.redMask;
      store.greenMask = description_.greenMask;
      store.blueMask = description_.blueMask;
    } else {
      const DisplayPalette* p = colours != nullptr ? colours : palette_;
      store.colorTable = p != nullptr ? p->ColorTable() : black_.data();
      store.colorCount = 1 << description_.bitCount;
    }
    dc_ = std::make_unique<gdi::MemoryDC>(store);
    return dc_.get();
  }
  void ReleaseDC() override { dc_.reset(); }

  void SetPalette(DisplayPalette* palette) override { palette_ = palette; }
  DisplayPalette* GetPalette() const override { return palette_; }

 private:
  SurfaceDescription description_;
  std::vector<std::uint8_t> memory_;
  std::shared_ptr<int> live_;
  int locks_ = 0;
  std::unique_ptr<gdi::MemoryDC> dc_;
  DisplayPalette* palette_ = nullptr;
  std::vector<std::uint32_t> black_ = std::vector<std::uint32_t>(256, 0);
};

}  // namespace

DisplayPalette::DisplayPalette(int entryCount)
    : entries_(static_cast<std::size_t>(std::clamp(entryCount, 1, 256))), table_(256, 0) {}

bool DisplayPalette::GetEntries(int first, int count, gdi::PaletteEntry* out) const {
  if (!RangeFits(first, count, EntryCount()) || (out == nullptr && count > 0)) return false;
  std::copy_n(entries_.begin() + first, count, out);
  return true;
}

bool DisplayPalette::SetEntries(int first, int count, const gdi::PaletteEntry* entries) {
  if (!RangeFits(first, count, EntryCount()) || (entries == nullptr && count > 0)) return false;
  for (int i = 0; i < count; ++i) {
    const gdi::PaletteEntry& e = entries[i];
    entries_[static_cast<std::size_t>(first + i)] = e;
    table_[static_cast<std::size_t>(first + i)] =
        (static_cast<std::uint32_t>(e.red) << 16) | (static_cast<std::uint32_t>(e.green) << 8) |
        e.blue;
  }
  return true;
}

MemorySurfaceService::MemorySurfaceService(int bitCount, std::uint32_t redMask,
                                           std::uint32_t greenMask, std::uint32_t blueMask) {
  format_.bitCount = bitCount;
  format_.redMask = redMask;
  format_.greenMask = greenMask;
  format_.blueMask = blueMask;
}

std::unique_ptr<DisplaySurface> MemorySurfaceService::CreateSurface(int width, int height,
                                                                    int bitCount) {
  if (width <= 0 || height <= 0) return nullptr;
  SurfaceDescription d = format_;
  if (bitCount == 1 || bitCount == 4 || bitCount == 8) {
    d.bitCount = bitCount;
    d.redMask = d.greenMask = d.blueMask = 0;
  }
  const std::int64_t pitch = (static_cast<std::int64_t>(width) * d.bitCount + 31) / 32 * 4;
  if (pitch > kMaxDisplaySurfaceBytes / height) return nullptr;
  const std::int64_t bytes = pitch * height;
  d.width = width;
  d.height = height;
  d.pitch = static_cast<int>(pitch);
  std::vector<std::uint8_t> memory;
  try {
    memory.assign(static_cast<std::size_t>(bytes), 0);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return std::make_unique<MemorySurface>(d, std::move(memory), live_);
}

}  // namespace vorn::platform
