#include "platform/headless_audio.h"

#include <gtest/gtest.h>

#include <vector>

namespace vorn::platform {
namespace {

// A voice that plays one constant frame.
class ConstantVoice final : public AudioVoice {
 public:
  ConstantVoice(std::int16_t left, std::int16_t right) : left_(left), right_(right) {}
  void Pull(std::int16_t* out, std::size_t frames) override {
    for (std::size_t i = 0; i < frames; ++i) {
      out[2 * i] = left_;
      out[2 * i + 1] = right_;
    }
  }

 private:
  std::int16_t left_, right_;
};

TEST(HeadlessAudio, CapturesTheSpanOfEveryAdvanceAlsoWhileClosed) {
  VirtualClock clock;
  HeadlessAudioOutput audio(clock);
  ConstantVoice voice(5, -5);
  audio.AddVoice(voice);
  clock.Advance(10);  // closed: silence
  ASSERT_TRUE(audio.Open());
  clock.Sleep(10);
  const auto samples = audio.Captured();
  // 10 ms at 44100 Hz is 441 frames; the running total keeps fractions from drifting.
  ASSERT_EQ(samples.size(), 2u * 882);
  EXPECT_EQ(samples[0], 0);
  EXPECT_EQ(samples[2 * 441], 5);
  EXPECT_EQ(samples[2 * 441 + 1], -5);
  clock.Advance(1);
  clock.Advance(1);
  EXPECT_EQ(audio.CapturedFrames(), 882u + 88u);
  audio.Close();
}

// Voices add up in 32 bits and are clamped once, so two loud voices saturate instead of wrapping
// and a loud and an opposite voice cancel exactly.
TEST(HeadlessAudio, VoicesSumInThirtyTwoBitsAndClampOnce) {
  struct Case {
    std::vector<std::int16_t> lefts;
    std::int16_t expected;
  };
  for (const Case& c : {Case{{30000, 30000}, 32767}, Case{{-30000, -30000}, -32768},
                        Case{{30000, 30000, -30000}, 30000}, Case{{100, -40}, 60}}) {
    VirtualClock clock;
    HeadlessAudioOutput audio(clock);
    std::vector<std::unique_ptr<ConstantVoice>> voices;
    for (std::int16_t left : c.lefts) {
      voices.push_back(std::make_unique<ConstantVoice>(left, 0));
      audio.AddVoice(*voices.back());
    }
    ASSERT_TRUE(audio.Open());
    clock.Advance(1);
    EXPECT_EQ(audio.Captured().at(0), c.expected);
    for (auto& voice : voices) audio.RemoveVoice(*voice);
    clock.Advance(1);
    EXPECT_EQ(audio.Captured().back(), 0);
    audio.Close();
  }
}

TEST(HeadlessAudio, OpenIsCountedAndTheSwitchesRefuse) {
  VirtualClock clock;
  HeadlessAudioOutput audio(clock);
  EXPECT_FALSE(audio.CreatePrimaryBuffer());  // not open
  ASSERT_TRUE(audio.Open());
  ASSERT_TRUE(audio.Open());
  EXPECT_EQ(audio.device_opens(), 1);
  audio.Close();
  EXPECT_TRUE(audio.IsOpen());
  EXPECT_TRUE(audio.CreatePrimaryBuffer());
  EXPECT_TRUE(audio.SetPrimaryFormat(44100, 16, 2));
  audio.set_fail_primary(true);
  audio.set_refuse_format(true);
  audio.set_fail_prepare(true);
  EXPECT_FALSE(audio.CreatePrimaryBuffer());
  EXPECT_FALSE(audio.SetPrimaryFormat(44100, 16, 2));
  EXPECT_FALSE(audio.PrepareBlock());
  audio.Close();
  EXPECT_FALSE(audio.IsOpen());
  audio.set_fail_open(true);
  EXPECT_FALSE(audio.Open());
  EXPECT_FALSE(audio.IsOpen());
}

TEST(HeadlessAudio, DeviceLossReopensAndTellsTheHandlerOnce) {
  VirtualClock clock;
  HeadlessAudioOutput audio(clock);
  int told = 0;
  audio.SetDeviceLostHandler([&] { ++told; });
  audio.SimulateDeviceLoss();  // closed: nothing to lose
  EXPECT_EQ(told, 0);
  ASSERT_TRUE(audio.Open());
  ConstantVoice voice(7, 7);
  audio.AddVoice(voice);
  audio.SimulateDeviceLoss();
  EXPECT_EQ(told, 1);
  EXPECT_EQ(audio.device_opens(), 2);
  clock.Advance(1);
  EXPECT_EQ(audio.Captured().at(0), 7);
  audio.RemoveVoice(voice);
  audio.Close();
}

// The wave mapper's blocks play in order and each is marked done once its last byte is pulled.
TEST(HeadlessAudio, WaveOutBlocksPlayInOrderAndComeBackDone) {
  VirtualClock clock;
  HeadlessAudioOutput audio(clock);
  WaveOutVoice wave;
  audio.AddVoice(wave);
  ASSERT_TRUE(audio.Open());
  std::vector<std::int16_t> first(2 * 441, 100);
  std::vector<std::int16_t> second(2 * 441, 200);
  WaveOutBlock a{reinterpret_cast<const std::uint8_t*>(first.data()), first.size() * 2};
  WaveOutBlock b{reinterpret_cast<const std::uint8_t*>(second.data()), second.size() * 2};
  wave.Write(a);
  wave.Write(b);
  clock.Advance(5);
  EXPECT_FALSE(a.done);
  clock.Advance(5);
  EXPECT_TRUE(a.done);
  EXPECT_FALSE(b.done);
  EXPECT_EQ(wave.Queued(), 1u);
  wave.Reset();
  EXPECT_TRUE(b.done);
  EXPECT_EQ(wave.Queued(), 0u);
  clock.Advance(5);
  const auto samples = audio.Captured();
  EXPECT_EQ(samples[0], 100);
  EXPECT_EQ(samples[2 * 441 - 1], 100);
  EXPECT_EQ(samples[2 * 441], 0);  // the reset block is never heard
  audio.RemoveVoice(wave);
  audio.Close();
}

}  // namespace
}  // namespace vorn::platform
