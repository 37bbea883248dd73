#include "graphics/png_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/picture_limits.h"

namespace vorn {
namespace {

// Everything the decode touches lives here, built before setjmp, so that a longjmp out of libpng
// skips no C++ destructor; the exception is raised only after DecodeUnderJump has returned.
struct PngReadState {
  std::span<const std::uint8_t> file;
  std::size_t offset = 0;
  char message[200] = {};
  PngImage image;
  std::vector<std::uint8_t> work;  // decoded rows, before channels are split
  std::vector<png_bytep> rows;
  int workChannels = 0;
};

void OnPngError(png_structp png, png_const_charp message) {
  auto* state = static_cast<PngReadState*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "%s", message ? message : "PNG error");
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* state = static_cast<PngReadState*>(png_get_io_ptr(png));
  if (count > state->file.size() - state->offset) png_error(png, "PNG file ends early");
  std::memcpy(out, state->file.data() + state->offset, count);
  state->offset += count;
}

// libpng's png_set_scale_16 rounding, so a 16-bit tRNS colour matches the scaled pixels.
int Scale16To8(unsigned v) {
  const int hi = static_cast<int>(v >> 8);
  const int lo = static_cast<int>(v & 0xFF);
  const long long t = static_cast<long long>(lo - hi + 128) * 65535;
  const long long shifted = t >= 0 ? t >> 24 : -((-t + (1LL << 24) - 1) >> 24);
  return static_cast<int>(hi + shifted) & 0xFF;
}

int ExpandSample(unsigned v, int bitDepth) {
  if (bitDepth == 16) return Scale16To8(v);
  if (bitDepth == 8) return static_cast<int>(v & 0xFF);
  const unsigned top = (1u << bitDepth) - 1;
  return static_cast<int>((v & top) * 255 / top);
}

std::int32_t ColorOf(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// Returns 0 on success; on failure state.message holds libpng's text.
int DecodeUnderJump(png_structp png, png_infop info, PngReadState& state) {
  if (setjmp(png_jmpbuf(png))) return 1;
  png_set_user_limits(png, kPngMaxSide, kPngMaxSide);
  png_set_chunk_malloc_max(png, kPngMaxChunkBytes);
  png_set_read_fn(png, &state, ReadFromMemory);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
  PngImage& image = state.image;
  if (ExceedsPictureLimit(width, height)) png_error(png, "PNG picture too large");
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);

  if (bitDepth == 16) png_set_scale_16(png);
  if (bitDepth < 8) png_set_packing(png);
  bool splitAlpha = false;
  switch (colorType) {
    case PNG_COLOR_TYPE_PALETTE: {
      image.depth = 8;
      png_colorp plte = nullptr;
      int count = 0;
      png_get_PLTE(png, info, &plte, &count);
      image.palette.assign(1024, 0);
      for (int i = 0; i < count && i < 256; ++i) {
        image.palette[4 * i] = plte[i].blue;
        image.palette[4 * i + 1] = plte[i].green;
        image.palette[4 * i + 2] = plte[i].red;
      }
      png_bytep trans = nullptr;
      int transCount = 0;
      if (png_get_tRNS(png, info, &trans, &transCount, nullptr) && trans) {
        int clear = -1, clearCount = 0, partial = 0;
        for (int i = 0; i < transCount; ++i) {
          if (trans[i] == 0) {
            clear = i;
            ++clearCount;
          } else if (trans[i] != 255) {
            ++partial;
          }
        }
        if (clearCount == 1 && partial == 0) {
          image.transparentPixel = clear;
          image.transparentColor = clear < count ? ColorOf(plte[clear].red, plte[clear].green,
                                                           plte[clear].blue)
                                                 : 0;
        } else if (clearCount + partial > 0) {
          // The alpha plane is filled from the indices after decoding.
          image.alpha.assign(256, 255);
          for (int i = 0; i < transCount; ++i) image.alpha[i] = trans[i];
        }
      }
      state.workChannels = 1;
      break;
    }
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_GRAY_ALPHA: {
      image.depth = 8;
      image.palette.resize(1024);
      for (int i = 0; i < 256; ++i) {
        image.palette[4 * i] = image.palette[4 * i + 1] = image.palette[4 * i + 2] =
            static_cast<std::uint8_t>(i);
        image.palette[4 * i + 3] = 0;
      }
      if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
      png_color_16p transColor = nullptr;
      if (colorType == PNG_COLOR_TYPE_GRAY &&
          png_get_tRNS(png, info, nullptr, nullptr, &transColor) && transColor) {
        const int g = ExpandSample(transColor->gray, bitDepth);
        image.transparentPixel = g;
        image.transparentColor = ColorOf(g, g, g);
      }
      splitAlpha = colorType == PNG_COLOR_TYPE_GRAY_ALPHA;
      state.workChannels = splitAlpha ? 2 : 1;
      break;
    }
    case PNG_COLOR_TYPE_RGB:
    case PNG_COLOR_TYPE_RGB_ALPHA: {
      image.depth = 24;
      png_set_bgr(png);
      png_color_16p transColor = nullptr;
      if (colorType == PNG_COLOR_TYPE_RGB &&
          png_get_tRNS(png, info, nullptr, nullptr, &transColor) && transColor) {
        const int r = ExpandSample(transColor->red, bitDepth);
        const int g = ExpandSample(transColor->green, bitDepth);
        const int b = ExpandSample(transColor->blue, bitDepth);
        image.transparentColor = ColorOf(r, g, b);
        image.transparentPixel = b | (g << 8) | (r << 16);
      }
      splitAlpha = colorType == PNG_COLOR_TYPE_RGB_ALPHA;
      state.workChannels = splitAlpha ? 4 : 3;
      break;
    }
    default:
      png_error(png, "unknown PNG colour type");
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  if (rowBytes != static_cast<std::size_t>(width) * state.workChannels) {
    png_error(png, "unexpected PNG row layout");
  }
  state.work.resize(rowBytes * height);
  state.rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) state.rows[y] = state.work.data() + y * rowBytes;
  png_read_image(png, state.rows.data());
  png_read_end(png, nullptr);
  (void)splitAlpha;
  return 0;
}

}  // namespace

