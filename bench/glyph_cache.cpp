// The glyph bitmap cache in one run:
//  (a) misses over 256 distinct kanji at 24 px against the rasteriser's raw render of the same
//      glyphs (font made, metrics read, each outline asked): target ≤ 1.3×;
//  (b) hits against a std::unordered_map lookup of the same five-part keys: target ≤ 2×;
//  (c) drawing a glyph with border 2 and shadow 2 against without: the ratio is reported.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/system_texts.h"
#include "graphics/memory_dibx.h"
#include "platform/gdi/gdi_font.h"
#include "text/font_pixel.h"

namespace {

constexpr std::int32_t kSize = 24;
const std::string kFace(vorn::texts::kDefaultTextFace);

// 256 kanji codes from the start of the first level.
std::vector<std::uint16_t> Kanji() {
  std::vector<std::uint16_t> codes;
  for (unsigned lead = 0x88; codes.size() < 256; ++lead) {
    for (unsigned trail = lead == 0x88 ? 0x9F : 0x40; trail <= 0xFC && codes.size() < 256; ++trail) {
      if (trail == 0x7F) continue;
      codes.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
    }
  }
  return codes;
}

void BM_MissesThroughTheCache(benchmark::State& state) {
  const std::vector<std::uint16_t> codes = Kanji();
  for (auto _ : state) {
    vorn::TFontPixelManager cache;
    for (const std::uint16_t code : codes) benchmark::DoNotOptimize(cache.GetGlyph(code, kFace, 0, kSize));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(codes.size()));
}
BENCHMARK(BM_MissesThroughTheCache)->Unit(benchmark::kMillisecond);

void BM_MissesRawRender(benchmark::State& state) {
  const std::vector<std::uint16_t> codes = Kanji();
  const vorn::gdi::LogFont record = vorn::GlyphFontRecord(kFace, 0, kSize);
  std::vector<std::uint8_t> buffer;
  for (auto _ : state) {
    const vorn::gdi::HFONT font = vorn::gdi::CreateFontIndirect(record);
    vorn::gdi::OutlineMetrics metrics;
    benchmark::DoNotOptimize(vorn::gdi::GetOutlineTextMetrics(*font, metrics));
    for (const std::uint16_t code : codes) {
      vorn::gdi::GlyphMetrics gm;
      benchmark::DoNotOptimize(vorn::gdi::GetGlyphOutline(*font, code, vorn::gdi::GGO_GRAY8_BITMAP, gm, buffer));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(codes.size()));
}
BENCHMARK(BM_MissesRawRender)->Unit(benchmark::kMillisecond);

void BM_HitsThroughTheCache(benchmark::State& state) {
  const std::vector<std::uint16_t> codes = Kanji();
  vorn::TFontPixelManager cache;
  for (const std::uint16_t code : codes) cache.GetGlyph(code, kFace, 0, kSize);
  for (auto _ : state) {
    for (const std::uint16_t code : codes) benchmark::DoNotOptimize(cache.GetGlyph(code, kFace, 0, kSize));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(codes.size()));
}
BENCHMARK(BM_HitsThroughTheCache);

struct KeyHash {
  std::size_t operator()(const vorn::TFontPixelKey& key) const {
    std::size_t h = std::hash<std::string>()(key.face);
    for (const std::size_t part : {std::size_t{key.code}, static_cast<std::size_t>(key.size), std::size_t{key.flags},
                                   static_cast<std::size_t>(key.quality)}) {
      h = h * 1000003u ^ part;
    }
    return h;
  }
};

// The same five-part keys in a hash map, looked up by keys made beforehand (the cache's callers
// hand their parts over by reference, building nothing).
void BM_HitsUnorderedMap(benchmark::State& state) {
  const std::vector<std::uint16_t> codes = Kanji();
  std::unordered_map<vorn::TFontPixelKey, int, KeyHash> map;
  std::vector<vorn::TFontPixelKey> keys;
  for (const std::uint16_t code : codes) {
    keys.push_back(vorn::TFontPixelKey{code, kFace, kSize, 0, 3});
    map.emplace(keys.back(), code);
  }
  for (auto _ : state) {
    for (const vorn::TFontPixelKey& key : keys) benchmark::DoNotOptimize(map.find(key));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(keys.size()));
}
BENCHMARK(BM_HitsUnorderedMap);

void DrawGlyph(benchmark::State& state, std::int32_t border, std::int32_t shadow) {
  vorn::TFontPixelManager cache;
  vorn::TFontPixel* glyph = cache.GetGlyph(0x889F, kFace, 0, kSize);
  vorn::TMemoryDIBX color(40, 40, 32);
  vorn::TMemoryDIBX alpha(40, 40, 8);
  for (auto _ : state) {
    vorn::TRect drawn{};
    glyph->DrawTo(color, alpha, true, drawn, 0x202020, 0x000000, 0xFFFFFF, true, true, shadow, border, 4, 4, kSize,
                  kSize);
    benchmark::DoNotOptimize(drawn);
  }
}

void BM_DrawPlain(benchmark::State& state) { DrawGlyph(state, 0, 0); }
BENCHMARK(BM_DrawPlain);

void BM_DrawBorderAndShadow(benchmark::State& state) { DrawGlyph(state, 2, 2); }
BENCHMARK(BM_DrawBorderAndShadow);

}  // namespace
