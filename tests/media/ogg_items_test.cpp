#include "media/ogg_items.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "engine/engine_values.h"
#include "foundation/system_texts.h"
#include "media/library_sounds.h"
#include "media/vorn_binding.h"
#include "media/vorn_media_library.h"
#include "platform/headless_audio.h"
#include "support/sound_fixtures.h"
#include "support/temp_folder.h"
#include "support/whole_file.h"

namespace vorn {
namespace {

using testing::SoundFixture;

// The in-process library that can report a damaged format and records the decoder seeks.
class ProbeLibrary : public TVornMediaLibrary {
 public:
  bool vornOggStrGetFormat(VornHandle handle, std::uint8_t* record) override {
    if (!TVornMediaLibrary::vornOggStrGetFormat(handle, record)) return false;
    if (zero_bits) record[14] = record[15] = 0;
    return true;
  }
  std::int32_t vornOggStrSetPos(VornHandle handle, std::int32_t position) override {
    const std::int32_t taken = TVornMediaLibrary::vornOggStrSetPos(handle, position);
    if (position != 0) seeks.emplace_back(position, taken);
    return taken;
  }
  bool zero_bits = false;
  std::vector<std::pair<std::int32_t, std::int32_t>> seeks;
};

// A headless sound world: clock, device, the library initialised as the player does it, the main
// window's DirectSound component and the Ogg manager.
struct World {
  explicit World(bool direct_sound, int delay_time = 100, bool with_dx_sound = true) {
    saved_option_ = DirectSoundOption;
    DirectSoundOption = direct_sound;
    VornDirectSound = nullptr;
    VornDirectSoundHandedOver = false;
    clock.Set(10000);
    VornInitArgs args;
    args.direct_sound = &VornDirectSound;
    args.callbacks = PlayerStreamCallbacks();
    args.clock = &clock;
    library.vornInit(args);
    library.vornOggmanSetUseThread(true);
    dx_sound.OnRestore = [this](TCustomDXSound&) {
      ++restores;
      Manager().Restore();
    };
    manager_context_dx_ = with_dx_sound ? &dx_sound : nullptr;
    manager_ = std::make_unique<TOggManager>(
        TOggManagerContext{library, files, &audio, clock, delay_time, manager_context_dx_});
  }
  ~World() {
    manager_.reset();
    library.vornFinal();
    dx_sound.Finalize();
    VornDirectSound = nullptr;
    VornDirectSoundHandedOver = false;
    DirectSoundOption = saved_option_;
  }
  TOggManager& Manager() { return *manager_; }
  TDMediaItem& Add(std::string_view fixture) { return *Manager().Add(SoundFixture(fixture).string()); }
  // Moves time in frame-sized steps until the item ends; answers the milliseconds it took, or -1.
  int RunToEnd(TDMediaItem& item, int limit_ms = 5000) {
    for (int elapsed = 0; elapsed <= limit_ms; elapsed += 10) {
      if (item.IsEnd()) return elapsed;
      clock.Sleep(10);
    }
    return -1;
  }

  platform::VirtualClock clock;
  platform::HeadlessAudioOutput audio{clock};
  ProbeLibrary library;
  TVrFileManager files;
  TDXSound dx_sound{&audio, true};
  int restores = 0;

