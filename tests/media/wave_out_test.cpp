#include "media/wave_out.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/headless_audio.h"
#include "support/sound_fixtures.h"
#include "support/temp_folder.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

struct Mixer {
  explicit Mixer(int delay = 100) : out(&audio, clock, delay) {}
  platform::VirtualClock clock;
  platform::HeadlessAudioOutput audio{clock};
  TWavOut out;
  std::vector<std::unique_ptr<TMemoryStream>> streams;

  TWavBuffer* Source(int channels, int rate, int bits, std::vector<std::uint8_t> bytes) {
    streams.push_back(std::make_unique<TMemoryStream>(std::move(bytes)));
    return out.AddBuffer(PcmFormat::Pcm(rate, bits, channels), *streams.back());
  }
  std::vector<std::int16_t> Mix() {
    std::vector<std::int16_t> block(out.block_bytes() / 2, 7);
    contributed = out.MixAll(block.data());
    return block;
  }
  bool contributed = false;
};

std::vector<std::uint8_t> Le16(std::initializer_list<int> samples) {
  std::vector<std::uint8_t> bytes;
  for (int s : samples) {
    bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
  }
  return bytes;
}

std::vector<std::int16_t> Head(const std::vector<std::int16_t>& block, std::size_t n) {
  return std::vector<std::int16_t>(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
}

struct ConversionCase {
  const char* what;
  int channels, rate, bits;
  std::vector<std::uint8_t> bytes;
  int volume;
  std::vector<std::int16_t> expected;  // the block's first samples; the rest is silence
};

TEST(WaveMixerConversion, EachRowGivesTheHandWorkedSamples) {
  const std::vector<ConversionCase> cases = {
      {"mono 44100 16: each sample twice", 1, 44100, 16, Le16({1, 2}), 256, {1, 1, 2, 2, 0}},
      {"stereo 22050 16: each frame twice", 2, 22050, 16, Le16({1, 2, 3, 4}), 256, {1, 2, 1, 2, 3, 4, 3, 4, 0}},
      {"stereo 44100 16: unchanged", 2, 44100, 16, Le16({-5, 6}), 256, {-5, 6, 0}},
      {"stereo 44100 8: (b - 128) x 256", 2, 44100, 8, {0x80, 0xFF, 0x00, 0x81}, 256, {0, 32512, -32768, 256, 0}},
      {"mono 44100 8: converted, twice", 1, 44100, 8, {0xFF, 0x00}, 256, {32512, 32512, -32768, -32768, 0}},
      {"stereo 22050 8: frame twice", 2, 22050, 8, {0x00, 0xFF}, 256, {-32768, 32512, -32768, 32512, 0}},
      {"mono 22050 16: four times", 1, 22050, 16, Le16({9}), 256, {9, 9, 9, 9, 0}},
      {"mono 22050 8: four times", 1, 22050, 8, {0x82}, 256, {512, 512, 512, 512, 0}},
      {"volume 128 halves", 1, 44100, 16, Le16({1000, -1000}), 128, {500, 500, -500, -500}},
      {"volume 255 acts as 256", 1, 44100, 16, Le16({1000}), 255, {1000, 1000}},
      {"volume 300 leaves samples", 1, 44100, 16, Le16({1000}), 300, {1000, 1000}},
      {"volume 0 silences", 1, 44100, 16, Le16({1000}), 0, {0, 0}},
      {"volume 1 keeps the sign", 1, 44100, 16, Le16({-1000}), 1, {-4, -4}},
  };
  for (const ConversionCase& c : cases) {
    Mixer m;
    ASSERT_TRUE(m.out.Open());
    TWavBuffer* source = m.Source(c.channels, c.rate, c.bits, c.bytes);
    source->SetVolume(c.volume);
    source->Play();
    const auto block = m.Mix();
    EXPECT_TRUE(m.contributed) << c.what;
    EXPECT_EQ(Head(block, c.expected.size()), c.expected) << c.what;
    m.out.Close();
  }
}

TEST(WaveMixerConversion, SourcesAddWithSaturation) {
  Mixer m;
  ASSERT_TRUE(m.out.Open());
  for (int i = 0; i < 2; ++i) m.Source(2, 44100, 16, Le16({30000, -30000}))->Play();
  EXPECT_EQ(Head(m.Mix(), 3), (std::vector<std::int16_t>{32767, -32768, 0}));
}

// A created source that was never played stays silent while another keeps the output running.
TEST(WaveMixerConversion, OnlyPlayedSourcesAreHeard) {
  Mixer m;
  ASSERT_TRUE(m.out.Open());
  m.Source(2, 44100, 16, Le16({1000, 1000}));
  m.Source(2, 44100, 16, Le16({5, 5}))->Play();
  EXPECT_EQ(Head(m.Mix(), 2), (std::vector<std::int16_t>{5, 5}));
}

TEST(WaveMixerConversion, OtherFormatsAreSilentAndNeverEndByThemselves) {
  Mixer m;
  ASSERT_TRUE(m.out.Open());
  TWavBuffer* source = m.Source(2, 48000, 16, Le16({1000, 1000}));
  source->Play();
  const auto block = m.Mix();
  EXPECT_FALSE(m.contributed);
  EXPECT_EQ(block[0], 0);
  m.clock.Advance(5000);
  EXPECT_FALSE(source->IsFinished());
}

TEST(WaveMixerConversion, ARepeatingSourceWrapsInsideOneBlockAndFillsIt) {
  Mixer m;
  ASSERT_TRUE(m.out.Open());
  TWavBuffer* source = m.Source(2, 44100, 16, Le16({1, 2, 3, 4, 5, 6}));
  source->SetRepeat(true);
  source->Play();
  const auto block = m.Mix();
  ASSERT_EQ(block.size(), 8820u);
  for (std::size_t i = 0; i < block.size(); ++i) ASSERT_EQ(block[i], static_cast<std::int16_t>(i % 6 + 1)) << i;
  EXPECT_FALSE(source->IsFinished());
}

TEST(WaveMixerTiming, BlockSizeFollowsTheDelayTime) {
  for (auto [delay, bytes] : {std::pair{100, 17640u}, std::pair{500, 88200u}}) {
    Mixer m(delay);
    EXPECT_EQ(m.out.block_bytes(), bytes);
  }
}

TEST(WaveMixerTiming, AnEndedSourceFinishesOnlyAfterTwiceTheDelayAndTenMilliseconds) {
  Mixer m(500);
  ASSERT_TRUE(m.out.Open());
  m.clock.Set(100000);
  TWavBuffer* source = m.Source(2, 44100, 16, Le16({1, 1}));
  source->Play();
  m.Mix();
  EXPECT_FALSE(source->IsFinished());
  m.clock.Set(100000 + 1005);
  EXPECT_FALSE(source->IsFinished());
  m.clock.Set(100000 + 1011);
  EXPECT_TRUE(source->IsFinished());
  m.out.Close();
}

// The audible position lags the read position by the delay and catches up with elapsed time.
TEST(WaveMixerTiming, GetPositionCountsWhatTheDeviceHasPlayed) {
  Mixer m(100);
  ASSERT_TRUE(m.out.Open());
  std::vector<std::uint8_t> bytes(176400);
  TWavBuffer* source = m.Source(2, 44100, 16, bytes);
  source->Play();
  m.clock.Set(5000);
  m.Mix();  // read position 17640
  struct Case {
    std::uint32_t now;
    std::int64_t expected;
  };
  for (const Case& c : {Case{5000, 0}, Case{5050, 8820}, Case{5200, 35280}, Case{5201, 17640}, Case{4990, 0}}) {
    m.clock.Set(c.now);
    EXPECT_EQ(source->GetPosition(), c.expected) << c.now;
  }
}

using SourceSpec = std::tuple<int, int, int, int, std::vector<std::uint8_t>>;

// Runs the Python reference once over every round's sources; one block per round.
std::vector<std::vector<std::int16_t>> PythonMix(std::size_t block_bytes, const std::vector<std::vector<SourceSpec>>& rounds) {
  testing::TempFolder folder("wave-mix");
  std::string command = "python3 " + std::string(VORN_SOURCE_DIR) + "/tests/media/wave_mix_reference.py";
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    std::vector<std::uint8_t> input;
    auto put = [&](std::uint64_t v, int bytes) {
      for (int i = 0; i < bytes; ++i) input.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put(block_bytes, 4);
    put(rounds[r].size(), 4);
    for (const auto& [channels, rate, bits, volume, data] : rounds[r]) {
      put(static_cast<std::uint64_t>(channels), 2);
      put(static_cast<std::uint64_t>(rate), 4);
      put(static_cast<std::uint64_t>(bits), 2);
      put(static_cast<std::uint32_t>(volume), 4);
      put(data.size(), 4);
      input.insert(input.end(), data.begin(), data.end());
    }
    const std::string in = folder / ("in" + std::to_string(r));
    testing::WriteWholeFile(in, input);
    command += " " + in + " " + (folder / ("out" + std::to_string(r)));
  }
  if (std::system(command.c_str()) != 0) return {};
  std::vector<std::vector<std::int16_t>> blocks;
  for (std::size_t r = 0; r < rounds.size(); ++r) {
    const auto out = testing::ReadWholeFile(folder.path() / ("out" + std::to_string(r)));
    std::vector<std::int16_t> samples(out.size() / 2);
    std::memcpy(samples.data(), out.data(), samples.size() * 2);
    blocks.push_back(std::move(samples));
  }
  return blocks;
}

// Random sources in all eight formats at several volumes, three at a time, against Python.
TEST(WaveMixerReference, RandomSourcesMixAsPythonComputes) {
  const std::tuple<int, int, int> formats[] = {{2, 44100, 16}, {1, 44100, 16}, {2, 22050, 16}, {2, 44100, 8},
                                               {1, 44100, 8},  {2, 22050, 8},  {1, 22050, 16}, {1, 22050, 8}};
  const int volumes[] = {0, 1, 128, 254, 255, 300};
  constexpr int kRounds = 8;
  std::mt19937 random(42);
  std::vector<std::unique_ptr<Mixer>> mixers;
  std::vector<std::vector<SourceSpec>> rounds(kRounds);
  for (int round = 0; round < kRounds; ++round) {
    mixers.push_back(std::make_unique<Mixer>());
    Mixer& m = *mixers.back();
    ASSERT_TRUE(m.out.Open());
    for (int k = 0; k < 3; ++k) {
      const auto [channels, rate, bits] = formats[(round + 3 * k) % 8];
      const int volume = volumes[(round * 3 + k) % 6];
      std::vector<std::uint8_t> data(4000 + random() % 8000);
      for (auto& b : data) b = static_cast<std::uint8_t>(random());
      TWavBuffer* source = m.Source(channels, rate, bits, data);
      source->SetVolume(volume);
      source->Play();
      // The mixer reads one block's worth: the reference sees what one block takes.
      data.resize(std::min(data.size(), SourceBytesFor(ConversionFor(channels, rate, bits), m.out.block_bytes())));
      rounds[static_cast<std::size_t>(round)].emplace_back(channels, rate, bits, volume, data);
    }
  }
  const auto expected = PythonMix(mixers.front()->out.block_bytes(), rounds);
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(kRounds)) << "python reference failed";
  for (int round = 0; round < kRounds; ++round) {
    const auto mixed = mixers[static_cast<std::size_t>(round)]->Mix();
    const auto& want = expected[static_cast<std::size_t>(round)];
    ASSERT_EQ(mixed.size(), want.size());
    const auto mismatch = std::mismatch(mixed.begin(), mixed.end(), want.begin());
    EXPECT_EQ(mismatch.first, mixed.end()) << "round " << round << " sample " << (mismatch.first - mixed.begin());
  }
}

