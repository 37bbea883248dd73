// The per-pixel alpha and translucent blits next to pixman compositing the same pixels with the
// same weights, in the same run: OVER of an opaque 8888 picture through an a8 mask (or a solid
// alpha) onto an 8888 destination, ADD for the additive form. Ratios to read: each BM_Ours_* to
// the BM_Pixman_* of the same name and argument (target: masks at most 1.0x, the opacity forms
// at most 1.2x). Argument 0 is noisy alpha (every pixel its own weight), 1 sprite-like alpha
// (mostly transparent, opaque discs with soft edges).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/dib_surface.h"
#include "graphics/dibx.h"

namespace {

using namespace vorn;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

std::vector<std::uint32_t> Noise(std::uint32_t seed) {
  std::vector<std::uint32_t> px(static_cast<std::size_t>(kWidth) * kHeight);
  for (auto& p : px) {
    seed = seed * 1103515245u + 12345u;
    p = (seed >> 8) & 0x00FFFFFFu;
  }
  return px;
}

std::vector<std::uint8_t> Alpha(bool sprites) {
  std::vector<std::uint8_t> a(static_cast<std::size_t>(kWidth) * kHeight);
  std::uint32_t seed = 777;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t v;
      if (!sprites) {
        seed = seed * 1103515245u + 12345u;
        v = static_cast<std::uint8_t>(seed >> 16);
      } else {
        // Discs of radius 20 on a 64-pixel grid, with a 3-pixel soft edge.
        const double dx = (x % 64) - 31.5;
        const double dy = (y % 64) - 31.5;
        const double r = std::sqrt(dx * dx + dy * dy);
        v = r <= 20 ? 255 : r >= 23 ? 0 : static_cast<std::uint8_t>((23 - r) / 3 * 255);
      }
      a[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)] = v;
    }
  return a;
}

void Load(TDIBX& s, const std::vector<std::uint32_t>& px) {
  s.SetSize(kWidth, kHeight, 32);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) s.SetPixel(x, y, px[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)]);
}

void LoadMask(TDIBX& m, const std::vector<std::uint8_t>& a) {
  m.SetSize(kWidth, kHeight, 8);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) m.SetPixel(x, y, a[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)]);
}

void LoadSurface(TDIBSurface& s, const std::vector<std::uint32_t>& px) {
  s.SetSize(kWidth, kHeight, 32);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) s.SetPixel(x, y, px[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)]);
}

struct PixmanImage {
  pixman_image_t* image = nullptr;
  explicit PixmanImage(pixman_image_t* i) : image(i) {}
  ~PixmanImage() {
    if (image != nullptr) pixman_image_unref(image);
  }
  PixmanImage(const PixmanImage&) = delete;
  PixmanImage& operator=(const PixmanImage&) = delete;
};

// Pixman's side: its own copies of the same source, destination and weights.
struct PixmanScene {
  std::vector<std::uint32_t> src = Noise(1);
  std::vector<std::uint32_t> dst = Noise(2);
  std::vector<std::uint8_t> mask;
  PixmanImage s{pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, src.data(), kWidth * 4)};
  PixmanImage d{pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, dst.data(), kWidth * 4)};
  std::unique_ptr<PixmanImage> m;

  explicit PixmanScene(std::vector<std::uint8_t> weights) : mask(std::move(weights)) {
    m = std::make_unique<PixmanImage>(
        pixman_image_create_bits(PIXMAN_a8, kWidth, kHeight, reinterpret_cast<std::uint32_t*>(mask.data()), kWidth));
  }
  void Composite(pixman_op_t op, pixman_image_t* weights) {
    pixman_image_composite32(op, s.image, weights, d.image, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
  }
};

std::vector<std::uint8_t> Scaled(std::vector<std::uint8_t> a, std::uint32_t opacity) {
  for (auto& v : a) v = static_cast<std::uint8_t>(v == 255 ? opacity : (opacity * v) >> 8);
  return a;
}

// --- TDIBX through an 8-bit mask ---

template <class Op>
void RunOurs(benchmark::State& state, Op op) {
  TDIBX src, dst, mask;
  Load(src, Noise(1));
  Load(dst, Noise(2));
  LoadMask(mask, Alpha(state.range(0) != 0));
  for (auto _ : state) op(dst, src, mask);
}

void BM_Ours_DrawMask(benchmark::State& state) {
  RunOurs(state, [](TDIBX& d, TDIBX& s, TDIBX& m) { d.DrawMask(0, 0, s, s.GetBoundsRect(), false, false, &m); });
}
void BM_Pixman_DrawMask(benchmark::State& state) {
  PixmanScene scene(Alpha(state.range(0) != 0));
  for (auto _ : state) scene.Composite(PIXMAN_OP_OVER, scene.m->image);
}

