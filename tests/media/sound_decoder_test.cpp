#include "media/sound_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "foundation/stream.h"
#include "support/sound_fixtures.h"

namespace vorn {
namespace {

using testing::AppendChunk;
using testing::PcmFormatBody;
using testing::RiffWave;
using testing::SoundFixtureBytes;

struct Decoded {
  std::unique_ptr<TMemoryStream> stream;
  std::unique_ptr<SoundDecoder> decoder;
};

Decoded Open(std::vector<std::uint8_t> bytes, bool is_ogg) {
  Decoded d;
  d.stream = std::make_unique<TMemoryStream>(std::move(bytes));
  d.decoder = SoundDecoder::Open(PlayerStreamCallbacks(), d.stream.get(), is_ogg);
  return d;
}

std::vector<std::uint8_t> ReadAll(SoundDecoder& decoder, std::size_t chunk = 4096) {
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> buffer(chunk);
  while (true) {
    const std::size_t got = decoder.Read(buffer.data(), buffer.size());
    if (got == 0) break;
    out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
  }
  return out;
}

std::vector<std::int16_t> Samples16(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::int16_t> out(bytes.size() / 2);
  std::memcpy(out.data(), bytes.data(), out.size() * 2);
  return out;
}

struct PassCase {
  const char* file;
  const char* reference;
  bool is_ogg;
  int channels, rate, bits;
};

class DecoderPassesUnchanged : public ::testing::TestWithParam<PassCase> {};

// Formats the mixer plays directly come out exactly as sox wrote them or oggdec decodes them.
TEST_P(DecoderPassesUnchanged, PcmEqualsTheReference) {
  const PassCase& c = GetParam();
  Decoded d = Open(SoundFixtureBytes(c.file), c.is_ogg);
  ASSERT_TRUE(d.decoder);
  const PcmFormat f = d.decoder->Format();
  EXPECT_EQ(f, PcmFormat::Pcm(c.rate, c.bits, c.channels));
  EXPECT_EQ(f.block_align, c.channels * c.bits / 8);
  const auto reference = SoundFixtureBytes(c.reference);
  EXPECT_EQ(d.decoder->Size(), static_cast<std::int64_t>(reference.size()));
  EXPECT_EQ(d.decoder->LengthMs(), static_cast<std::int64_t>(reference.size() / f.block_align) * 1000 / c.rate);
  EXPECT_EQ(ReadAll(*d.decoder), reference);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, DecoderPassesUnchanged,
    ::testing::Values(PassCase{"u8-mono-22050.wav", "u8-mono-22050.raw", false, 1, 22050, 8},
                      PassCase{"s16-mono-44100.wav", "s16-mono-44100.raw", false, 1, 44100, 16},
                      PassCase{"s16-stereo-44100.wav", "s16-stereo-44100.raw", false, 2, 44100, 16},
                      PassCase{"s16-mono-22050.wav", "s16-mono-22050.raw", false, 1, 22050, 16},
                      PassCase{"s16-stereo-22050.wav", "s16-stereo-22050.raw", false, 2, 22050, 16},
                      PassCase{"ogg-mono-44100.ogg", "ogg-mono-44100.ogg.raw", true, 1, 44100, 16},
                      PassCase{"ogg-stereo-44100.ogg", "ogg-stereo-44100.ogg.raw", true, 2, 44100, 16},
                      PassCase{"ogg-stereo-22050.ogg", "ogg-stereo-22050.ogg.raw", true, 2, 22050, 16},
                      PassCase{"ogg-chained.ogg", "ogg-chained.ogg.raw", true, 1, 44100, 16},
                      // The second link changes the rate: the sound ends with the first.
                      PassCase{"ogg-chained-rate-change.ogg", "link-a.ogg.raw", true, 1, 44100, 16}));

TEST(DecoderConverts, TwentyFourBitKeepsTheTopSixteenBits) {
  Decoded d = Open(SoundFixtureBytes("s24-stereo-44100.wav"), false);
  ASSERT_TRUE(d.decoder);
  EXPECT_EQ(d.decoder->Format(), PcmFormat::Pcm(44100, 16, 2));
  const auto raw = SoundFixtureBytes("s24-stereo-44100.raw");
  std::vector<std::uint8_t> expected;
  for (std::size_t i = 0; i + 2 < raw.size(); i += 3) expected.insert(expected.end(), {raw[i + 1], raw[i + 2]});
  EXPECT_EQ(ReadAll(*d.decoder), expected);
}

TEST(DecoderConverts, SixChannelsFoldOntoStereoAsAverages) {
  Decoded d = Open(SoundFixtureBytes("s16-6ch-44100.wav"), false);
  ASSERT_TRUE(d.decoder);
  EXPECT_EQ(d.decoder->Format(), PcmFormat::Pcm(44100, 16, 2));
  const auto raw = Samples16(SoundFixtureBytes("s16-6ch-44100.raw"));
  std::vector<std::int16_t> expected;
  for (std::size_t f = 0; f + 5 < raw.size(); f += 6) {
    expected.push_back(static_cast<std::int16_t>((raw[f] + raw[f + 2] + raw[f + 4]) / 3));
    expected.push_back(static_cast<std::int16_t>((raw[f + 1] + raw[f + 3] + raw[f + 5]) / 3));
  }
  EXPECT_EQ(Samples16(ReadAll(*d.decoder)), expected);
}

struct ResampleCase {
  const char* file;
  bool is_ogg;
  int channels;
  std::int64_t source_frames;
  int source_rate;
};

class DecoderResamples : public ::testing::TestWithParam<ResampleCase> {};

// 48000 Hz becomes 44100 Hz 16-bit of the same length and still holds the 440 Hz tone.
TEST_P(DecoderResamples, ToCdRateKeepingLengthAndTone) {
  const ResampleCase& c = GetParam();
  Decoded d = Open(SoundFixtureBytes(c.file), c.is_ogg);
  ASSERT_TRUE(d.decoder);
  EXPECT_EQ(d.decoder->Format(), PcmFormat::Pcm(44100, 16, c.channels));
  const std::int64_t frames = c.source_frames * 44100 / c.source_rate;
  EXPECT_EQ(d.decoder->Size(), frames * 2 * c.channels);
  const auto samples = Samples16(ReadAll(*d.decoder));
  ASSERT_EQ(static_cast<std::int64_t>(samples.size()), frames * c.channels);
  const int crossings = testing::RisingZeroCrossings(testing::Channel(samples, c.channels, 0));
  EXPECT_NEAR(crossings, 220, 2);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DecoderResamples,
                         ::testing::Values(ResampleCase{"s16-stereo-48000.wav", false, 2, 24000, 48000},
                                           ResampleCase{"ogg-mono-48000.ogg", true, 1, 24000, 48000}));

TEST(DecoderPosition, SeeksAlignDownToWholeFramesAndReadOnFromThere) {
  Decoded d = Open(SoundFixtureBytes("s16-stereo-44100.wav"), false);
  ASSERT_TRUE(d.decoder);
  const auto raw = SoundFixtureBytes("s16-stereo-44100.raw");
  EXPECT_EQ(d.decoder->SetPosition(529), 528);
  EXPECT_EQ(d.decoder->SetPosition(-5), 0);
  EXPECT_EQ(d.decoder->SetPosition(1 << 30), static_cast<std::int64_t>(raw.size()));
  EXPECT_EQ(d.decoder->SetPosition(1003), 1000);
  std::uint8_t buffer[8];
  ASSERT_EQ(d.decoder->Read(buffer, sizeof buffer), sizeof buffer);
  EXPECT_EQ(0, std::memcmp(buffer, raw.data() + 1000, sizeof buffer));
  EXPECT_EQ(d.decoder->Position(), 1008);
}

TEST(DecoderPosition, OggSeeksLandOnTheSameSamplesAsAReadFromTheStart) {
  Decoded d = Open(SoundFixtureBytes("ogg-stereo-44100.ogg"), true);
  ASSERT_TRUE(d.decoder);
  const auto raw = SoundFixtureBytes("ogg-stereo-44100.ogg.raw");
  for (std::int64_t position : {40000, 4, 80000}) {
    ASSERT_EQ(d.decoder->SetPosition(position), position);
    std::uint8_t buffer[64];
    ASSERT_EQ(d.decoder->Read(buffer, sizeof buffer), sizeof buffer);
    EXPECT_EQ(0, std::memcmp(buffer, raw.data() + position, sizeof buffer)) << position;
  }
}

// Requests that split frames (the mixer's reads need not be whole frames) give the same bytes.
TEST(DecoderPosition, OddSizedReadsGiveTheSameBytes) {
  Decoded d = Open(SoundFixtureBytes("s16-stereo-22050.wav"), false);
  ASSERT_TRUE(d.decoder);
  EXPECT_EQ(ReadAll(*d.decoder, 3), SoundFixtureBytes("s16-stereo-22050.raw"));
}

// Chunks in any order with pad bytes, an extensible header and a data size beyond the stream.
TEST(DecoderWavLayout, UnusualButValidFilesPlayTheirData) {
  const std::vector<std::uint8_t> data{1, 0, 2, 0, 3, 0, 4, 0};
  std::vector<std::uint8_t> chunks;
  AppendChunk(chunks, "LIST", {'a', 'b', 'c'});  // odd size: a pad byte follows
  AppendChunk(chunks, "data", data);              // data before fmt
  AppendChunk(chunks, "fmt ", PcmFormatBody(1, 1, 44100, 2, 16));
  Decoded before = Open(RiffWave(chunks), false);
  ASSERT_TRUE(before.decoder);
  EXPECT_EQ(ReadAll(*before.decoder), data);

  std::vector<std::uint8_t> extensible = PcmFormatBody(0xFFFE, 2, 22050, 4, 16);
  extensible.insert(extensible.end(), {22, 0, 16, 0, 3, 0, 0, 0});  // extra size, valid bits, channel mask
  extensible.insert(extensible.end(), {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});  // PCM sub-format
  std::vector<std::uint8_t> chunks2;
  AppendChunk(chunks2, "fmt ", extensible);
  AppendChunk(chunks2, "data", data, 0x7FFFFFF0);  // claims far more than the stream holds
  Decoded clamped = Open(RiffWave(chunks2), false);
  ASSERT_TRUE(clamped.decoder);
  EXPECT_EQ(clamped.decoder->Format(), PcmFormat::Pcm(22050, 16, 2));
  EXPECT_EQ(clamped.decoder->Size(), 8);
  EXPECT_EQ(ReadAll(*clamped.decoder), data);
}

std::vector<std::uint8_t> WithFormat(std::vector<std::uint8_t> format_body, bool with_data = true) {
  std::vector<std::uint8_t> chunks;
  AppendChunk(chunks, "fmt ", format_body);
  if (with_data) AppendChunk(chunks, "data", {0, 0, 0, 0});
  return RiffWave(chunks);
}

struct BadWav {
  const char* what;
  std::vector<std::uint8_t> bytes;
};

std::vector<BadWav> BadWavs() {
  std::vector<BadWav> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"truncated RIFF header", {'R', 'I', 'F', 'F', 4, 0}});
  cases.push_back({"not WAVE", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}});
  cases.push_back({"no chunks", RiffWave({})});
  cases.push_back({"no data chunk", WithFormat(PcmFormatBody(1, 2, 44100, 4, 16), false)});
  auto short_fmt = PcmFormatBody(1, 2, 44100, 4, 16);
  short_fmt.resize(14);
  cases.push_back({"fmt shorter than 16 bytes", WithFormat(short_fmt)});
  cases.push_back({"0 channels", WithFormat(PcmFormatBody(1, 0, 44100, 0, 16))});
  cases.push_back({"9 channels", WithFormat(PcmFormatBody(1, 9, 44100, 18, 16))});
  cases.push_back({"rate 0", WithFormat(PcmFormatBody(1, 2, 0, 4, 16))});
  cases.push_back({"block align 0", WithFormat(PcmFormatBody(1, 2, 44100, 0, 16))});
  cases.push_back({"block align not channels x bits / 8", WithFormat(PcmFormatBody(1, 2, 44100, 3, 16))});
  cases.push_back({"12 bits", WithFormat(PcmFormatBody(1, 1, 44100, 2, 12))});
  cases.push_back({"64 bits", WithFormat(PcmFormatBody(1, 1, 44100, 8, 64))});
  cases.push_back({"compressed format tag", WithFormat(PcmFormatBody(2, 1, 44100, 2, 16))});
  cases.push_back({"extensible without a sub-format", WithFormat(PcmFormatBody(0xFFFE, 1, 44100, 2, 16))});
  std::vector<std::uint8_t> huge;
  AppendChunk(huge, "JUNK", {1, 2}, 0xFFFFFFF0);  // skips past the end: fmt and data are never seen
  AppendChunk(huge, "fmt ", PcmFormatBody(1, 1, 44100, 2, 16));
  AppendChunk(huge, "data", {0, 0});
  cases.push_back({"chunk size near 2^32", RiffWave(huge)});
  std::vector<std::uint8_t> cut_fmt;
  AppendChunk(cut_fmt, "fmt ", PcmFormatBody(1, 1, 44100, 2, 16), 40);  // body ends with the stream
  cases.push_back({"fmt cut by the stream's end", RiffWave(std::vector<std::uint8_t>(cut_fmt.begin(), cut_fmt.end() - 4))});
  return cases;
}

