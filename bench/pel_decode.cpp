// Loading a layered image against decoding the same picture as a PNG with libpng, in one run:
// a 2048 x 1536 picture (gradient plus noise) with an 8-bit alpha plane, held in memory as a
// ".pel" written with compression 0 and as an RGBA PNG written by libpng with default settings.
// Target: the ratio pel / png at or below 1.0.
#include <benchmark/benchmark.h>
#include <png.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "foundation/stream.h"
#include "graphics/pelk_frame_list.h"

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;

struct Pictures {
  std::vector<std::uint8_t> pel;
  std::vector<std::uint8_t> png;
};

std::uint32_t Noise(std::uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 24;
}

void WritePngBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void FlushNothing(png_structp) {}

const Pictures& MakePictures() {
  static Pictures pictures = [] {
    Pictures p;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(kWidth) * kHeight * 4);
    vorn::TPelkFrameList list;
    vorn::TDIBSurface& c = list.AddFrame().Composite();
    c.SetSize(kWidth, kHeight, 24);
    c.EnsureAlphaPlane();
    std::uint32_t state = 12345;
    for (int y = 0; y < kHeight; ++y) {
      std::uint8_t* row = c.GetScanLine(y);
      std::uint8_t* alpha = c.Alpha()->GetScanLine(y);
      for (int x = 0; x < kWidth; ++x) {
        const auto r = static_cast<std::uint8_t>((x * 255 / kWidth + Noise(state) % 16) & 255);
        const auto g = static_cast<std::uint8_t>((y * 255 / kHeight + Noise(state) % 16) & 255);
        const auto b = static_cast<std::uint8_t>(((x + y) / 16 + Noise(state) % 8) & 255);
        const auto a = static_cast<std::uint8_t>((x / 8) & 255);
        row[3 * x] = b;
        row[3 * x + 1] = g;
        row[3 * x + 2] = r;
        alpha[x] = a;
        std::uint8_t* q = &rgba[(static_cast<std::size_t>(y) * kWidth + x) * 4];
        q[0] = r;
        q[1] = g;
        q[2] = b;
        q[3] = a;
      }
    }
    vorn::TMemoryStream stream;
    list.SaveToStream(stream, vorn::kPelkZlib, 70);
    p.pel = stream.TakeBytes();

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &p.png, WritePngBytes, FlushNothing);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y) png_write_row(png, &rgba[static_cast<std::size_t>(y) * kWidth * 4]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return p;
  }();
  return pictures;
}

struct PngSource {
  const std::vector<std::uint8_t>* bytes;
  std::size_t offset;
};

void ReadPngBytes(png_structp png, png_bytep out, png_size_t size) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  std::memcpy(out, source->bytes->data() + source->offset, size);
  source->offset += size;
}

void DecodePngReference(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>& rgba) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  PngSource source{&bytes, 0};
  png_set_read_fn(png, &source, ReadPngBytes);
  png_read_info(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  rgba.resize(rowBytes * png_get_image_height(png, info));
  for (png_uint_32 y = 0; y < png_get_image_height(png, info); ++y) png_read_row(png, &rgba[rowBytes * y], nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
}

void BM_PelAgainstPng(benchmark::State& state) {
  const Pictures& pictures = MakePictures();
  double pelSeconds = 0, pngSeconds = 0;
  for (auto _ : state) {
    // Both sides make a new picture each time.
    std::vector<std::uint8_t> rgba;
    vorn::TMemoryStream stream(pictures.pel);
    const auto t0 = std::chrono::steady_clock::now();
    vorn::TPelkFrameList list;
    list.LoadFromStream(stream, false, false);
    benchmark::DoNotOptimize(list.GetFrame(0).Composite().GetBits());
    const auto t1 = std::chrono::steady_clock::now();
    DecodePngReference(pictures.png, rgba);
    benchmark::DoNotOptimize(rgba.data());
    const auto t2 = std::chrono::steady_clock::now();
    pelSeconds += std::chrono::duration<double>(t1 - t0).count();
    pngSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["pel_ms"] = 1000 * pelSeconds / static_cast<double>(state.iterations());
  state.counters["png_ms"] = 1000 * pngSeconds / static_cast<double>(state.iterations());
  state.counters["ratio"] = pngSeconds > 0 ? pelSeconds / pngSeconds : 0;
}
BENCHMARK(BM_PelAgainstPng)->Unit(benchmark::kMillisecond);

}  // namespace
