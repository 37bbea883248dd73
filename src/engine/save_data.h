#pragma once

// Saved games: the file save.dat in the data folder, an archive whose members are the status entry
// "STATUSSAVEDATA" (what outlasts a single game) and one entry "GAMESAVEDATA<slot>" per saved
// game. Scripts only request a save or a load; the frame loop carries it out at the end of the
// frame (ProcessPending).
//
// Game entry (int32 little-endian, str = int32 length + CP932 bytes):
//   int32 version (134; refused below 107), str caption, str resume page, int32 resume index,
//   scene, message backlog, interpreter state, game variables, game tables (version >= 123).
// Status entry:
//   the 9 bytes "Status103" (no length), status variables, read registry, image cache, status
//   tables (version >= 103). An entry not starting with "Status" is read as version 0 from byte 0.
//
// save.dat is never written in place: the new archive goes to a temporary file in the same folder,
// synced, then renamed over it. An existing save.dat that cannot be read is never replaced.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/errors.h"
#include "foundation/stream.h"

namespace vorn {

class TCallMan;
class TDBManager;
class TParamCollection;
class TSavedSceneParts;
class TVrFileCollection;
namespace platform {
class MessageBoxes;
}

inline constexpr std::int32_t kGameSaveVersion = 134;
inline constexpr std::int32_t kOldestGameSaveVersion = 107;
inline constexpr std::int32_t kGameTablesSaveVersion = 123;
inline constexpr std::int32_t kStatusSaveVersion = 103;
inline constexpr std::int32_t kStatusTablesSaveVersion = 103;
inline constexpr char kSaveFileName[] = "save.dat";
inline constexpr char kStatusEntryName[] = "STATUSSAVEDATA";
inline constexpr char kGameEntryPrefix[] = "GAMESAVEDATA";
// An entry that inflates beyond this is refused: a few hostile bytes must not take all memory.
inline constexpr std::int64_t kMaxSaveEntryBytes = 256 * 1024 * 1024;

// save.dat cannot be read or written; the message names the file.
class ESaveFileError : public Exception {
 public:
  using Exception::Exception;
};

// The entry's member name: "GAMESAVEDATA" + slot in decimal.
std::string GameEntryName(std::int32_t slot);
// save.dat in the folder (a native path, "/" added when missing). A save.dat whose name differs
// only in letter case is the one meant.
std::string SaveFilePathIn(const std::string& folder);

struct TSlotCaption {
  std::int32_t slot = 0;
  std::string caption;  // CP932
};

// Writes the new content of save.dat (path, bytes); by default ReplaceFileContent.
using TSaveFileWriter = std::function<void(const std::string& path, const void* data, std::size_t size)>;

class TSaveData {
 public:
  // path: the save.dat path (SaveFilePathIn).
  explicit TSaveData(std::string path);
  ~TSaveData();
  TSaveData(const TSaveData&) = delete;
  TSaveData& operator=(const TSaveData&) = delete;

  // What is saved and restored. Missing parts: a game save or load fails, a status save is skipped.
  void SetInterpreter(TCallMan* interpreter) { interpreter_ = interpreter; }
  void SetVariables(TParamCollection* variables) { variables_ = variables; }
  void SetTables(TDBManager* tables) { tables_ = tables; }
  // null: the installed scene parts (GetSavedSceneParts), else the tagged stand-in.
  void SetSceneParts(TSavedSceneParts* parts) { scene_parts_ = parts; }
  void SetMessageBoxes(platform::MessageBoxes* boxes) { boxes_ = boxes; }
  // The project's status-save flag: off, the status entry is built but save.dat is not written.
  void SetStatusSave(bool on) { status_save_ = on; }
  bool StatusSave() const { return status_save_; }
  void SetWriter(TSaveFileWriter writer) { writer_ = std::move(writer); }

  // The path as given; ResolvedPath: the existing file of that name in any letter case.
  const std::string& Path() const { return path_; }
  std::string ResolvedPath() const;

