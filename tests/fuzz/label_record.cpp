// Bytes as a label's saved record (its object and control record, then the label's own fields;
// first byte: the saved-game version), loaded into a label on a scene of memory surfaces, painted
// and saved again.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "components/vorn_base_list.h"
#include "components/vorn_label.h"
#include "foundation/errors.h"
#include "foundation/stream.h"
#include "foundation/vr_errors.h"
#include "graphics/memory_dibx.h"
#include "text/font_pixel.h"

namespace {

// Either side of the versions at which a field of the record appears.
constexpr std::array<std::int32_t, 6> kVersions = {101, 103, 104, 117, 118, 134};
constexpr std::int32_t kMaxHarnessFontHeight = 96;
constexpr std::size_t kMaxHarnessTextBytes = 256;
constexpr std::size_t kMaxHarnessLines = 16;

// A screen of memory surfaces for the scene under the harness.
class HarnessScreen final : public vorn::TSceneScreen {
 public:
  vorn::TCustomDIBX* GetSurface() const override { return &surface; }
  int GetBitCount() const override { return 32; }
  bool IsFullScreen() const override { return false; }
  mutable vorn::TMemoryDIBX surface{64, 48, 32};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::int32_t version = kVersions[data[0] % kVersions.size()];
  // Loaded without a glyph cache: nothing is measured, so the load lays out nothing large.
  vorn::TFontPixelManager* previous = vorn::ExchangeFontPixelManager(nullptr);
  {
    HarnessScreen screen;
    vorn::TVornBaseList scene;
    scene.SetWidth(64);
    scene.SetHeight(48);
    scene.SetScreen(&screen);
    auto* label = vorn::CreateObject<vorn::TVornLabel>(scene);
    label->SetParent(scene.ActiveLayer());
    vorn::TMemoryStream stream(std::vector<std::uint8_t>(data + 1, data + size));
    try {
      label->LoadFromStream(stream, version);
      // Larger labels are the player's to draw, but their surfaces would exceed the fuzzer's
      // memory: only small ones are laid out again with glyphs and painted.
      const std::int32_t height = label->GetFontHeight();
      const std::int32_t space = label->GetLineSpace();
      if (height <= kMaxHarnessFontHeight && space >= -kMaxHarnessFontHeight && space <= kMaxHarnessFontHeight &&
          label->GetText().size() <= kMaxHarnessTextBytes && label->Lines().size() <= kMaxHarnessLines) {
        vorn::TFontPixelManager cache;
        vorn::ExchangeFontPixelManager(&cache);
        label->RestoreSurfaces();
        scene.ActiveLayer()->TVornControl::Paint();
        vorn::ExchangeFontPixelManager(nullptr);
      }
      vorn::TMemoryStream out;
      label->SaveToStream(out);
    } catch (const vorn::EReadError&) {
    } catch (const vorn::EVrFileError&) {
      // A motion file the record names is missing.
    }
    scene.ResetScene();
  }
  vorn::ExchangeFontPixelManager(previous);
  return 0;
}
