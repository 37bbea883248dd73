// Decodes the input into a sequence of drawing operations with arbitrary arguments on small
// surfaces of every depth, bottom-up (TDIBX) and top-down (TMemoryDIBX), and the bitmap blits of
// the TDIBX surfaces' own pictures. Nothing may read or write outside a surface, mask, alpha plane
// or table.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/dibx.h"
#include "graphics/memory_dibx.h"
#include "graphics/vector_unit.h"

namespace {

using namespace vorn;

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool More() const { return pos_ < size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::int32_t Int() {
    // Mostly small values, sometimes extreme ones.
    const std::uint8_t kind = Byte();
    switch (kind % 8) {
      case 0: {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
        return static_cast<std::int32_t>(v);
      }
      case 1:
        return kind & 0x10 ? 2147483647 : -2147483647 - 1;
      default:
        return static_cast<std::int32_t>(static_cast<std::int8_t>(Byte()));
    }
  }
  std::uint32_t UInt() { return static_cast<std::uint32_t>(Int()); }
  bool Bool() { return Byte() & 1; }
  TRect Rect() { return TRect{Int(), Int(), Int(), Int()}; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

const int kDepths[] = {1, 4, 8, 15, 16, 24, 32};

std::unique_ptr<TCustomDIBX> MakeSurface(Reader& in) {
  const std::uint8_t b = in.Byte();
  std::unique_ptr<TCustomDIBX> s;
  if (b & 0x80)
    s = std::make_unique<TMemoryDIBX>();
  else
    s = std::make_unique<TDIBX>();
  const int w = in.Byte() % 12, h = in.Byte() % 12;
  s->SetSize(w, h, kDepths[b % 7]);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s->SetPixel(x, y, static_cast<std::uint32_t>(in.Byte()) * 0x01010101u);
  if (in.Bool()) s->ColorKey = in.Int();
  if (in.Bool()) s->SetDirtyRect(in.Rect());
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  ScopedVectorUnitOverride flag(in.Bool());
  std::vector<std::unique_ptr<TCustomDIBX>> s;
  for (int i = 0; i < 3; ++i) s.push_back(MakeSurface(in));
  std::vector<std::uint32_t> table(256);
  for (auto& e : table) e = static_cast<std::uint32_t>(in.Byte()) * 0x00010203u;
  int budget = 64;
  while (in.More() && budget-- > 0) {
    const std::uint8_t op = in.Byte();
    TCustomDIBX& d = *s[op % 3];
    TCustomDIBX& src = *s[(op / 3) % 3];
    TCustomDIBX* mask = s[(op / 9) % 3].get();
    const int which = in.Byte() % 45;
    auto* dibDest = dynamic_cast<TDIBX*>(&d);
    auto* dibSource = dynamic_cast<TDIBX*>(&src);
    switch (which) {
      case 0: d.FillRect(in.Rect(), in.UInt()); break;
      case 1: d.FillRectOpacity(in.Rect(), in.UInt(), in.UInt()); break;
      case 2: d.AddColorRect(in.Rect(), in.UInt()); break;
      case 3: d.SubColorRect(in.Rect(), in.UInt()); break;
      case 4: d.FrameRect(in.Rect(), in.Int(), in.UInt()); break;
      case 5: d.FrameRectOpacity(in.Rect(), in.Int(), in.UInt(), in.UInt()); break;
      case 6: d.FrameRectAdd(in.Rect(), in.Int(), in.UInt()); break;
      case 7: d.Draw(src); break;
      case 8: d.DrawRect(in.Int(), in.Int(), src, in.Rect(), in.Bool(), in.Bool(), in.Bool()); break;
      case 9: d.DrawMask(in.Int(), in.Int(), src, in.Rect(), in.Bool(), in.Bool(), mask); break;
      case 10: d.DrawOpacity(in.Int(), in.Int(), src, in.Rect(), in.Bool(), in.Bool(), in.Bool(), in.UInt()); break;
      case 11: d.DrawMaskOpacity(in.Int(), in.Int(), src, in.Rect(), in.Bool(), in.Bool(), mask, in.UInt()); break;
      case 12: d.DrawAdd(in.Int(), in.Int(), src, in.Rect(), in.Bool(), in.Bool(), in.Bool(), in.UInt()); break;
      case 13: d.DrawMaskAdd(in.Int(), in.Int(), src, in.Rect(), in.Bool(), in.Bool(), mask, in.UInt()); break;
      case 14: d.DrawRotate(in.Int(), in.Int(), in.Int(), in.Int(), src, in.Rect(), in.Int(), in.Int(), in.Int(), in.Bool(), in.Bool(), in.Bool(), in.UInt()); break;
      case 15: d.DrawRotateMask(in.Int(), in.Int(), in.Int(), in.Int(), src, in.Rect(), in.Int(), in.Int(), in.Int(), in.Bool(), in.Bool(), mask, in.UInt()); break;
      case 16: d.StretchDraw(in.Rect(), src, in.Rect(), in.Bool(), in.Bool(), in.Bool(), in.UInt()); break;
      case 17: d.StretchDrawMask(in.Rect(), src, in.Rect(), in.Bool(), in.Bool(), mask, in.UInt()); break;
      case 18: d.StretchDrawAdd(in.Rect(), src, in.Rect(), in.Bool(), in.Bool(), in.Bool(), in.UInt()); break;
      case 19: d.StretchDrawMaskAdd(in.Rect(), src, in.Rect(), in.Bool(), in.Bool(), mask, in.UInt()); break;
      case 20: d.DrawShrinkMono(in.Int(), in.Int(), src, in.Rect(), in.UInt(), in.Bool(), in.Bool(), in.UInt(), in.Int()); break;
      case 21: d.DrawShrinkQuad(in.Int(), in.Int(), src, in.Rect(), TShrinkColors{in.UInt(), in.UInt(), in.UInt()}, 0, in.Bool(), in.Bool(), in.UInt(), in.Int()); break;
      case 22: d.DrawRectTiled(in.Rect(), in.Int(), in.Int(), src, in.Rect(), in.Bool(), in.Int(), in.Int()); break;
      case 23: d.DrawOpacityTiled(in.Rect(), in.Int(), in.Int(), src, in.Rect(), in.Bool(), in.UInt(), in.Int(), in.Int()); break;
      case 24: d.DrawAddTiled(in.Rect(), in.Int(), in.Int(), src, in.Rect(), in.Bool(), in.UInt(), in.Int(), in.Int()); break;
      case 25: d.DrawMaskTiled(in.Rect(), in.Int(), in.Int(), src, in.Rect(), mask, in.Int(), in.Int()); break;
      case 26: d.DrawMaskOpacityTiled(in.Rect(), in.Int(), in.Int(), src, in.Rect(), mask, in.UInt(), in.Int(), in.Int()); break;
      case 27: d.DrawMaskAddTiled(in.Rect(), in.Int(), in.Int(), src, in.Rect(), mask, in.UInt(), in.Int(), in.Int()); break;
      case 28: d.StretchDrawTiled(in.Rect(), in.Int(), in.Int(), in.Int(), in.Int(), src, in.Rect(), in.Bool(), in.Bool(), in.Bool(), in.UInt(), in.Int(), in.Int()); break;
      case 29: d.StretchDrawMaskTiled(in.Rect(), in.Int(), in.Int(), in.Int(), in.Int(), src, in.Rect(), mask, in.Bool(), in.Bool(), in.UInt(), in.Int(), in.Int()); break;
      case 30: d.DrawBorder(in.Rect(), in.Int(), src, in.Int(), in.Int()); break;
      case 31: d.DrawTable4(in.Int(), in.Int(), src, in.Rect(), in.Bool(), in.Bool(), in.UInt(), table.data()); break;
      case 32: d.DrawTableAdd(in.Int(), in.Int(), src, in.Rect(), in.Int(), in.Bool(), in.Bool(), in.UInt(), table.data()); break;
      case 33: d.StretchDrawTableAdd(in.Rect(), src, in.Rect(), in.Int(), in.Bool(), in.Bool(), in.UInt(), table.data()); break;
      case 34: d.DrawScaledTiled(in.Rect(), in.Int(), in.Int(), src, in.Int(), in.Int(), in.Bool(), in.Bool(), in.Bool(), in.UInt()); break;
      case 35: d.DrawScaledTiledMask(in.Rect(), in.Int(), in.Int(), src, in.Int(), in.Int(), in.Bool(), in.Bool(), mask, in.UInt()); break;
      case 36: d.FillPattern(in.Rect(), src, in.Int(), in.Int(), in.Bool(), in.Bool()); break;
      case 37: d.DrawColorMask(in.Int(), in.Int(), mask, in.Rect(), in.Bool(), in.Bool(), in.UInt(), in.UInt()); break;
      case 38: d.Fill(in.UInt()); break;
      case 40:
        if (dibDest && dibSource) dibDest->DIB().DrawRect(in.Int(), in.Int(), dibSource->DIB(), in.Rect());
        break;
      case 41:
        if (dibDest && dibSource)
          dibDest->DIB().DrawKeyed(in.Int(), in.Int(), dibSource->DIB(), in.Rect(), in.Int());
        break;
      case 42:
        if (dibDest && dibSource)
          dibDest->DIB().DrawTranslucent(in.Int(), in.Int(), dibSource->DIB(), in.Rect(), in.Int(), in.Int());
        break;
      case 43:
        if (dibDest && dibSource) {
          // Sometimes with a plane of another size than its picture.
          TDIBSurface& picture = dibSource->DIB();
          if (in.Bool()) {
            picture.EnsureAlphaPlane();
            if (in.Bool()) picture.Alpha()->SetSize(in.Byte() % 16 + 1, in.Byte() % 16 + 1, 8);
          }
          dibDest->DIB().DrawAlpha(in.Int(), in.Int(), picture, in.Rect(), in.Int());
        }
        break;
      case 44:
        if (dibDest && dibSource) dibDest->DIB().DrawMapped(in.Int(), in.Int(), dibSource->DIB(), in.Int());
        break;
      default: {
        TRect r;
        RotatedBlitSetup(in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Rect(), in.Int(), in.Int(), in.Int(), in.Int(), in.Bool(), in.Bool(), r);
        d.AddDirtyRect(r);
        break;
      }
    }
  }
  return 0;
}
