// Bytes as a saved scene record, loaded into a scene on memory surfaces, then saved again.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "components/pelk_collection.h"
#include "components/vorn_base_list.h"
#include "foundation/errors.h"
#include "foundation/stream.h"
#include "foundation/vr_errors.h"

namespace {

// Either side of every version at which a field appears (later additions at the end, so the first
// byte of older seeds keeps its version).
constexpr std::array<std::int32_t, 17> kVersions = {101, 103, 107, 113, 114, 117, 118, 119, 120, 129, 130, 134,
                                                    104, 115, 124, 125, 126};
// Larger scenes are the player's to load, but their surfaces would exceed the fuzzer's memory.
constexpr std::int64_t kMaxHarnessPixels = std::int64_t{1} << 22;

std::int32_t Int32At(const std::uint8_t* bytes) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
                                   (static_cast<std::uint32_t>(bytes[2]) << 16) |
                                   (static_cast<std::uint32_t>(bytes[3]) << 24));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::int32_t version = kVersions[data[0] % kVersions.size()];
  if (size >= 9) {
    const std::int64_t width = Int32At(data + 1);
    const std::int64_t height = Int32At(data + 5);
    if (width > 0 && height > 0 && width * height > kMaxHarnessPixels) return 0;
  }
  // Pictures come from the cache (blank ones: there is no project); it outlives the scene.
  vorn::TPelkCollection cache;
  vorn::TPelkCollection* previous_cache = vorn::PelkMan;
  vorn::PelkMan = &cache;
  vorn::TVornBaseList scene;
  vorn::TMemoryStream stream(std::vector<std::uint8_t>(data + 1, data + size));
  try {
    scene.LoadFromStream(stream, version);
    scene.Paint();
    vorn::TMemoryStream out;
    scene.SaveToStream(out);
  } catch (const vorn::EReadError&) {
  } catch (const vorn::EWriteError&) {
  } catch (const vorn::EVrFileError&) {
    // A motion file the saved scene names is missing: the load fails with the file's error.
  }
  scene.ResetScene();
  vorn::PelkMan = previous_cache;
  return 0;
}
