#pragma once

// What saved games need of the scene and its components: the parts of the game entry (the scene
// list and the message backlog) and of the status entry (the already-read registry and the
// layered-image cache), each read with the version of the entry that holds it.

#include <cstdint>
#include <string>

#include "foundation/stream.h"

namespace vorn {

class TSavedSceneParts {
 public:
  virtual ~TSavedSceneParts() = default;

  virtual void SaveScene(TStream& stream) = 0;
  virtual void LoadScene(TStream& stream, std::int32_t version) = 0;
  virtual void SaveBacklog(TStream& stream) = 0;
  virtual void LoadBacklog(TStream& stream, std::int32_t version) = 0;
  // Every top-level message window rebuilds its pages and reveal state from what was loaded.
  virtual void RestoreAfterLoad() = 0;

  // Whether the read registry and the image cache exist (the status entry is written only then).
  virtual bool HasStatusParts() const = 0;
  virtual void SaveReadRegistry(TStream& stream) = 0;
  virtual void LoadReadRegistry(TStream& stream, std::int32_t version) = 0;
  virtual void SaveImageCache(TStream& stream) = 0;
  virtual void LoadImageCache(TStream& stream, std::int32_t version) = 0;
};

// Stands in for the parts until the components can save themselves: each part is a short tagged
// record (four tag bytes, then the int32 version it was written with). A record with a wrong tag
// raises, as a damaged scene would. Remembers the versions it was asked to read with.
class TTaggedSceneParts final : public TSavedSceneParts {
 public:
  static constexpr std::int32_t kRecordVersion = 1;

  void SaveScene(TStream& stream) override { Write(stream, "SCNE"); }
  void LoadScene(TStream& stream, std::int32_t version) override { Read(stream, "SCNE", version); }
  void SaveBacklog(TStream& stream) override { Write(stream, "HIST"); }
  void LoadBacklog(TStream& stream, std::int32_t version) override { Read(stream, "HIST", version); }
  void RestoreAfterLoad() override { ++restored; }
  bool HasStatusParts() const override { return status_parts; }
  void SaveReadRegistry(TStream& stream) override { Write(stream, "READ"); }
  void LoadReadRegistry(TStream& stream, std::int32_t version) override { Read(stream, "READ", version); }
  void SaveImageCache(TStream& stream) override { Write(stream, "PELK"); }
  void LoadImageCache(TStream& stream, std::int32_t version) override { Read(stream, "PELK", version); }

  bool status_parts = true;
  int restored = 0;
  // "SCNE 134", "HIST 134", ... in the order the parts were read.
  std::string reads;

 private:
  static void Write(TStream& stream, const char* tag);
  void Read(TStream& stream, const char* tag, std::int32_t version);
};

// The parts saved games use; null until the scene installs its own (then the tagged stand-in).
TSavedSceneParts* GetSavedSceneParts();
void SetSavedSceneParts(TSavedSceneParts* parts);

}  // namespace vorn
