#include "foundation/range_stream.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

#include "foundation/file_stream.h"
#include "foundation/vr_test_support.h"

namespace vorn {
namespace {

using testing::TempFolder;
using testing::WriteWholeFile;

std::vector<std::uint8_t> Numbered(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  return bytes;
}

class RangeStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_ = Numbered(1000);
    WriteWholeFile(dir_.Path("file.bin"), bytes_);
  }
  TempFolder dir_;
  std::vector<std::uint8_t> bytes_;
};

TEST_F(RangeStreamTest, SeeksAreClampedToTheWindow) {
  TFileRangeStream range(dir_.Path("file.bin"), {.start = 100, .size = 50});
  struct Case {
    std::int64_t offset;
    SeekOrigin origin;
    std::int64_t expected;
  } cases[] = {
      {0, SeekOrigin::kEnd, 50},    {0, SeekOrigin::kBegin, 0},   {-5, SeekOrigin::kBegin, 0},
      {70, SeekOrigin::kBegin, 50}, {20, SeekOrigin::kBegin, 20}, {5, SeekOrigin::kCurrent, 25},
      {-10, SeekOrigin::kEnd, 40},  {10, SeekOrigin::kEnd, 50},   {-100, SeekOrigin::kCurrent, 0},
      {INT64_MAX, SeekOrigin::kEnd, 50}, {INT64_MIN, SeekOrigin::kBegin, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(range.Seek(c.offset, c.origin), c.expected) << c.offset;
  }
  EXPECT_EQ(range.Size(), 50);
}

TEST_F(RangeStreamTest, ReadsStopAtTheWindowsEnd) {
  TFileRangeStream range(dir_.Path("file.bin"), {.start = 100, .size = 50});
  range.Seek(20, SeekOrigin::kBegin);
  std::vector<std::uint8_t> out(80);
  EXPECT_EQ(range.Read(out.data(), out.size()), 30u);
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 30, bytes_.begin() + 120));
  EXPECT_EQ(range.Read(out.data(), out.size()), 0u);
  EXPECT_EQ(range.Write(out.data(), 10), 0u);
}

TEST_F(RangeStreamTest, SizeZeroMeansTheWholeFileFromStart) {
  TFileRangeStream whole(dir_.Path("file.bin"), {});
  EXPECT_EQ(whole.Size(), 1000);
  TFileRangeStream shifted(dir_.Path("file.bin"), {.start = 900, .size = 0});
  EXPECT_EQ(shifted.Size(), 1000);  // start .. start + file size
  std::vector<std::uint8_t> out(500);
  EXPECT_EQ(shifted.Read(out.data(), out.size()), 100u);  // the file ends first
}

TEST_F(RangeStreamTest, OpenFailureNamesTheFile) {
  try {
    TFileRangeStream range(dir_.Path("missing.ogg"), {});
    FAIL();
  } catch (const EFOpenError& error) {
    EXPECT_NE(std::string(error.what()).find("missing.ogg"), std::string::npos);
  }
}

TEST_F(RangeStreamTest, ThreadsReadingOneStreamEachGetWholeChunks) {
  // Each thread seeks and reads under the stream's lock; what a pair returns must be one chunk.
  TFileRangeStream range(dir_.Path("file.bin"), {.start = 0, .size = 1000});
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      std::uint8_t chunk[10];
      for (int i = 0; i < 2000; ++i) {
        const std::int64_t at = (t * 97 + i * 13) % 990;
        // Seek + Read are two calls; a position moved in between is still a valid window read.
        range.Seek(at, SeekOrigin::kBegin);
        const std::size_t n = range.Read(chunk, 10);
        if (n > 10) ++wrong;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
}

TEST_F(RangeStreamTest, SeparateRangeStreamsKeepSeparatePositions) {
  TFileRangeStream a(dir_.Path("file.bin"), {.start = 0, .size = 100});
  TFileRangeStream b(dir_.Path("file.bin"), {.start = 500, .size = 100});
  a.Seek(10, SeekOrigin::kBegin);
  b.Seek(20, SeekOrigin::kBegin);
  std::uint8_t x = 0, y = 0;
  a.ReadBuffer(&x, 1);
  b.ReadBuffer(&y, 1);
  EXPECT_EQ(x, bytes_[10]);
  EXPECT_EQ(y, bytes_[520]);
}

}  // namespace
}  // namespace vorn