TEST(DecoderWavLayout, BrokenFilesAreRefused) {
  for (const BadWav& c : BadWavs()) {
    EXPECT_FALSE(Open(c.bytes, false).decoder) << c.what;
  }
}

TEST(DecoderOggLayout, BrokenStreamsAreRefusedOrEndEarly) {
  auto ogg = SoundFixtureBytes("ogg-stereo-44100-2s.ogg");
  EXPECT_FALSE(Open(SoundFixtureBytes("s16-mono-44100.wav"), true).decoder) << "a WAV is not Vorbis";
  EXPECT_FALSE(Open(std::vector<std::uint8_t>(ogg.begin(), ogg.begin() + 40), true).decoder) << "cut in the headers";

  // Cut mid-page in the audio: what decodes is handed out, then the end.
  Decoded cut = Open(std::vector<std::uint8_t>(ogg.begin(), ogg.end() - 1000), true);
  ASSERT_TRUE(cut.decoder);
  const auto pcm = ReadAll(*cut.decoder);
  const auto full = SoundFixtureBytes("ogg-stereo-44100-2s.ogg.raw");
  EXPECT_GT(pcm.size(), 0u);
  EXPECT_LT(pcm.size(), full.size());
  EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), full.begin()));
  EXPECT_EQ(cut.decoder->Size(), static_cast<std::int64_t>(pcm.size()));

  // Scrambled audio pages never crash and never hand out more than the stream claims.
  for (std::size_t i = ogg.size() / 2; i < ogg.size(); i += 7) ogg[i] ^= 0x5A;
  Decoded corrupt = Open(ogg, true);
  if (corrupt.decoder) {
    EXPECT_LE(ReadAll(*corrupt.decoder).size(), full.size());
  }
}

