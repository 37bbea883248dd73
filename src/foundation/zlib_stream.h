#pragma once

#include <cstdint>

#include "foundation/errors.h"
#include "foundation/stream.h"

namespace vorn {

// zlib refused to compress, or compressed data is corrupt, truncated or too large.
class ECompressionError : public Exception {
 public:
  using Exception::Exception;
};
class EDecompressionError : public Exception {
 public:
  using Exception::Exception;
};

// The most an inflated stream may hold: what a memory stream holds.
constexpr std::int64_t kMaxInflatedSize = TMemoryStream::kMaxMemoryStreamSize;

// Replaces the whole content of the stream with its zlib compression at level 1 (fastest).
// The position is 0 afterwards.
void CompressStream(TStream& stream);
// Inflates the whole content from position 0 and writes the result back over it; the size becomes
// the inflated size and the position 0. Bytes after the end of the zlib data are ignored. Corrupt
// or truncated data, or more than max_inflated bytes (at most kMaxInflatedSize), raise
// EDecompressionError and leave the stream as it was.
void DecompressStream(TStream& stream, std::int64_t max_inflated = kMaxInflatedSize);

}  // namespace vorn
