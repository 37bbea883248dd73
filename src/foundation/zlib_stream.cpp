#include "foundation/zlib_stream.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <limits>
#include <string>
#include <vector>

namespace vorn {
namespace {

constexpr int kFastestLevel = 1;

std::vector<std::uint8_t> ReadWhole(TStream& stream) {
  const std::int64_t size = stream.Size();
  if (size > kMaxInflatedSize) throw EReadError("Stream read error");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
  stream.SetPosition(0);
  stream.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

// Puts bytes in as the stream's whole content, position 0. A memory stream takes the buffer over.
void ReplaceContent(TStream& stream, std::vector<std::uint8_t> bytes) {
  if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
    memory->SetBytes(std::move(bytes));
    return;
  }
  stream.SetPosition(0);
  stream.WriteBuffer(bytes.data(), bytes.size());
  stream.SetSize(static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
}

// A view of the content without copying when the stream is a memory stream.
struct Content {
  std::vector<std::uint8_t> owned;
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

Content ContentOf(TStream& stream) {
  Content content;
  if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
    content.data = memory->Memory();
    content.size = memory->Bytes().size();
  } else {
    content.owned = ReadWhole(stream);
    content.data = content.owned.data();
    content.size = content.owned.size();
  }
  return content;
}

}  // namespace

void CompressStream(TStream& stream) {
  const Content in = ContentOf(stream);
  z_stream z{};
  if (deflateInit(&z, kFastestLevel) != Z_OK) throw ECompressionError("Compression error");
  std::vector<std::uint8_t> out(deflateBound(&z, static_cast<uLong>(in.size)));
  z.next_in = const_cast<Bytef*>(in.data);
  z.avail_in = static_cast<uInt>(in.size);
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&z, Z_FINISH);
  const std::size_t written = out.size() - z.avail_out;
  deflateEnd(&z);
  if (result != Z_STREAM_END) throw ECompressionError("Compression error");
  out.resize(written);
  ReplaceContent(stream, std::move(out));
}

void DecompressStream(TStream& stream, std::int64_t max_inflated) {
  const Content in = ContentOf(stream);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw EDecompressionError("Decompression error");
  z.next_in = const_cast<Bytef*>(in.data);
  z.avail_in = static_cast<uInt>(in.size);

  // Inflate into a scratch buffer that grows geometrically without clearing its bytes, then hand
  // the result over in one exact copy. The scratch is kept for the next call unless it got large.
  constexpr std::size_t kKeptScratchBytes = 16 * 1024 * 1024;
  thread_local std::unique_ptr<std::uint8_t[]> scratch;
  thread_local std::size_t scratch_size = 0;
  const auto max_size = static_cast<std::size_t>(std::clamp<std::int64_t>(max_inflated, 1, kMaxInflatedSize));
  const std::size_t wanted = std::min<std::size_t>(std::max<std::size_t>(in.size * 8, 256 * 1024), max_size);
  if (scratch_size < wanted) {
    scratch.reset(new std::uint8_t[wanted]);
    scratch_size = wanted;
  }
  auto release_large_scratch = [&] {
    if (scratch_size > kKeptScratchBytes) {
      scratch.reset();
      scratch_size = 0;
    }
  };

  std::size_t produced = 0;
  for (;;) {
    // A scratch left larger by an earlier call must not let this one inflate past its own bound.
    const std::size_t window = std::min(scratch_size, max_size);
    if (produced == window) {
      if (window == max_size) {
        inflateEnd(&z);
        release_large_scratch();
        throw EDecompressionError("Decompression error: the inflated data exceeds " + std::to_string(max_size) +
                                  " bytes");
      }
      const std::size_t grown = std::min(scratch_size * 2, max_size);
      std::unique_ptr<std::uint8_t[]> bigger(new std::uint8_t[grown]);
      std::memcpy(bigger.get(), scratch.get(), produced);
      scratch = std::move(bigger);
      scratch_size = grown;
    }
    const std::size_t room =
        std::min<std::size_t>(std::min(scratch_size, max_size) - produced, std::numeric_limits<uInt>::max());
    z.next_out = scratch.get() + produced;
    z.avail_out = static_cast<uInt>(room);
    const int result = inflate(&z, Z_NO_FLUSH);
    produced += room - z.avail_out;
    if (result == Z_STREAM_END) break;
    if (result == Z_OK || (result == Z_BUF_ERROR && z.avail_in != 0)) continue;
    const std::string reason = result == Z_BUF_ERROR ? "the compressed data ends early"
                               : z.msg != nullptr    ? z.msg
                                                     : "corrupt data";
    inflateEnd(&z);
    release_large_scratch();
    throw EDecompressionError("Decompression error: " + reason);
  }
  inflateEnd(&z);
  std::vector<std::uint8_t> out(scratch.get(), scratch.get() + produced);
  release_large_scratch();
  ReplaceContent(stream, std::move(out));
}

}  // namespace vorn
