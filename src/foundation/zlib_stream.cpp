#include "foundation/zlib_stream.h"

#include <libdeflate.h>
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

namespace {

// The scratch a thread inflates into, kept between calls unless a call wrote more than
// kKeptScratchBytes into it: pages once written stay mapped, and mapping fresh pages costs more
// than the inflation on some hosts. Capacity never written costs nothing. Its bytes are never
// cleared: every call writes what it reads back.
class InflateScratch {
 public:
  static constexpr std::size_t kKeptScratchBytes = 64 * 1024 * 1024;

  std::uint8_t* Data() { return bytes_.get(); }
  std::size_t Size() const { return size_; }
  // At least size bytes; what they held is not kept (every attempt starts over).
  void Reserve(std::size_t size) {
    if (size_ >= size) return;
    bytes_.reset();
    written_ = 0;
    bytes_.reset(new std::uint8_t[size]);
    size_ = size;
  }
  void Wrote(std::size_t bytes) { written_ = std::max(written_, bytes); }
  void ReleaseIfLarge() {
    if (written_ > kKeptScratchBytes) {
      written_ = 0;
      bytes_.reset();
      size_ = 0;
    }
  }

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_ = 0;
  std::size_t written_ = 0;
};

InflateScratch& Scratch() {
  thread_local InflateScratch scratch;
  return scratch;
}

[[noreturn]] void ThrowTooLarge(std::size_t max_size) {
  throw EDecompressionError("Decompression error: the inflated data exceeds " + std::to_string(max_size) +
                            " bytes");
}

// zlib's streaming inflation into the scratch; it also names what is wrong with bad data. A
// scratch too small is replaced by one four times larger and the inflation starts over, so that
// no byte is copied on the way.
std::size_t InflateStreaming(const Content& in, std::size_t max_size, InflateScratch& scratch) {
  std::size_t room = std::min<std::size_t>(std::max<std::size_t>(in.size * 8, 256 * 1024), max_size);
  for (;;) {
    scratch.Reserve(room);
    // A scratch left larger by an earlier call must not let this one inflate past its own bound.
    const std::size_t window = std::min(scratch.Size(), max_size);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw EDecompressionError("Decompression error");
    z.next_in = const_cast<Bytef*>(in.data);
    z.avail_in = static_cast<uInt>(std::min<std::size_t>(in.size, std::numeric_limits<uInt>::max()));
    std::size_t produced = 0;
    int result = Z_OK;
    while (produced < window) {
      const std::size_t step = std::min<std::size_t>(window - produced, std::numeric_limits<uInt>::max());
      z.next_out = scratch.Data() + produced;
      z.avail_out = static_cast<uInt>(step);
      result = inflate(&z, Z_NO_FLUSH);
      produced += step - z.avail_out;
      scratch.Wrote(produced);
      if (result == Z_STREAM_END) break;
      if (result == Z_OK || (result == Z_BUF_ERROR && z.avail_in != 0)) continue;
      const std::string reason = result == Z_BUF_ERROR ? "the compressed data ends early"
                                 : z.msg != nullptr    ? z.msg
                                                       : "corrupt data";
      inflateEnd(&z);
      throw EDecompressionError("Decompression error: " + reason);
    }
    inflateEnd(&z);
    if (result == Z_STREAM_END) return produced;
    if (window == max_size) ThrowTooLarge(max_size);
    room = window > max_size / 4 ? max_size : window * 4;
  }
}

}  // namespace

void DecompressStream(TStream& stream, std::int64_t max_inflated) {
  const Content in = ContentOf(stream);
  const auto max_size = static_cast<std::size_t>(std::clamp<std::int64_t>(max_inflated, 1, kMaxInflatedSize));
  InflateScratch& scratch = Scratch();
  struct Release {
    InflateScratch& scratch;
    ~Release() { scratch.ReleaseIfLarge(); }
  } release{scratch};

  // The whole member in one call of libdeflate. The inflated size is not stored anywhere, so the
  // first try guesses eight times the compressed size and a guess too small is retried four
  // times larger; a retry costs at most a third of the final call.
  struct Free {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
  };
  thread_local std::unique_ptr<libdeflate_decompressor, Free> inflater(libdeflate_alloc_decompressor());
  std::size_t produced = 0;
  bool done = false;
  if (inflater) {
    std::size_t room = std::min<std::size_t>(std::max<std::size_t>(in.size * 8, 256 * 1024), max_size);
    room = std::max(room, std::min(scratch.Size(), max_size));
    for (;;) {
      scratch.Reserve(room);
      const libdeflate_result result =
          libdeflate_zlib_decompress(inflater.get(), in.data, in.size, scratch.Data(), room, &produced);
      if (result == LIBDEFLATE_SUCCESS) {
        done = true;
        break;
      }
      // How far a failed call wrote is not told: count it all.
      scratch.Wrote(room);
      if (result != LIBDEFLATE_INSUFFICIENT_SPACE) break;
      if (room == max_size) ThrowTooLarge(max_size);
      room = room > max_size / 4 ? max_size : room * 4;
    }
  }
  // Data libdeflate refuses goes through zlib, which accepts or rejects it with its own words.
  if (!done) produced = InflateStreaming(in, max_size, scratch);
  scratch.Wrote(produced);
  ReplaceContent(stream, std::vector<std::uint8_t>(scratch.Data(), scratch.Data() + produced));
}

}  // namespace vorn
