#include "engine/save_scene.h"

#include <cstring>

#include "foundation/errors.h"
#include "foundation/stream_encoding.h"

namespace vorn {

namespace {
TSavedSceneParts* g_parts = nullptr;
}  // namespace

TSavedSceneParts* GetSavedSceneParts() { return g_parts; }
void SetSavedSceneParts(TSavedSceneParts* parts) { g_parts = parts; }

void TTaggedSceneParts::Write(TStream& stream, const char* tag) {
  stream.WriteBuffer(tag, 4);
  WriteIntToStream(stream, kRecordVersion);
}

void TTaggedSceneParts::Read(TStream& stream, const char* tag, std::int32_t version) {
  char found[4];
  stream.ReadBuffer(found, sizeof found);
  if (std::memcmp(found, tag, sizeof found) != 0) throw EReadError(std::string("Stream read error: no ") + tag);
  if (ReadIntFromStream(stream) != kRecordVersion) throw EReadError(std::string("Stream read error: ") + tag);
  if (!reads.empty()) reads += ',';
  reads += std::string(tag, 4) + ' ' + std::to_string(version);
}

}  // namespace vorn