TEST(WaveMixerReference, VectorAndScalarAddsGiveIdenticalBlocks) {
  std::mt19937 random(7);
  std::vector<std::int16_t> a(8823), b(8823);
  for (auto& s : a) s = static_cast<std::int16_t>(random());
  for (auto& s : b) s = static_cast<std::int16_t>(random());
  auto scalar = a;
  auto vector = a;
  AddSaturatingScalar(scalar.data(), b.data(), b.size());
  AddSaturatingVector(vector.data(), b.data(), b.size());
  EXPECT_EQ(scalar, vector);
  for (int volume : {-40000, -32768, -1, 0, 1, 127, 128, 254, 255, 300}) {
    auto scaled_scalar = a;
    auto scaled_vector = a;
    ApplyVolumeScalar(scaled_scalar.data(), a.size(), volume);
    ApplyVolumeVector(scaled_vector.data(), a.size(), volume);
    EXPECT_EQ(scaled_scalar, scaled_vector) << volume;
    auto mixed_scalar = b;
    auto mixed_vector = b;
    auto source_scalar = a;
    auto source_vector = a;
    SetVectorMixing(false);
    MixScaled(mixed_scalar.data(), source_scalar.data(), a.size(), volume);
    SetVectorMixing(true);
    MixScaled(mixed_vector.data(), source_vector.data(), a.size(), volume);
    EXPECT_EQ(mixed_scalar, mixed_vector) << volume;
  }
}

