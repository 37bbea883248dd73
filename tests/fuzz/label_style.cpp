// Bytes as a label style record (first byte: the saved-game version), loaded into a label list,
// measured, drawn and saved again.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/errors.h"
#include "foundation/stream.h"
#include "graphics/memory_dibx.h"
#include "text/font_pixel.h"
#include "text/zk_label_list.h"

namespace {

// Either side of the versions at which the record changes.
constexpr std::array<std::int32_t, 4> kVersions = {108, 109, 121, 122};
// Larger fonts and frames are the player's to draw, but their glyphs would exceed the fuzzer's
// memory and time.
constexpr std::int32_t kMaxHarnessFontSize = 96;
constexpr std::int32_t kMaxHarnessFrame = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::int32_t version = kVersions[data[0] % kVersions.size()];
  vorn::TFontPixelManager cache;
  vorn::TFontPixelManager* previous = vorn::ExchangeFontPixelManager(&cache);
  vorn::TZkLabelList list;
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data + 1, data + size));
  try {
    list.LoadFromStream(stream, version);
    const bool drawable = list.font_size <= kMaxHarnessFontSize && list.border_width <= kMaxHarnessFrame &&
                          list.shadow_offset <= kMaxHarnessFrame;
    if (drawable) {
      list.AddLabel()->SetText("A\x82\xA0 ");
      list.Measure();
      vorn::TMemoryDIBX target(64, 32, 32);
      list.target = &target;
      list.GetLabel(0)->Draw(target, -3, 2);
    }
    vorn::TMemoryStream out;
    list.SaveToStream(out);
  } catch (const vorn::EReadError&) {
  }
  vorn::ExchangeFontPixelManager(previous);
  return 0;
}