bool IsPngSignature(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0;
}

PngImage DecodePng(std::span<const std::uint8_t> file) {
  PngReadState state;
  state.file = file;
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnPngError, OnPngWarning);
  if (!png) throw EPngError("PNG decoder could not start");
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    throw EPngError("PNG decoder could not start");
  }
  const int failed = DecodeUnderJump(png, info, state);
  png_destroy_read_struct(&png, &info, nullptr);
  if (failed) throw EPngError(state.message);

  PngImage& image = state.image;
  const std::size_t pixelCount = static_cast<std::size_t>(image.width) * image.height;
  switch (state.workChannels) {
    case 1:
      if (!image.alpha.empty()) {
        // Palette with a partial tRNS: image.alpha holds the table, turn it into a plane.
        std::vector<std::uint8_t> table = std::move(image.alpha);
        image.alpha.resize(pixelCount);
        for (std::size_t i = 0; i < pixelCount; ++i) image.alpha[i] = table[state.work[i]];
      }
      image.pixels = std::move(state.work);
      break;
    case 2:
      image.pixels.resize(pixelCount);
      image.alpha.resize(pixelCount);
      for (std::size_t i = 0; i < pixelCount; ++i) {
        image.pixels[i] = state.work[2 * i];
        image.alpha[i] = state.work[2 * i + 1];
      }
      break;
    case 3:
      image.pixels = std::move(state.work);
      break;
    case 4:
      image.pixels.resize(pixelCount * 3);
      image.alpha.resize(pixelCount);
      for (std::size_t i = 0; i < pixelCount; ++i) {
        std::memcpy(&image.pixels[3 * i], &state.work[4 * i], 3);
        image.alpha[i] = state.work[4 * i + 3];
      }
      break;
  }
  return std::move(state.image);
}

std::vector<std::uint8_t> DecodePngRgba(std::span<const std::uint8_t> file, int& width,
                                        int& height) {
  const PngImage image = DecodePng(file);
  width = image.width;
  height = image.height;
  const std::size_t pixelCount = static_cast<std::size_t>(image.width) * image.height;
  std::vector<std::uint8_t> rgba(pixelCount * 4);
  for (std::size_t i = 0; i < pixelCount; ++i) {
    const std::uint8_t* bgr = image.depth == 24 ? &image.pixels[3 * i]
                                                : &image.palette[4 * image.pixels[i]];
    rgba[4 * i] = bgr[2];
    rgba[4 * i + 1] = bgr[1];
    rgba[4 * i + 2] = bgr[0];
    std::uint8_t a = image.alpha.empty() ? 255 : image.alpha[i];
    if (image.alpha.empty() && image.transparentPixel >= 0) {
      const std::int32_t value = image.depth == 24 ? (bgr[0] | (bgr[1] << 8) | (bgr[2] << 16))
                                                   : image.pixels[i];
      if (value == image.transparentPixel) a = 0;
    }
    rgba[4 * i + 3] = a;
  }
  return rgba;
}

}  // namespace vorn
