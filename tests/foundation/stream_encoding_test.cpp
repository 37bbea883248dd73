#include "foundation/stream_encoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/file_stream.h"
#include "support/temp_folder.h"

namespace vorn {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Written(void (*write)(TStream&)) {
  TMemoryStream stream;
  write(stream);
  return stream.Bytes();
}

TEST(StreamEncoding, WritesTheByteLayout) {
  EXPECT_EQ(Written([](TStream& s) { WriteIntToStream(s, 0x12345678); }), (Bytes{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(Written([](TStream& s) { WriteIntToStream(s, -2); }), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Written([](TStream& s) { WriteStrToStream(s, ""); }), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(Written([](TStream& s) { WriteStrToStream(s, "ab"); }), (Bytes{2, 0, 0, 0, 'a', 'b'}));
  // Two CP932 characters (ソ表) are four bytes, and the length counts bytes.
  EXPECT_EQ(Written([](TStream& s) { WriteStrToStream(s, "\x83\x5C\x95\x5C"); }),
            (Bytes{4, 0, 0, 0, 0x83, 0x5C, 0x95, 0x5C}));
  EXPECT_EQ(Written([](TStream& s) { WriteBoolToStream(s, true); }), (Bytes{1}));
  EXPECT_EQ(Written([](TStream& s) { WriteBoolToStream(s, false); }), (Bytes{0}));
  EXPECT_EQ(Written([](TStream& s) { WriteUInt64ToStream(s, 0x0102030405060708ULL); }),
            (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST(StreamEncoding, ReadsHandWrittenBytes) {
  TMemoryStream stream(Bytes{0x78, 0x56, 0x34, 0x12,  // int
                             0xFB, 0xFF, 0xFF, 0xFF,  // negative string length: empty, nothing follows
                             0x00, 0x00, 0x00, 0x00,  // empty string
                             3, 0, 0, 0, 'x', 'y', 'z',
                             0x7F,  // any non-zero byte is true
                             0x00});
  EXPECT_EQ(ReadIntFromStream(stream), 0x12345678);
  EXPECT_EQ(ReadStrFromStream(stream), "");
  EXPECT_EQ(stream.Position(), 8);
  std::string text = "old";
  ReadStrFromStream(stream, text);
  EXPECT_EQ(text, "");
  EXPECT_EQ(ReadStrFromStream(stream), "xyz");
  EXPECT_TRUE(ReadBoolFromStream(stream));
  EXPECT_FALSE(ReadBoolFromStream(stream));
}

TEST(StreamEncoding, CheckedReadersRaiseOnShortData) {
  const std::vector<Bytes> cases = {
      {},
      {1, 2, 3},
      {5, 0, 0, 0, 'a', 'b'},               // string shorter than its length
      {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3, 4}, // 2 GiB length in a tiny stream: must not allocate
  };
  for (const Bytes& bytes : cases) {
    TMemoryStream s1(bytes);
    EXPECT_THROW(ReadStrFromStream(s1), EReadError) << bytes.size();
  }
  TMemoryStream s2(Bytes{1, 2, 3});
  EXPECT_THROW(ReadIntFromStream(s2), EReadError);
  TMemoryStream s3;
  EXPECT_THROW(ReadByteFromStream(s3), EReadError);
  TMemoryStream s4(Bytes{1, 2, 3, 4, 5, 6, 7});
  EXPECT_THROW(ReadUInt64FromStream(s4), EReadError);
}

TEST(StreamEncoding, LenientReadersLeaveTheTargetAndFailFromThenOn) {
  TMemoryStream stream(Bytes{7, 0, 0, 0, 0x2A, 9, 0, 0, 0, 'a', 'b'});
  std::int32_t value = -1;
  EXPECT_TRUE(TryReadIntFromStream(stream, value));
  EXPECT_EQ(value, 7);
  std::uint8_t byte = 0;
  EXPECT_TRUE(TryReadByteFromStream(stream, byte));
  EXPECT_EQ(byte, 0x2A);
  std::string text = "kept";
  EXPECT_FALSE(TryReadStrFromStream(stream, text));
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(stream.Position(), stream.Size());
  value = 5;
  EXPECT_FALSE(TryReadIntFromStream(stream, value));
  EXPECT_EQ(value, 5);
  bool flag = true;
  EXPECT_FALSE(TryReadBoolFromStream(stream, flag));
  EXPECT_TRUE(flag);

  TMemoryStream huge(Bytes{0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b', 'c', 'd', 'e', 'f'});
  EXPECT_FALSE(TryReadStrFromStream(huge, text));
  EXPECT_EQ(text, "kept");
}

// A stream that claims more bytes than it ever yields.
class DryStream : public TStream {
 public:
  explicit DryStream(std::size_t real) : real_(real) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    const std::size_t n = std::min(count, real_ - std::min(real_, pos_));
    std::memset(buffer, 'd', n);
    pos_ += n;
    return n;
  }
  std::size_t Write(const void*, std::size_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override {
    if (origin == SeekOrigin::kBegin) pos_ = static_cast<std::size_t>(offset);
    if (origin == SeekOrigin::kCurrent) pos_ += static_cast<std::size_t>(offset);
    return static_cast<std::int64_t>(pos_);
  }
  std::int64_t Size() const override { return 1000; }
  void SetSize(std::int64_t) override {}

 private:
  std::size_t real_;
  std::size_t pos_ = 0;
};

// Reference bytes from Python's struct.pack('<d', value).
TEST(StreamEncoding, DoublesAreLittleEndianIeee) {
  struct Case {
    double value;
    Bytes bytes;
  };
  const Case cases[] = {
      {1.0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F}},
      {-0.5, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0xBF}},
      {1e300, {0x9C, 0x75, 0x00, 0x88, 0x3C, 0xE4, 0x37, 0x7E}},
      {std::numeric_limits<double>::quiet_NaN(), {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x7F}},
      {-0.0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80}},
  };
  for (const Case& c : cases) {
    TMemoryStream out;
    WriteDoubleToStream(out, c.value);
    EXPECT_EQ(out.Bytes(), c.bytes) << c.value;
    TMemoryStream in(c.bytes);
    const double checked = ReadDoubleFromStream(in);
    TMemoryStream lenient_in(c.bytes);
    double lenient = 0;
    ASSERT_TRUE(TryReadDoubleFromStream(lenient_in, lenient));
    EXPECT_EQ(std::memcmp(&checked, &c.value, 8), 0) << c.value;
    EXPECT_EQ(std::memcmp(&lenient, &c.value, 8), 0) << c.value;
  }
}

TEST(StreamEncoding, LenientDoubleReaderLeavesTheTargetWhenCut) {
  TMemoryStream in(Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0});
  double value = 7.5;
  EXPECT_FALSE(TryReadDoubleFromStream(in, value));
  EXPECT_EQ(value, 7.5);
  EXPECT_EQ(in.Position(), in.Size());
  TMemoryStream checked(Bytes{0x00, 0x00, 0x00});
  EXPECT_THROW(ReadDoubleFromStream(checked), EReadError);
}

TEST(CopyStream, SizeZeroRewindsAndCopiesEverything) {
  TMemoryStream source(Bytes{1, 2, 3, 4, 5});
  source.SetPosition(3);
  TMemoryStream dest(Bytes{9});
  dest.SetPosition(1);
  EXPECT_EQ(CopyStream(dest, source, 0), 5);
  EXPECT_EQ(dest.Bytes(), (Bytes{9, 1, 2, 3, 4, 5}));
  EXPECT_EQ(source.Position(), 5);
}

TEST(CopyStream, CopiesFromThePositionOfABufferedSource) {
  DryStream source(1000);
  source.SetPosition(990);
  TMemoryStream dest;
  EXPECT_EQ(CopyStream(dest, source, 10), 10);
  EXPECT_EQ(dest.Bytes(), Bytes(10, 'd'));
}

TEST(CopyStream, RaisesWhenTheSourceRunsDry) {
  DryStream source(400);
  TMemoryStream dest;
  EXPECT_THROW(CopyStream(dest, source, 0), EReadError);
  TMemoryStream memory(Bytes{1, 2});
  EXPECT_THROW(CopyStream(dest, memory, 3), EReadError);
}

TEST(FileStream, WritesReadsSeeksAndResizes) {
  const testing::TempFolder folder;
  const std::string path = folder / "data.bin";
  {
    TFileStream file(path, FileMode::kCreate);
    WriteStrToStream(file, "hello");
    WriteIntToStream(file, 42);
    EXPECT_EQ(file.Size(), 13);
    file.SetPosition(0);
    EXPECT_EQ(ReadStrFromStream(file), "hello");
    WriteIntToStream(file, 43);  // overwrite after a read
    file.SetSize(11);
    EXPECT_EQ(file.Size(), 11);
    EXPECT_EQ(file.Position(), 11);
  }
  {
    TFileStream file(path, FileMode::kOpenRead);
    EXPECT_EQ(ReadStrFromStream(file), "hello");
    EXPECT_THROW(ReadIntFromStream(file), EReadError);
    EXPECT_EQ(file.Write("x", 1), 0u);
    TMemoryStream copy;
    EXPECT_EQ(CopyStream(copy, file, 0), 11);
    EXPECT_EQ(copy.Bytes()[4], 'h');
  }
  std::filesystem::remove(path);
  EXPECT_THROW(TFileStream(path, FileMode::kOpenRead), EFOpenError);
  try {
    TFileStream missing(path, FileMode::kOpenRead);
  } catch (const EFOpenError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
  }
}

}  // namespace
}  // namespace vorn