void BM_Ours_DrawMaskOpacity(benchmark::State& state) {
  RunOurs(state, [](TDIBX& d, TDIBX& s, TDIBX& m) {
    d.DrawMaskOpacity(0, 0, s, s.GetBoundsRect(), false, false, &m, 200);
  });
}
void BM_Pixman_DrawMaskOpacity(benchmark::State& state) {
  PixmanScene scene(Scaled(Alpha(state.range(0) != 0), 200));
  for (auto _ : state) scene.Composite(PIXMAN_OP_OVER, scene.m->image);
}

void BM_Ours_DrawMaskAdd(benchmark::State& state) {
  RunOurs(state, [](TDIBX& d, TDIBX& s, TDIBX& m) {
    d.DrawMaskAdd(0, 0, s, s.GetBoundsRect(), false, false, &m, 200);
  });
}
void BM_Pixman_DrawMaskAdd(benchmark::State& state) {
  PixmanScene scene(Scaled(Alpha(state.range(0) != 0), 200));
  for (auto _ : state) scene.Composite(PIXMAN_OP_ADD, scene.m->image);
}

// --- uniform opacity ---

void BM_Ours_FillRectOpacity(benchmark::State& state) {
  TDIBX dst;
  Load(dst, Noise(2));
  for (auto _ : state) dst.FillRectOpacity(dst.GetBoundsRect(), 0x00336699u, 128);
}
void BM_Pixman_FillRectOpacity(benchmark::State& state) {
  std::vector<std::uint32_t> dst = Noise(2);
  PixmanImage d{pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, dst.data(), kWidth * 4)};
  const pixman_color_t color{0x3333, 0x6666, 0x9999, 0x8080};
  PixmanImage solid{pixman_image_create_solid_fill(&color)};
  for (auto _ : state)
    pixman_image_composite32(PIXMAN_OP_OVER, solid.image, nullptr, d.image, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
}

// --- TDIBSurface: alpha plane and translucency ---

void BM_Ours_SurfaceDrawAlpha(benchmark::State& state) {
  TDIBSurface src, dst;
  LoadSurface(src, Noise(1));
  LoadSurface(dst, Noise(2));
  src.EnsureAlphaPlane();
  const auto a = Alpha(state.range(0) != 0);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) src.Alpha()->SetPixel(x, y, a[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)]);
  for (auto _ : state) dst.DrawAlpha(0, 0, src, src.GetBoundsRect(), 255);
}
void BM_Pixman_SurfaceDrawAlpha(benchmark::State& state) {
  PixmanScene scene(Alpha(state.range(0) != 0));
  for (auto _ : state) scene.Composite(PIXMAN_OP_OVER, scene.m->image);
}

void BM_Ours_SurfaceDrawTranslucent(benchmark::State& state) {
  TDIBSurface src, dst;
  LoadSurface(src, Noise(1));
  LoadSurface(dst, Noise(2));
  for (auto _ : state) dst.DrawTranslucent(0, 0, src, src.GetBoundsRect(), -1, 128);
}
void BM_Pixman_SurfaceDrawTranslucent(benchmark::State& state) {
  PixmanScene scene(Alpha(false));
  const pixman_color_t half{0, 0, 0, 0x8080};
  PixmanImage solid{pixman_image_create_solid_fill(&half)};
  for (auto _ : state) scene.Composite(PIXMAN_OP_OVER, solid.image);
}

BENCHMARK(BM_Ours_DrawMask)->Arg(0)->Arg(1);
BENCHMARK(BM_Pixman_DrawMask)->Arg(0)->Arg(1);
BENCHMARK(BM_Ours_DrawMaskOpacity)->Arg(0)->Arg(1);
BENCHMARK(BM_Pixman_DrawMaskOpacity)->Arg(0)->Arg(1);
BENCHMARK(BM_Ours_DrawMaskAdd)->Arg(0)->Arg(1);
BENCHMARK(BM_Pixman_DrawMaskAdd)->Arg(0)->Arg(1);
BENCHMARK(BM_Ours_FillRectOpacity);
BENCHMARK(BM_Pixman_FillRectOpacity);
BENCHMARK(BM_Ours_SurfaceDrawAlpha)->Arg(0)->Arg(1);
BENCHMARK(BM_Pixman_SurfaceDrawAlpha)->Arg(0)->Arg(1);
BENCHMARK(BM_Ours_SurfaceDrawTranslucent);
BENCHMARK(BM_Pixman_SurfaceDrawTranslucent);

}  // namespace