  // --- requests (the GameSave and GameLoad commands) ---
  // A second request of the same kind before ProcessPending replaces the first.
  void RequestSave(std::int32_t slot, std::string caption, std::string resume_page, std::int32_t resume_index);
  void RequestLoad(std::int32_t slot);
  std::int32_t PendingLoadSlot() const { return pending_load_; }
  std::int32_t PendingSaveSlot() const { return pending_save_; }
  const std::string& PendingSaveCaption() const { return pending_caption_; }
  const std::string& PendingSavePage() const { return pending_page_; }
  std::int32_t PendingSaveIndex() const { return pending_index_; }
  // End of frame: a pending load, then a pending save (which writes the state just loaded). A save
  // that fails shows its error in a message box and the game goes on. True when a game entry was
  // found and loaded (or failed to load: the stop flag is then set).
  bool ProcessPending();

  // --- saving and loading ---
  // Nothing for an empty caption; raises ESaveFileError naming save.dat when it cannot be read or
  // written (save.dat is then unchanged).
  void SaveGame(std::int32_t slot, std::string_view caption, std::string_view resume_page, std::int32_t resume_index);
  // No save.dat or no entry: false, nothing happens. A damaged entry sets the stop flag and shows
  // "このセーブデータは使用できません\r\n終了してください" (the state may be half restored).
  bool LoadGame(std::int32_t slot);
  // Never raises: an unreadable save.dat, a missing folder or a failed write skip the write.
  void SaveStatus();
  // Project start: reads the status entry when save.dat has one. Raises ESaveFileError naming
  // save.dat for an unreadable file or a damaged entry.
  void ReadStatus();

  // --- slot captions ---
  // Raises ESaveFileError for an unreadable save.dat; a damaged entry is left out.
  void ReadSlotCaptions();
  std::string GetSlotCaption(std::int32_t slot) const;
  void SetSlotCaption(std::int32_t slot, std::string caption);
  const std::vector<TSlotCaption>& SlotCaptions() const { return captions_; }

  // --- the entries themselves (tests, fuzzing) ---
  void WriteGameEntry(TStream& stream, std::string_view caption, std::string_view resume_page,
                      std::int32_t resume_index);
  // Restores steps 1..8 of a load; raises on damage.
  void ReadGameEntry(TStream& stream);
  bool CanWriteStatus() const;
  void WriteStatusEntry(TStream& stream);
  // Raises on damage.
  void ReadStatusEntry(TStream& stream);

 private:
  TSavedSceneParts& SceneParts();
  // Opens save.dat; an unreadable archive raises ESaveFileError. A missing file: no members.
  void OpenArchive(TVrFileCollection& archive) const;
  // The member's inflated bytes, bounded and checked against its CRC; raises on damage.
  void ReadEntry(TVrFileCollection& archive, std::string_view name, TMemoryStream& out) const;
  // Writes the archive with the member replaced by entry, carrying every other member over.
  void WriteWithEntry(TVrFileCollection& archive, const std::string& name, const TMemoryStream& entry,
                      TMemoryStream& out) const;
  [[noreturn]] void Fail(const std::string& what) const;

  std::string path_;
  TCallMan* interpreter_ = nullptr;
  TParamCollection* variables_ = nullptr;
  TDBManager* tables_ = nullptr;
  TSavedSceneParts* scene_parts_ = nullptr;
  platform::MessageBoxes* boxes_ = nullptr;
  bool status_save_ = true;
  TSaveFileWriter writer_;
  std::unique_ptr<TSavedSceneParts> stand_in_parts_;
  std::vector<TSlotCaption> captions_;

  std::int32_t pending_load_ = -1;
  std::int32_t pending_save_ = -1;
  std::string pending_caption_;
  std::string pending_page_;
  std::int32_t pending_index_ = 0;
};

// The saved games the commands and functions reach (the project's); null without a project.
TSaveData* CurrentSaveData();
void SetCurrentSaveData(TSaveData* save_data);

}  // namespace vorn
