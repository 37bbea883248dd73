#include "foundation/zlib_stream.h"

#include <gtest/gtest.h>

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

TEST(ZlibStream, CompressesTheEmptyStream) {
  TMemoryStream stream;
  CompressStream(stream);
  EXPECT_GT(stream.Size(), 0);
  DecompressStream(stream);
  EXPECT_EQ(stream.Size(), 0);
}

}  // namespace
}  // namespace vorn
