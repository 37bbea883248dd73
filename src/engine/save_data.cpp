#include "engine/save_data.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "engine/call_man.h"
#include "engine/db_table.h"
#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/save_scene.h"
#include "foundation/archive.h"
#include "foundation/log_line.h"
#include "foundation/replace_file.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "foundation/zlib_stream.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/text_converter.h"

namespace vorn {

namespace {

constexpr char kStatusHeaderTag[] = "Status";
constexpr std::size_t kStatusHeaderTagBytes = 6;
constexpr std::size_t kStatusHeaderBytes = 9;

TSaveData* g_current = nullptr;

// The slot of a member name "GAMESAVEDATA<slot>", or -1 when the rest is no non-negative number.
std::int32_t SlotOfEntryName(std::string_view name) {
  const std::string_view prefix = kGameEntryPrefix;
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return -1;
  const std::string_view rest = name.substr(prefix.size());
  std::int32_t slot = -1;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), slot);
  if (error != std::errc() || end != rest.data() + rest.size() || slot < 0) return -1;
  return slot;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string GameEntryName(std::int32_t slot) { return kGameEntryPrefix + std::to_string(slot); }

std::string SaveFilePathIn(const std::string& folder) {
  std::string dir = folder;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return platform::FindInDirectory(dir, kSaveFileName);
}

TSaveData* CurrentSaveData() { return g_current; }
void SetCurrentSaveData(TSaveData* save_data) { g_current = save_data; }

TSaveData::TSaveData(std::string path) : path_(std::move(path)) {}

TSaveData::~TSaveData() {
  if (g_current == this) g_current = nullptr;
}

std::string TSaveData::ResolvedPath() const {
  return platform::FindInDirectory(platform::DirectoryOf(path_), FileNameOf(path_));
}

TSavedSceneParts& TSaveData::SceneParts() {
  if (scene_parts_) return *scene_parts_;
  if (TSavedSceneParts* installed = GetSavedSceneParts()) return *installed;
  if (!stand_in_parts_) stand_in_parts_ = std::make_unique<TTaggedSceneParts>();
  return *stand_in_parts_;
}

void TSaveData::Fail(const std::string& what) const {
  const std::string path = ResolvedPath();
  // Archive errors name the file already.
  if (what.find(path) != std::string::npos) throw ESaveFileError(what);
  throw ESaveFileError(path + ": " + what);
}

// --- requests ---

void TSaveData::RequestSave(std::int32_t slot, std::string caption, std::string resume_page,
                            std::int32_t resume_index) {
  pending_save_ = slot;
  pending_caption_ = std::move(caption);
  pending_page_ = std::move(resume_page);
  pending_index_ = resume_index;
}

void TSaveData::RequestLoad(std::int32_t slot) { pending_load_ = slot; }

bool TSaveData::ProcessPending() {
  bool loaded = false;
  bool load_failed = false;
  if (pending_load_ >= 0) {
    const std::int32_t slot = pending_load_;
    pending_load_ = -1;
    const bool stopped_before = StopFlag;
    loaded = LoadGame(slot);
    load_failed = loaded && StopFlag && !stopped_before;
  }
  if (pending_save_ >= 0) {
    const std::int32_t slot = pending_save_;
    pending_save_ = -1;
    // A half-restored state written over a slot would destroy a good save with a bad one.
    if (load_failed) return loaded;
    try {
      SaveGame(slot, pending_caption_, pending_page_, pending_index_);
    } catch (const std::exception& error) {
      // The game goes on with save.dat as it was; the player learns that the save did not happen.
      if (boxes_) {
        boxes_->Show({.text = error.what(),
                      .caption = std::string(texts::kWarningCaption),
                      .icon = platform::MessageIcon::kWarning,
                      .buttons = platform::MessageButtons::kOk,
                      .owner = nullptr,
                      .answer_without_display = std::nullopt});
      } else {
        std::cerr << "save.dat: " << error.what() << "\n";
      }
    }
  }
  return loaded;
}

// --- the archive ---

void TSaveData::OpenArchive(TVrFileCollection& archive) const {
  try {
    archive.Open(ResolvedPath());
  } catch (const std::exception& error) {
    Fail(error.what());
  }
}

void TSaveData::ReadEntry(TVrFileCollection& archive, std::string_view name, TMemoryStream& out) const {
  out.Clear();
  const TVrFile* member = archive.FindFile(name);
  if (!member) Fail(std::string(name) + ": no such entry");
  if (member->broken_range) Fail(std::string(name) + ": entry ends before it starts");
  TZkBigStream* data = archive.DataStream();
  if (member->size == 0 || !data) return;
  const auto data_size = static_cast<std::uint64_t>(data->Size());
  if (member->offset > data_size || member->size > data_size - member->offset) {
    Fail(std::string(name) + ": entry lies past the end of the file");
  }
  if (member->size > static_cast<std::uint64_t>(kMaxSaveEntryBytes)) Fail(std::string(name) + ": entry too large");
  out.SetSize(static_cast<std::int64_t>(member->size));
  data->SetPosition(static_cast<std::int64_t>(member->offset));
  if (data->Read(out.Memory(), static_cast<std::size_t>(member->size)) != member->size) {
    Fail(std::string(name) + ": entry is truncated");
  }
  // Archives without CRCs carry 0; any other value must match, so damage shows before parsing.
  const bool crc_of_stored = member->stored != 0 || member->crc_over_data != 1;
  if (member->crc != 0 && crc_of_stored && ArchiveCRC(out) != member->crc) Fail(std::string(name) + ": CRC error");
  if (member->stored == 0) {
    try {
      DecompressStream(out, kMaxSaveEntryBytes);
    } catch (const Exception& error) {
      Fail(std::string(name) + ": " + error.what());
    }
    if (member->crc != 0 && !crc_of_stored && ArchiveCRC(out) != member->crc) Fail(std::string(name) + ": CRC error");
  }
  out.SetPosition(0);
}

void TSaveData::WriteWithEntry(TVrFileCollection& archive, const std::string& name, const TMemoryStream& entry,
                               TMemoryStream& out) const {
  // Every other entry is carried over from save.dat itself, byte for byte: a plain file of the
  // same name beside save.dat must never take its place.
  for (int i = 0; i < archive.Count(); ++i) {
    TVrFile& member = archive.GetItem(i);
    if (!member.own_data) member.copy_stored_bytes = true;
  }
  archive.Delete(name);
  TVrFile& added = archive.AddMemoryFile(name);
  added.own_data->WriteBuffer(entry.Memory(), static_cast<std::size_t>(entry.Size()));
  out.Clear();
  try {
    archive.SaveToStream(out);
  } catch (const std::exception& error) {
    Fail(error.what());
  }
}

// --- game entries ---

void TSaveData::WriteGameEntry(TStream& stream, std::string_view caption, std::string_view resume_page,
                               std::int32_t resume_index) {
  if (!interpreter_ || !variables_ || !tables_) throw Exception("no interpreter, variables or tables to save");
  TSavedSceneParts& parts = SceneParts();
  WriteIntToStream(stream, kGameSaveVersion);
  WriteStrToStream(stream, caption);
  WriteStrToStream(stream, resume_page);
  WriteIntToStream(stream, resume_index);
  parts.SaveScene(stream);
  parts.SaveBacklog(stream);
  interpreter_->SaveToStream(stream);
  variables_->SaveGame(stream);
  tables_->SaveToStream(stream, 0);
}

void TSaveData::ReadGameEntry(TStream& stream) {
  if (!interpreter_ || !variables_ || !tables_) throw Exception("no interpreter, variables or tables to load");
  TSavedSceneParts& parts = SceneParts();
  const std::int32_t version = ReadIntFromStream(stream);
  if (version < kOldestGameSaveVersion) throw EReadError("saved game version " + std::to_string(version) + " too old");
  ReadStrFromStream(stream);  // the caption
  const std::string resume_page = ReadStrFromStream(stream);
  const std::int32_t resume_index = ReadIntFromStream(stream);
  parts.LoadScene(stream, version);
  parts.LoadBacklog(stream, version);
  interpreter_->LoadFromStream(stream, version);
  if (!resume_page.empty()) interpreter_->ResumeAt(resume_page, resume_index);
  variables_->LoadGame(stream, version);
  if (version >= kGameTablesSaveVersion) tables_->LoadFromStream(stream, 0);
  parts.RestoreAfterLoad();
}

void TSaveData::SaveGame(std::int32_t slot, std::string_view caption, std::string_view resume_page,
                         std::int32_t resume_index) {
  if (caption.empty()) return;
  const std::string name = GameEntryName(slot);
  TMemoryStream entry;
  try {
    WriteGameEntry(entry, caption, resume_page, resume_index);
  } catch (const ESaveFileError&) {
    throw;
  } catch (const std::exception& error) {
    Fail(error.what());
  }
  TMemoryStream bytes;
  {
    TVrFileCollection archive;
    OpenArchive(archive);
    WriteWithEntry(archive, name, entry, bytes);
  }
  try {
    const std::string path = ResolvedPath();
    if (writer_) {
      writer_(path, bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
    } else {
      ReplaceFileContent(path, bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
    }
  } catch (const std::exception& error) {
    Fail(error.what());
  }
  SetSlotCaption(slot, std::string(caption));
  SaveStatus();
}

bool TSaveData::LoadGame(std::int32_t slot) {
  const std::string name = GameEntryName(slot);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(ResolvedPath(), ec)) return false;
  TMemoryStream entry;
  bool found = false;
  try {
    TVrFileCollection archive;
    OpenArchive(archive);
    if (archive.FindFile(name)) {
      found = true;
      ReadEntry(archive, name, entry);
      ReadGameEntry(entry);
    }
  } catch (const std::exception& error) {
    StopFlag = true;
    LogLine("save.dat: " + platform::Cp932ToUtf8(name) + ": " + platform::Cp932ToUtf8(error.what()));
    if (boxes_) {
      boxes_->Show({.text = std::string(texts::kSaveDataUnusable),
                    .caption = std::string(texts::kWarningCaption),
                    .icon = platform::MessageIcon::kWarning,
                    .buttons = platform::MessageButtons::kOk,
                      .owner = nullptr,
                      .answer_without_display = std::nullopt});
    }
    return true;
  }
  return found;
}

// --- the status entry ---

bool TSaveData::CanWriteStatus() const {
  if (!variables_ || !tables_) return false;
  return const_cast<TSaveData*>(this)->SceneParts().HasStatusParts();
}

void TSaveData::WriteStatusEntry(TStream& stream) {
  if (!CanWriteStatus()) throw Exception("no variables, read registry, image cache or tables to save");
  TSavedSceneParts& parts = SceneParts();
  const std::string header = kStatusHeaderTag + std::to_string(kStatusSaveVersion);
  stream.WriteBuffer(header.data(), header.size());
  variables_->SaveStatus(stream);
  parts.SaveReadRegistry(stream);
  parts.SaveImageCache(stream);
  tables_->SaveToStream(stream, 1);
}

void TSaveData::ReadStatusEntry(TStream& stream) {
  if (!CanWriteStatus()) throw Exception("no variables, read registry, image cache or tables to load");
  TSavedSceneParts& parts = SceneParts();
  std::int32_t version = 0;
  char header[kStatusHeaderBytes] = {};
  const std::int64_t start = stream.Position();
  const std::size_t got = stream.Read(header, kStatusHeaderTagBytes);
  if (got == kStatusHeaderTagBytes && std::memcmp(header, kStatusHeaderTag, kStatusHeaderTagBytes) == 0) {
    stream.ReadBuffer(header + kStatusHeaderTagBytes, kStatusHeaderBytes - kStatusHeaderTagBytes);
    const char* digits = header + kStatusHeaderTagBytes;
    const char* end = header + kStatusHeaderBytes;
    std::int32_t number = 0;
    const auto [stop, error] = std::from_chars(digits, end, number);
    version = error == std::errc() && stop == end ? number : 0;
  } else {
    stream.SetPosition(start);
  }
  variables_->LoadStatus(stream, version);
  parts.LoadReadRegistry(stream, version);
  parts.LoadImageCache(stream, version);
  if (version >= kStatusTablesSaveVersion) tables_->LoadFromStream(stream, 1);
}

void TSaveData::SaveStatus() {
  if (!CanWriteStatus()) return;
  try {
    TMemoryStream entry;
    WriteStatusEntry(entry);
    TMemoryStream bytes;
    {
      TVrFileCollection archive;
      OpenArchive(archive);
      WriteWithEntry(archive, kStatusEntryName, entry, bytes);
    }
    if (!status_save_) return;
    const std::string path = ResolvedPath();
    const std::string folder = platform::DirectoryOf(path);
    std::error_code ec;
    if (!std::filesystem::is_directory(folder.empty() ? std::string(".") : folder, ec)) return;
    if (writer_) {
      writer_(path, bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
    } else {
      ReplaceFileContent(path, bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
    }
  } catch (const std::exception& error) {
    // A status that cannot be written (read-only folder, unreadable save.dat) is skipped quietly.
    std::cerr << "save.dat: status not saved: " << error.what() << "\n";
  }
}

void TSaveData::ReadStatus() {
  if (!CanWriteStatus()) return;
  TVrFileCollection archive;
  OpenArchive(archive);
  if (!archive.FindFile(kStatusEntryName)) return;
  TMemoryStream entry;
  ReadEntry(archive, kStatusEntryName, entry);
  try {
    ReadStatusEntry(entry);
  } catch (const std::exception& error) {
    Fail(std::string(kStatusEntryName) + ": " + error.what());
  }
}

// --- slot captions ---

void TSaveData::ReadSlotCaptions() {
  captions_.clear();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(ResolvedPath(), ec)) return;
  TVrFileCollection archive;
  OpenArchive(archive);
  for (int i = 0; i < archive.Count(); ++i) {
    const std::string name = archive.GetItem(i).Name();
    const std::int32_t slot = SlotOfEntryName(name);
    if (slot < 0) continue;
    try {
      TMemoryStream entry;
      ReadEntry(archive, name, entry);
      ReadIntFromStream(entry);  // the version
      captions_.push_back({slot, ReadStrFromStream(entry)});
    } catch (const std::exception& error) {
      // One damaged slot must not stop the program starting; loading it gives the message.
      std::cerr << "save.dat: " << name << ": " << error.what() << "\n";
    }
  }
}

std::string TSaveData::GetSlotCaption(std::int32_t slot) const {
  for (const TSlotCaption& entry : captions_) {
    if (entry.slot == slot) return entry.caption;
  }
  return {};
}

void TSaveData::SetSlotCaption(std::int32_t slot, std::string caption) {
  for (TSlotCaption& entry : captions_) {
    if (entry.slot == slot) {
      entry.caption = std::move(caption);
      return;
    }
  }
  captions_.push_back({slot, std::move(caption)});
}

}  // namespace vorn