// A stream whose reads start failing (an archive cut underneath): the sound ends there.
class FailingStream final : public TMemoryStream {
 public:
  FailingStream(std::vector<std::uint8_t> bytes, std::int64_t fail_from) : TMemoryStream(std::move(bytes)), fail_from_(fail_from) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    if (Position() >= fail_from_) throw std::runtime_error("read error");
    return TMemoryStream::Read(buffer, count);
  }

 private:
  std::int64_t fail_from_;
};

TEST(DecoderFailingStream, ReadsThatStartFailingEndTheSound) {
  FailingStream stream(SoundFixtureBytes("s16-stereo-44100.wav"), 44 + 1000);
  auto decoder = SoundDecoder::Open(PlayerStreamCallbacks(), &stream, false);
  ASSERT_TRUE(decoder);
  EXPECT_EQ(decoder->Size(), 88200);
  const auto pcm = ReadAll(*decoder, 512);
  EXPECT_EQ(pcm.size(), 1024u);
  EXPECT_EQ(decoder->Size(), 1024);
}

TEST(StreamCallbacks, NullStreamsAndFailuresAnswerZero) {
  const StreamCallbacks callbacks = PlayerStreamCallbacks();
  std::uint8_t buffer[4];
  EXPECT_EQ(callbacks.get_size(nullptr), 0);
  EXPECT_EQ(callbacks.read(nullptr, buffer, 4), 0);
  EXPECT_EQ(callbacks.get_pos(nullptr), 0);
  EXPECT_EQ(callbacks.set_pos(nullptr, 3), 0);
  FailingStream failing({1, 2, 3, 4, 5, 6}, 0);
  EXPECT_EQ(callbacks.read(&failing, buffer, 4), 0);
  EXPECT_EQ(callbacks.set_pos(&failing, 5), 5);
  EXPECT_EQ(callbacks.get_size(&failing), 6);
}

}  // namespace
}  // namespace vorn
