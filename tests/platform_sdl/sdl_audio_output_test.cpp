#include "platform/sdl/sdl_audio_output.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "support/temp_folder.h"
#include "support/whole_file.h"

namespace vorn::platform::sdl {
namespace {

class ToneVoice final : public AudioVoice {
 public:
  void Pull(std::int16_t* out, std::size_t frames) override {
    for (std::size_t i = 0; i < frames; ++i, ++frame_) {
      const auto value = static_cast<std::int16_t>(12000 * std::sin(2 * 3.14159265358979 * 440 * frame_ / 44100.0));
      out[2 * i] = value;
      out[2 * i + 1] = value;
    }
  }

 private:
  std::uint64_t frame_ = 0;
};

// SDL's disk driver writes what the device plays to a file; no sound card is needed.
TEST(SdlAudioOutput, TheDiskDriverRecordsTheToneItPlays) {
  testing::TempFolder folder("sdl-audio");
  const std::string file = folder / "out.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  {
    SdlAudioOutput output;
    ToneVoice voice;
    output.AddVoice(voice);
    if (!output.Open()) GTEST_SKIP() << "SDL has no disk audio driver here";
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    output.RemoveVoice(voice);
    output.Close();
  }
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
  const auto bytes = testing::ReadWholeFile(file);
  // Our device format is the driver's: 16-bit stereo at 44100 Hz.
  const std::size_t frames = bytes.size() / 4;
  ASSERT_GT(frames, 4410u);
  int crossings = 0;
  std::int16_t previous = 0;
  std::size_t first = 0, last = 0;
  for (std::size_t i = 0; i < frames; ++i) {
    const auto left = static_cast<std::int16_t>(bytes[4 * i] | (bytes[4 * i + 1] << 8));
    if (previous < 0 && left >= 0) {
      if (crossings == 0) first = i;
      last = i;
      ++crossings;
    }
    previous = left;
  }
  ASSERT_GT(crossings, 10);
  const double frequency = (crossings - 1) * 44100.0 / static_cast<double>(last - first);
  EXPECT_NEAR(frequency, 440.0, 2.0);
}

}  // namespace
}  // namespace vorn::platform::sdl
