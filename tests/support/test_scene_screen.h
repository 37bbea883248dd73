#pragma once

#include "components/vorn_base_list.h"

namespace vorn::test {

// A screen for a scene under test: the surface it hands out (null: none), its depth and its
// full-screen state, all changeable between calls as a screen switch changes them.
class TTestSceneScreen final : public TSceneScreen {
 public:
  explicit TTestSceneScreen(TCustomDIBX* surface_ = nullptr, int bit_count_ = 32)
      : surface(surface_), bit_count(bit_count_) {}
  TCustomDIBX* GetSurface() const override { return surface; }
  int GetBitCount() const override { return bit_count; }
  bool IsFullScreen() const override { return full_screen; }

  TCustomDIBX* surface;
  int bit_count;
  bool full_screen = false;
};

}  // namespace vorn::test
