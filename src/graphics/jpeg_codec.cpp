#include "graphics/jpeg_codec.h"

#include <cstdio>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "graphics/picture_limits.h"

namespace vorn {
namespace {

// libjpeg's default error handler ends the process; ours jumps back to the wrapper, which
// raises the exception once no libjpeg frame is on the stack any more.
struct JumpingErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
  auto* manager = reinterpret_cast<JumpingErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

void OnJpegMessage(j_common_ptr, int) {}

struct DecodeState {
  std::span<const std::uint8_t> file;
  int expectWidth = -1;
  int expectHeight = -1;
  bool sizeMismatch = false;
  JpegImage image;
  JumpingErrorManager errors;
};

int DecodeUnderJump(jpeg_decompress_struct& info, DecodeState& state) {
  if (setjmp(state.errors.jump)) return 1;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, state.file.data(), static_cast<unsigned long>(state.file.size()));
  jpeg_read_header(&info, TRUE);
  if ((state.expectWidth >= 0 && static_cast<int>(info.image_width) != state.expectWidth) ||
      (state.expectHeight >= 0 && static_cast<int>(info.image_height) != state.expectHeight)) {
    state.sizeMismatch = true;
    return 1;
  }
  if (ExceedsPictureLimit(info.image_width, info.image_height)) {
    std::snprintf(state.errors.message, sizeof state.errors.message, "JPEG picture too large");
    return 1;
  }
  info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  if (info.output_components != 3) {
    std::snprintf(state.errors.message, sizeof state.errors.message, "unsupported JPEG layout");
    return 1;
  }
  state.image.width = static_cast<int>(info.output_width);
  state.image.height = static_cast<int>(info.output_height);
  const std::size_t rowBytes = static_cast<std::size_t>(info.output_width) * 3;
  state.image.bgr.resize(rowBytes * info.output_height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = state.image.bgr.data() + rowBytes * info.output_scanline;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  return 0;
}

struct EncodeState {
  const std::uint8_t* bgr = nullptr;
  int width = 0;
  int height = 0;
  std::size_t stride = 0;
  int quality = 0;
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  JumpingErrorManager errors;
};

int EncodeUnderJump(jpeg_compress_struct& info, EncodeState& state) {
  if (setjmp(state.errors.jump)) return 1;
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &state.out, &state.outSize);
  info.image_width = static_cast<JDIMENSION>(state.width);
  info.image_height = static_cast<JDIMENSION>(state.height);
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, state.quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(state.bgr + state.stride * info.next_scanline);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  return 0;
}

}  // namespace

JpegImage DecodeJpeg(std::span<const std::uint8_t> file, int expectWidth, int expectHeight) {
  DecodeState state;
  state.file = file;
  state.expectWidth = expectWidth;
  state.expectHeight = expectHeight;
  jpeg_decompress_struct info{};
  info.err = jpeg_std_error(&state.errors.base);
  state.errors.base.error_exit = OnJpegError;
  state.errors.base.emit_message = OnJpegMessage;
  const int failed = DecodeUnderJump(info, state);
  jpeg_destroy_decompress(&info);
  if (state.sizeMismatch) throw EJpegError("JPEG size differs from the layer's");
  if (failed) throw EJpegError(state.errors.message);
  return std::move(state.image);
}

std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* bgr, int width, int height,
                                     std::size_t stride, int quality) {
  EncodeState state;
  state.bgr = bgr;
  state.width = width;
  state.height = height;
  state.stride = stride;
  state.quality = quality < 1 ? 1 : (quality > 100 ? 100 : quality);
  jpeg_compress_struct info{};
  info.err = jpeg_std_error(&state.errors.base);
  state.errors.base.error_exit = OnJpegError;
  state.errors.base.emit_message = OnJpegMessage;
  const int failed = EncodeUnderJump(info, state);
  jpeg_destroy_compress(&info);
  std::vector<std::uint8_t> bytes;
  if (!failed && state.out) bytes.assign(state.out, state.out + state.outSize);
  std::free(state.out);
  if (failed) throw EJpegError(state.errors.message);
  return bytes;
}

}  // namespace vorn