// The refill thread on virtual time: the whole fixture comes out of the device in order, the
// queue never holds more than two blocks, and the source finishes after its end.
TEST(WaveMixerDevice, TheRefillThreadPlaysASoundToItsEndOnTheHeadlessDevice) {
  Mixer m(100);
  ASSERT_TRUE(m.out.Open());
  EXPECT_GE(m.out.pool_size(), 4u);
  const auto raw = testing::SoundFixtureBytes("s16-stereo-44100.raw");
  TWavBuffer* source = m.Source(2, 44100, 16, raw);
  source->Play();
  std::size_t most_queued = 0;
  for (int step = 0; step < 100 && !source->IsFinished(); ++step) {
    m.clock.Advance(10);
    most_queued = std::max(most_queued, m.out.queued_blocks());
  }
  EXPECT_TRUE(source->IsFinished());
  EXPECT_LE(most_queued, 2u);
  const auto captured = m.audio.Captured();
  std::vector<std::int16_t> expected(raw.size() / 2);
  std::memcpy(expected.data(), raw.data(), raw.size());
  auto first = std::find_if(captured.begin(), captured.end(), [](std::int16_t s) { return s != 0; });
  ASSERT_NE(first, captured.end());
  const auto start = static_cast<std::size_t>(first - captured.begin()) / 2 * 2;
  const auto lead = std::find_if(expected.begin(), expected.end(), [](std::int16_t s) { return s != 0; }) - expected.begin();
  ASSERT_GE(start, static_cast<std::size_t>(lead));
  const std::size_t begin = start - static_cast<std::size_t>(lead) / 2 * 2;
  ASSERT_GE(captured.size(), begin + expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), captured.begin() + static_cast<std::ptrdiff_t>(begin)));
  m.out.Close();
  EXPECT_FALSE(m.audio.IsOpen());
}

