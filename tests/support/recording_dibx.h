#pragma once

// A memory surface that records every drawing call it receives, with its arguments, and then
// carries it out. Tests read the calls to check what an operation asked of a surface.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/memory_dibx.h"

namespace vorn::test {

struct RecordedCall {
  std::string name;
  // The arguments in a fixed order, e.g. "49,-20 src 0,0,4,2 key 0 flip 0,0 opacity 128".
  std::string args;
  // The source surface of a blit (nullptr for fills and the rest).
  const TCustomDIBX* source = nullptr;
  // The destination rectangle of fills and stretches (else empty).
  TRect rect{};
  // The surface's DirtyRect when the call came.
  TRect dirty{};

  std::string Text() const { return args.empty() ? name : name + " " + args; }
};

// Only the calls made from outside are recorded, not those the surface makes on itself.
class RecordingDIBX : public TMemoryDIBX {
 public:
  using TMemoryDIBX::TMemoryDIBX;

  std::vector<RecordedCall> Calls;
  // Lock answers nullptr while set.
  bool FailLock = false;
  // StretchDraw raises std::runtime_error while set.
  bool ThrowOnStretch = false;

  int Count(std::string_view name) const {
    int n = 0;
    for (const auto& c : Calls) n += c.name == name ? 1 : 0;
    return n;
  }
  std::vector<RecordedCall> Named(std::string_view name) const {
    std::vector<RecordedCall> out;
    for (const auto& c : Calls)
      if (c.name == name) out.push_back(c);
    return out;
  }
  // The calls other than Lock, as text.
  std::vector<std::string> DrawingTexts() const {
    std::vector<std::string> out;
    for (const auto& c : Calls)
      if (c.name != "Lock") out.push_back(c.Text());
    return out;
  }

