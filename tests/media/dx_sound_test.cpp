#include "media/dx_sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/system_texts.h"
#include "platform/headless_audio.h"

namespace vorn {
namespace {

struct Recorded {
  platform::VirtualClock clock;
  platform::HeadlessAudioOutput audio{clock};
  std::vector<std::string> calls;

  void Attach(TDXSound& sound) {
    sound.AddListener([this](TCustomDXSound&, int code) { calls.push_back("listener " + std::to_string(code)); });
    sound.OnInitializing = [this](TCustomDXSound&) { calls.push_back("OnInitializing"); };
    sound.OnInitialize = [this](TCustomDXSound& s) {
      calls.push_back("OnInitialize");
      s.Primary()->SetFormat(MakePCMWaveFormat(44100, 16, 2));
    };
    sound.OnRestore = [this](TCustomDXSound&) { calls.push_back("OnRestore"); };
    sound.OnFinalize = [this](TCustomDXSound&) { calls.push_back("OnFinalize"); };
  }
};

TEST(DXSound, MakePCMWaveFormatFillsTheDerivedFields) {
  const PcmFormat f = MakePCMWaveFormat(44100, 16, 2);
  EXPECT_EQ(f.format_tag, 1);
  EXPECT_EQ(f.block_align, 4);
  EXPECT_EQ(f.bytes_per_second, 176400u);
  EXPECT_EQ(MakePCMWaveFormat(22050, 8, 1).bytes_per_second, 22050u);
}

TEST(DXSound, InitializeRunsItsStepsAndEventsInOrder) {
  Recorded r;
  TDXSound sound(&r.audio, true);
  r.Attach(sound);
  sound.Initialize();
  EXPECT_EQ(r.calls, (std::vector<std::string>{"listener 1", "OnInitializing", "listener 2", "OnInitialize",
                                                "listener 4", "OnRestore"}));
  EXPECT_EQ(sound.DSound(), &r.audio);
  EXPECT_EQ(sound.Primary()->format(), MakePCMWaveFormat(44100, 16, 2));
  EXPECT_TRUE(r.audio.IsOpen());
  r.calls.clear();
  // Initialising again finalises the first object.
  sound.Initialize();
  EXPECT_EQ(r.calls.front(), "listener 3");
  EXPECT_EQ(r.calls.at(1), "OnFinalize");
  sound.Finalize();
  EXPECT_FALSE(r.audio.IsOpen());
  EXPECT_EQ(sound.DSound(), nullptr);
}

TEST(DXSound, FailuresRaiseTheSystemsTextsAndLeaveNothingOpen) {
  struct Case {
    const char* what;
    bool has_form, no_device, fail_open, fail_primary;
    std::string message;
  };
  const std::string init_failed = std::string("DirectSound") + std::string(texts::kCannotInitializeFormat).substr(2);
  const std::string primary_failed = std::string(texts::kPrimaryBufferName) + std::string(texts::kCannotCreateFormat).substr(2);
  for (const Case& c : {Case{"no owning form", false, false, false, false, std::string(texts::kDXSoundFormNotFound)},
                        Case{"no device", true, true, false, false, init_failed},
                        Case{"device refuses to open", true, false, true, false, init_failed},
                        Case{"primary buffer refused", true, false, false, true, primary_failed}}) {
    Recorded r;
    r.audio.set_fail_open(c.fail_open);
    r.audio.set_fail_primary(c.fail_primary);
    TDXSound sound(c.no_device ? nullptr : &r.audio, c.has_form);
    r.Attach(sound);
    try {
      sound.Initialize();
      ADD_FAILURE() << c.what << ": no error";
    } catch (const Exception& error) {
      EXPECT_EQ(std::string(error.what()), c.message) << c.what;
    }
    EXPECT_FALSE(r.audio.IsOpen()) << c.what;
    EXPECT_FALSE(sound.Initialized()) << c.what;
    // OnFinalize runs only when OnInitialize had run.
    EXPECT_EQ(std::count(r.calls.begin(), r.calls.end(), "OnFinalize"), 0) << c.what;
  }
}

// A refused primary format only records its result: no error, no finalisation.
TEST(DXSound, ARefusedFormatOnlyRecordsTheResult) {
  Recorded r;
  r.audio.set_refuse_format(true);
  TDXSound sound(&r.audio, true);
  r.Attach(sound);
  EXPECT_NO_THROW(sound.Initialize());
  EXPECT_EQ(sound.Primary()->last_result(), kDSErrFormatRefused);
  EXPECT_TRUE(sound.Initialized());
  EXPECT_EQ(sound.DSound(), &r.audio);
}

TEST(DXSound, ALostDeviceIsReopenedAndRestoredOnce) {
  Recorded r;
  TDXSound sound(&r.audio, true);
  r.Attach(sound);
  sound.Initialize();
  r.calls.clear();
  // A restore that loses the device again does not run the restore a second time inside itself.
  sound.OnRestore = [&](TCustomDXSound&) {
    r.calls.push_back("OnRestore");
    r.audio.SimulateDeviceLoss();
  };
  r.audio.SimulateDeviceLoss();
  EXPECT_EQ(r.calls, (std::vector<std::string>{"listener 4", "OnRestore"}));
  EXPECT_TRUE(r.audio.IsOpen());
}

}  // namespace
}  // namespace vorn