 private:
  bool saved_option_ = true;
  TDXSound* manager_context_dx_ = nullptr;
  std::unique_ptr<TOggManager> manager_;
};

// Rising zero crossings of the left channel.
int Crossings(const std::vector<std::int16_t>& captured) { return testing::RisingZeroCrossings(testing::Channel(captured, 2, 0)); }

TEST(OggManager, EveryFixturePlaysToItsEndWithTheOptionOnAndOff) {
  // Half a second of 440 Hz each: about 220 periods whichever way it is played.
  const char* fixtures[] = {"u8-mono-22050.wav",   "s16-mono-44100.wav",  "s16-stereo-44100.wav",
                            "s16-mono-22050.wav",  "s16-stereo-22050.wav", "s16-stereo-48000.wav",
                            "s24-stereo-44100.wav", "s16-6ch-44100.wav",  "ogg-mono-44100.ogg",
                            "ogg-stereo-22050.ogg", "ogg-mono-48000.ogg"};
  for (bool option : {true, false}) {
    for (const char* fixture : fixtures) {
      SCOPED_TRACE(std::string(fixture) + (option ? " through the library" : " through the mixer"));
      World world(option);
      TDMediaItem& item = world.Add(fixture);
      EXPECT_NE(dynamic_cast<TOggItem*>(&item) != nullptr, !option);
      EXPECT_EQ(item.GetLength(), 500);
      world.audio.ClearCapture();
      item.Play();
      EXPECT_TRUE(item.IsPlaying());
      const int took = world.RunToEnd(item);
      EXPECT_GE(took, 490);
      EXPECT_LE(took, 800);
      EXPECT_FALSE(item.IsPlaying());
      const int crossings = Crossings(world.audio.Captured());
      EXPECT_GE(crossings, 215);
      EXPECT_LE(crossings, 225);
    }
  }
}

TEST(OggManager, BrokenDataIsRefusedAndNoItemIsMade) {
  testing::TempFolder folder("broken-sound");
  const std::string path = folder.Dir() + "broken.wav";
  testing::WriteWholeFile(path, std::vector<std::uint8_t>{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'});
  for (bool option : {true, false}) {
    World world(option);
    try {
      world.Manager().Add(path);
      ADD_FAILURE() << "no error";
    } catch (const ESoundDataError& error) {
      EXPECT_STREQ(error.what(), std::string(texts::kSoundDataInvalid).c_str());
    }
    EXPECT_TRUE(world.Manager().items().empty());
  }
}

TEST(OggStream, ReadsTheDecodedPcmAndClampsItsSeeks) {
  World world(false);
  for (const char* name : {"s16-stereo-44100.wav", "ogg-stereo-44100.ogg"}) {
    SCOPED_TRACE(name);
    auto source = OpenSoundSource(world.files, SoundFixture(name).string());
    TOggStream stream(world.library, *source, HasOggExtension(name));
    const std::string raw = std::string(name) + (HasOggExtension(name) ? ".raw" : "");
    const std::vector<std::uint8_t> expected =
        testing::SoundFixtureBytes(HasOggExtension(name) ? raw : std::string(name).replace(std::string(name).size() - 3, 3, "raw"));
    std::vector<std::uint8_t> got(expected.size() + 100);
    std::size_t total = 0;
    while (std::size_t n = stream.Read(got.data() + total, 777)) total += n;
    got.resize(total);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(stream.Size(), static_cast<std::int64_t>(expected.size()));
    EXPECT_EQ(stream.Seek(-5, SeekOrigin::kBegin), 0);
    EXPECT_EQ(stream.Seek(10, SeekOrigin::kEnd), stream.Size());
    EXPECT_EQ(stream.Seek(-7, SeekOrigin::kEnd), stream.Size() - 8);  // down to a whole frame
    EXPECT_EQ(stream.format().block_align, 4);
  }
}

TEST(OggWaveItem, VolumePositionAndSeekTables) {
  World world(false);
  auto& item = static_cast<TOggWaveItem&>(world.Add("s16-stereo-44100-1s.wav"));
  for (const auto& [volume, level] : std::vector<std::pair<int, int>>{{-6000, 0}, {-5000, 0}, {-2500, 128}, {0, 256}, {100, 261}}) {
    item.SetVolume(volume);
    EXPECT_EQ(item.GetVolume(), volume);
    EXPECT_EQ(item.source()->Volume(), level) << volume;
  }
  // Long after the last mix the audible position is the read position.
  item.SetPosition(1000);
  EXPECT_EQ(item.source()->GetPosition(), 176400);
  EXPECT_EQ(item.GetPosition(), 1000);
  item.SetPosition(-20);
  EXPECT_EQ(item.GetPosition(), 0);
  world.library.zero_bits = true;
  auto& odd = static_cast<TOggWaveItem&>(world.Add("s16-stereo-44100.wav"));
  odd.SetPosition(100);
  EXPECT_EQ(odd.GetPosition(), 0);
}

TEST(OggWaveItem, MillisecondsBecomeWholeFrames) {
  // 3 ms are 529.2 bytes at 44100 Hz: the mixer asks for 529 and the decoder plays from the frame
  // at 528; at 22050 Hz 264.6 bytes: 265 asked, 264 played.
  const struct {
    const char* fixture;
    std::int32_t asked, taken;
  } cases[] = {{"s16-stereo-44100.wav", 529, 528}, {"s16-stereo-22050.wav", 265, 264}};
  for (const auto& c : cases) {
    World world(false);
    TDMediaItem& item = world.Add(c.fixture);
    item.SetPosition(3);
    item.Play();
    world.Manager().wav_out().Fill();
    ASSERT_FALSE(world.library.seeks.empty()) << c.fixture;
    EXPECT_EQ(world.library.seeks.front(), (std::pair<std::int32_t, std::int32_t>{c.asked, c.taken})) << c.fixture;
  }
}

TEST(OggWaveItem, RepeatingSourceNeverEndsAndASwitchedOffManagerWaits) {
  World world(false);
  TDMediaItem& item = world.Add("s16-mono-44100.wav");
  item.SetAutoRepeat(true);
  EXPECT_TRUE(item.GetAutoRepeat());
  item.Play();
  EXPECT_EQ(world.RunToEnd(item, 2000), -1);
  EXPECT_TRUE(item.IsPlaying());

  // Sound switched off: a new sound waits for the switch instead of playing at once.
  world.Manager().SetActive(false);
  TDMediaItem& later = world.Add("s16-mono-44100.wav");
  later.Play();
  EXPECT_FALSE(later.IsPlaying());
  EXPECT_TRUE(later.resume_mark);
  world.Manager().SetActive(true);
  EXPECT_TRUE(later.IsPlaying());
}

TEST(OggItem, WithoutAnOutputRunsSilentOnTheClockAndReportsItsEndOnce) {
  World world(true, 100, false);
  TDMediaItem& item = world.Add("s16-stereo-44100.wav");
  item.SetVolume(-300);
  item.SetPan(1200);
  EXPECT_EQ(item.GetVolume(), -300);
  EXPECT_EQ(item.GetPan(), 1200);
  item.Play();
  world.clock.Advance(200);
  EXPECT_EQ(item.GetPosition(), 200);
  item.Pause();
  EXPECT_TRUE(item.IsPaused());
  EXPECT_FALSE(item.IsPlaying());
  world.clock.Advance(1000);
  EXPECT_EQ(item.GetPosition(), 200);
  item.Play();
  world.clock.Advance(400);
  EXPECT_TRUE(item.IsEnd());
  EXPECT_FALSE(item.IsEnd());
  item.SetPosition(0);
  item.Play();
  world.clock.Advance(600);
  EXPECT_FALSE(item.IsEnd());
  EXPECT_FALSE(item.IsPlaying());
  // Nothing was heard.
  const auto captured = world.audio.Captured();
  EXPECT_TRUE(std::all_of(captured.begin(), captured.end(), [](std::int16_t s) { return s == 0; }));
}

TEST(OggItem, PlayWaitsForAnInactiveManagerAndTheSoundGoesOnAfterALostDevice) {
  World world(true);
  TDMediaItem& item = world.Add("s16-stereo-44100-1s.wav");
  EXPECT_EQ(VornDirectSound, &world.audio);
  EXPECT_TRUE(world.dx_sound.Initialized());
  world.Manager().SetActive(false);
  item.Play();
  EXPECT_FALSE(item.IsPlaying());
  world.Manager().SetActive(true);
  EXPECT_TRUE(item.IsPlaying());
  world.clock.Advance(300);
  const int restores_before = world.restores;
  world.audio.SimulateDeviceLoss();
  EXPECT_EQ(world.restores, restores_before + 1);
  world.audio.ClearCapture();
  world.clock.Advance(300);
  EXPECT_TRUE(item.IsPlaying());
  const int crossings = Crossings(world.audio.Captured());
  EXPECT_GE(crossings, 128);
  EXPECT_LE(crossings, 136);
  EXPECT_NEAR(item.GetPosition(), 600, 20);
}

TEST(VornMediaLibrary, HandlesAreNonzeroAndUnknownOnesAnswerNothing) {
  World world(true);
  TDMediaItem& item = world.Add("s16-mono-44100.wav");
  const VornHandle handle = static_cast<TOggItem&>(item).handle();
  EXPECT_NE(handle, 0u);
  for (VornHandle stale : {VornHandle{0}, handle + 1000}) {
    world.library.vornOggPlay(stale);
    EXPECT_FALSE(world.library.vornOggIsPlaying(stale));
    EXPECT_EQ(world.library.vornOggGetLen(stale), 0);
    EXPECT_EQ(world.library.vornOggStrRead(stale, nullptr, 10), 0);
    std::array<std::uint8_t, 16> record{};
    EXPECT_FALSE(world.library.vornOggStrGetFormat(stale, record.data()));
  }
  world.Manager().Remove(&item);
  EXPECT_EQ(world.library.vornOggGetLen(handle), 0);

  // Before its initialisation the library makes nothing.
  TVornMediaLibrary fresh;
  TMemoryStream bytes(testing::SoundFixtureBytes("s16-mono-44100.wav"));
  EXPECT_EQ(fresh.vornOggStrmanAdd(&bytes, false), 0u);
  EXPECT_EQ(fresh.vornVersion(), 108);
}

TEST(VornMediaLibrary, GainsFollowTheDecibelScale) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {0, 65536}, {-10000, 0}, {-20000, 0}, {-9999, 1}, {-2000, 6554}, {-600, 32846}, {600, 130762}};
  for (const auto& [attenuation, gain] : cases) EXPECT_EQ(GainOfAttenuation(attenuation), gain) << attenuation;
}

}  // namespace
}  // namespace vorn