  static std::string R(const TRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
  }
  static std::string P(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
  static std::string Flip(bool h, bool v) { return P(h ? 1 : 0, v ? 1 : 0); }

  void Fill(std::uint32_t value) override {
    Record("Fill", std::to_string(value), nullptr, GetBoundsRect());
    Nested nested(depth_);
    TMemoryDIBX::Fill(value);
  }
  void FillRect(const TRect& rect, std::uint32_t value) override {
    Record("FillRect", R(rect) + " " + std::to_string(value), nullptr, rect);
    Nested nested(depth_);
    TMemoryDIBX::FillRect(rect, value);
  }
  void AddColorRect(const TRect& rect, std::uint32_t color) override {
    Record("AddColorRect", R(rect) + " " + Hex(color), nullptr, rect);
    Nested nested(depth_);
    TMemoryDIBX::AddColorRect(rect, color);
  }
  void SubColorRect(const TRect& rect, std::uint32_t color) override {
    Record("SubColorRect", R(rect) + " " + Hex(color), nullptr, rect);
    Nested nested(depth_);
    TMemoryDIBX::SubColorRect(rect, color);
  }
  void AddDirtyRect(const TRect& rect) override {
    Record("AddDirtyRect", R(rect), nullptr, rect);
    Nested nested(depth_);
    TMemoryDIBX::AddDirtyRect(rect);
  }
  std::uint8_t* Lock(int x, int y) override {
    Record("Lock", P(x, y), nullptr, TRect{});
    if (FailLock) return nullptr;
    Nested nested(depth_);
    return TMemoryDIBX::Lock(x, y);
  }
  void Draw(TCustomDIBX& source) override {
    Record("Draw", "", &source, TRect{});
    Nested nested(depth_);
    TMemoryDIBX::Draw(source);
  }
  void DrawRect(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool useKey, bool flipH,
                bool flipV) override {
    Record("DrawRect", P(x, y) + " src " + R(srcRect) + " key " + Bit(useKey) + " flip " +
                           Flip(flipH, flipV),
           &source, TRect{});
    Nested nested(depth_);
    TMemoryDIBX::DrawRect(x, y, source, srcRect, useKey, flipH, flipV);
  }
  void DrawMask(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool flipH, bool flipV,
                TCustomDIBX* mask) override {
    Record("DrawMask", P(x, y) + " src " + R(srcRect) + " flip " + Flip(flipH, flipV), &source,
           TRect{});
    Nested nested(depth_);
    TMemoryDIBX::DrawMask(x, y, source, srcRect, flipH, flipV, mask);
  }
  void DrawOpacity(int x, int y, TCustomDIBX& source, const TRect& srcRect, bool useKey,
                   bool flipH, bool flipV, std::uint32_t opacity) override {
    Record("DrawOpacity", P(x, y) + " src " + R(srcRect) + " key " + Bit(useKey) + " flip " +
                              Flip(flipH, flipV) + " opacity " + std::to_string(opacity),
           &source, TRect{});
    Nested nested(depth_);
    TMemoryDIBX::DrawOpacity(x, y, source, srcRect, useKey, flipH, flipV, opacity);
  }
  void DrawRotate(int x, int y, int zoomX, int zoomY, TCustomDIBX& source, const TRect& srcRect,
                  int pivotX, int pivotY, int angle, bool useKey, bool flipH, bool flipV,
                  std::uint32_t opacity) override {
    Record("DrawRotate", P(x, y) + " zoom " + P(zoomX, zoomY) + " src " + R(srcRect) + " pivot " +
                             P(pivotX, pivotY) + " angle " + std::to_string(angle) + " key " +
                             Bit(useKey) + " flip " + Flip(flipH, flipV) + " opacity " +
                             std::to_string(opacity),
           &source, TRect{});
    Nested nested(depth_);
    TMemoryDIBX::DrawRotate(x, y, zoomX, zoomY, source, srcRect, pivotX, pivotY, angle, useKey,
                            flipH, flipV, opacity);
  }
  void StretchDraw(const TRect& destRect, TCustomDIBX& source, const TRect& srcRect, bool useKey,
                   bool flipH, bool flipV, std::uint32_t opacity) override {
    Record("StretchDraw", R(destRect) + " src " + R(srcRect) + " key " + Bit(useKey) + " flip " +
                              Flip(flipH, flipV) + " opacity " + std::to_string(opacity),
           &source, destRect);
    if (ThrowOnStretch) throw std::runtime_error("stretch");
    Nested nested(depth_);
    TMemoryDIBX::StretchDraw(destRect, source, srcRect, useKey, flipH, flipV, opacity);
  }
  void DrawShrinkMono(int x, int y, TCustomDIBX& source, const TRect& srcRect,
                      std::uint32_t color, bool flipH, bool flipV, std::uint32_t opacity,
                      int factor) override {
    Record("DrawShrinkMono", P(x, y) + " src " + R(srcRect) + " color " + Hex(color) + " flip " +
                                 Flip(flipH, flipV) + " opacity " + std::to_string(opacity) +
                                 " factor " + std::to_string(factor),
           &source, TRect{});
    Nested nested(depth_);
    TMemoryDIBX::DrawShrinkMono(x, y, source, srcRect, color, flipH, flipV, opacity, factor);
  }

 private:
  static std::string Bit(bool b) { return b ? "1" : "0"; }
  static std::string Hex(std::uint32_t v) {
    static const char* digits = "0123456789ABCDEF";
    std::string s = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) s += digits[(v >> shift) & 0xF];
    return s;
  }
  // Calls the surface makes on itself while carrying out a recorded one are not the caller's.
  struct Nested {
    explicit Nested(int& depth) : depth_(depth) { ++depth_; }
    ~Nested() { --depth_; }
    int& depth_;
  };

  void Record(const char* name, std::string args, const TCustomDIBX* source, const TRect& rect) {
    if (depth_ == 0) Calls.push_back(RecordedCall{name, std::move(args), source, rect, DirtyRect});
  }

  int depth_ = 0;
};

}  // namespace vorn::test
