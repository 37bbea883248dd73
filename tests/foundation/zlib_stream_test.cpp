#include "foundation/zlib_stream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <random>
#include <vector>

#include "foundation/file_stream.h"
#include "support/temp_folder.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;

// zlib.compress(b"hello hello hello", 9), spelled out.
const Bytes kHelloPacked = {0x78, 0xDA, 0xCB, 0x48, 0xCD, 0xC9, 0xC9, 0x57, 0xC8, 0x40,
                            0x90, 0x00, 0x3A, 0x2E, 0x06, 0x7D};

TEST(ZlibStream, InflatesInPlaceFromPositionZero) {
  TMemoryStream stream(kHelloPacked);
  stream.SetPosition(7);
  DecompressStream(stream);
  EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()), "hello hello hello");
  EXPECT_EQ(stream.Position(), 0);
}

TEST(ZlibStream, InflatingBeyondTheCallersBoundIsRefusedAndChangesNothing) {
  TMemoryStream stream(kHelloPacked);
  EXPECT_THROW(DecompressStream(stream, 16), EDecompressionError);
  EXPECT_EQ(stream.Bytes(), kHelloPacked);
  DecompressStream(stream, 17);
  EXPECT_EQ(stream.Size(), 17);
}

TEST(ZlibStream, TheBoundHoldsAfterAnEarlierCallLeftALargeScratch) {
  TMemoryStream earlier(kHelloPacked);
  DecompressStream(earlier);  // leaves a scratch far larger than 16 bytes for this thread
  TMemoryStream stream(kHelloPacked);
  EXPECT_THROW(DecompressStream(stream, 16), EDecompressionError);
  EXPECT_EQ(stream.Bytes(), kHelloPacked);
}

TEST(ZlibStream, RoundTripThroughAFileStream) {
  const testing::TempFolder folder;
  const std::string path = folder / "data.bin";
  Bytes data(300000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>((i * i) >> 7);
  {
    TFileStream file(path, FileMode::kCreate);
    file.WriteBuffer(data.data(), data.size());
    CompressStream(file);
    EXPECT_LT(file.Size(), static_cast<std::int64_t>(data.size()));
    DecompressStream(file);
    EXPECT_EQ(file.Size(), static_cast<std::int64_t>(data.size()));
    Bytes back(data.size());
    file.ReadBuffer(back.data(), back.size());
    EXPECT_EQ(back, data);
  }
}

TEST(ZlibStream, BadDataRaisesAndLeavesTheStream) {
  const std::vector<Bytes> bad = {
      {},
      Bytes(kHelloPacked.begin(), kHelloPacked.end() - 5),  // truncated
      {0x78, 0xDA, 0xFF, 0xFF, 0xFF, 0xFF},                  // corrupt block
      {'h', 'e', 'l', 'l', 'o'},                              // no zlib header
  };
  for (const Bytes& bytes : bad) {
    TMemoryStream stream(bytes);
    EXPECT_THROW(DecompressStream(stream), EDecompressionError) << bytes.size();
    EXPECT_EQ(stream.Bytes(), bytes);
  }
  Bytes checksum = kHelloPacked;
  checksum.at(15) ^= 1;
  TMemoryStream stream(checksum);
  EXPECT_THROW(DecompressStream(stream), EDecompressionError);
}

Bytes Packed(const Bytes& data, int level) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  Bytes out(size);
  EXPECT_EQ(compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level), Z_OK);
  out.resize(size);
  return out;
}

// Members that inflate to many times their packed size: the first guess at the inflated size is
// too small and the inflation starts over in a larger buffer, the bound still exact.
TEST(ZlibStream, HighlyCompressibleDataInflatesWhateverTheRatio) {
  struct Case {
    const char* name;
    std::size_t size;
    int level;
  };
  const Case cases[] = {{"zeros 3 MiB", 3u << 20, 9},    {"zeros 300 KiB", 300000, 1},
                        {"zeros 2049 bytes", 2049, 6},   {"pattern 1 MiB", 1u << 20, 1},
                        {"pattern 2 bytes", 2, 9}};
  for (const Case& c : cases) {
    Bytes data(c.size);
    if (c.name[0] == 'p')
      for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>("abcab"[i % 5]);
    const Bytes packed = Packed(data, c.level);
    TMemoryStream stream(packed);
    DecompressStream(stream);
    EXPECT_EQ(stream.Bytes(), data) << c.name;
    // The bound is met exactly, and one byte less is refused.
    TMemoryStream exact(packed);
    DecompressStream(exact, static_cast<std::int64_t>(c.size));
    EXPECT_EQ(exact.Size(), static_cast<std::int64_t>(c.size)) << c.name;
    TMemoryStream under(packed);
    EXPECT_THROW(DecompressStream(under, static_cast<std::int64_t>(c.size) - 1), EDecompressionError)
        << c.name;
    EXPECT_EQ(under.Bytes(), packed) << c.name;
  }
}

TEST(ZlibStream, BytesAfterTheZlibDataAreIgnored) {
  Bytes padded = kHelloPacked;
  padded.insert(padded.end(), {0xDE, 0xAD, 0xBE, 0xEF});
  TMemoryStream stream(padded);
  DecompressStream(stream);
  EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()), "hello hello hello");
}

// Bad data is reported in zlib's own words, whichever inflater ran first.
TEST(ZlibStream, BadDataIsNamedAsZlibNamesIt) {
  Bytes checksum = kHelloPacked;
  checksum.at(15) ^= 1;
  const struct {
    Bytes bytes;
    const char* message;
  } cases[] = {
      {Bytes(kHelloPacked.begin(), kHelloPacked.end() - 5), "Decompression error: the compressed data ends early"},
      {checksum, "Decompression error: incorrect data check"},
      {{'h', 'e', 'l', 'l', 'o'}, "Decompression error: incorrect header check"},
  };
  for (const auto& c : cases) {
    TMemoryStream stream(c.bytes);
    try {
      DecompressStream(stream);
      ADD_FAILURE() << c.message;
    } catch (const EDecompressionError& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
  }
}

TEST(ZlibStream, CompressesTheEmptyStream) {
  TMemoryStream stream;
  CompressStream(stream);
  EXPECT_GT(stream.Size(), 0);
  DecompressStream(stream);
  EXPECT_EQ(stream.Size(), 0);
}

}  // namespace
}  // namespace vorn
