#pragma once

// The in-process media library with a line reported for the entry points the player's start-up,
// shutdown and window messages call, through the stand-in recorder (foundation/standin_trace.h),
// so a test sees them among the other calls it records. Everything else works as in the player.

#include <memory>
#include <string>

#include "foundation/standin_trace.h"
#include "media/vorn_binding.h"
#include "media/vorn_media_library.h"

namespace vorn::testing {

class RecordingVornLibrary : public TVornMediaLibrary {
 public:
  explicit RecordingVornLibrary(std::int32_t version = kVersion) : version_(version) {}

  std::int32_t vornVersion() override {
    StandInCall("vornVersion");
    return version_;
  }
  void vornInit(const VornInitArgs& args) override {
    StandInCall("vornInit");
    TVornMediaLibrary::vornInit(args);
  }
  void vornFinal() override {
    if (initialised()) StandInCall("vornFinal");
    TVornMediaLibrary::vornFinal();
  }
  void vornOggmanSetUseThread(bool use) override {
    StandInCall(use ? "vornOggmanSetUseThread true" : "vornOggmanSetUseThread false");
    TVornMediaLibrary::vornOggmanSetUseThread(use);
  }
  void vornOggmanRestore() override {
    StandInCall("vornOggmanRestore");
    TVornMediaLibrary::vornOggmanRestore();
  }
  void vornWmpmanRestore() override { StandInCall("vornWmpmanRestore"); }
  void vornWmpmanProcessEvent(const VornEventRecord& event) override {
    StandInCall("vornWmpmanProcessEvent " + std::to_string(event.message));
  }
  void vornVidmanProcessEvent(const VornEventRecord& event) override {
    StandInCall("vornVidmanProcessEvent " + std::to_string(event.message));
  }
  void vornVidmanSuspend() override { StandInCall("vornVidmanSuspend"); }
  void vornVidmanResume() override { StandInCall("vornVidmanResume"); }

 private:
  std::int32_t version_;
};

// Puts a provider in place for its lifetime: a recording library of the given version, or none.
class ScopedVornProvider {
 public:
  static constexpr std::int32_t kNoLibrary = -1;
  explicit ScopedVornProvider(std::int32_t version = TVornMediaLibrary::kVersion)
      : previous_(SetVornLibraryProvider([version](std::string_view) -> std::unique_ptr<TVornLibrary> {
          if (version == kNoLibrary) return nullptr;
          return std::make_unique<RecordingVornLibrary>(version);
        })) {}
  ~ScopedVornProvider() { SetVornLibraryProvider(std::move(previous_)); }
  ScopedVornProvider(const ScopedVornProvider&) = delete;
  ScopedVornProvider& operator=(const ScopedVornProvider&) = delete;

 private:
  VornLibraryProvider previous_;
};

}  // namespace vorn::testing