TEST(WaveMixerDevice, WithoutADeviceOpenFailsAndSourcesCountAsFinished) {
  platform::VirtualClock clock;
  TWavOut none(nullptr, clock, 100);
  EXPECT_FALSE(none.Open());
  platform::HeadlessAudioOutput audio(clock);
  audio.set_fail_open(true);
  TWavOut refused(&audio, clock, 100);
  EXPECT_FALSE(refused.Open());
  TMemoryStream stream(std::vector<std::uint8_t>(16));
  TWavBuffer* source = refused.AddBuffer(PcmFormat::Pcm(44100, 16, 2), stream);
  source->Play();
  EXPECT_TRUE(source->IsFinished());
  refused.RemoveBuffer(source);
}

TEST(WaveMixerDevice, UnpreparedBlocksNeverStallTheQueue) {
  Mixer m(100);
  m.audio.set_fail_prepare(true);
  ASSERT_TRUE(m.out.Open());
  TWavBuffer* source = m.Source(2, 44100, 16, std::vector<std::uint8_t>(17640 * 6, 1));
  source->Play();
  for (int step = 0; step < 40 && !source->IsFinished(); ++step) m.clock.Advance(25);
  EXPECT_TRUE(source->IsFinished());
}

}  // namespace
}  // namespace vorn
