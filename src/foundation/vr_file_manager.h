#pragma once

// Every data file of a project is opened by name through one TVrFileManager: plain files of the
// override directory, members of the mounted archives (in mount order), files on the CD-ROM
// roots. It also caches recently loaded files and extracts members to temporary files for the
// parts of the player that need a real path.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/archive.h"
#include "foundation/range_stream.h"
#include "foundation/vr_cache.h"

namespace vorn {

namespace platform {
class CdRootSource;
}

// What the disc prompt needs from the engine; the foundation never calls upward itself.
struct TDiscPrompt {
  std::string caption;           // the application title
  std::string disc_prompt;       // the project's disc message; "%d" (or "%s") takes the disc number
  std::string quit_confirmation; // the project's quit question
  std::string project_id;        // the project's identification string
  // Shows an OK/Cancel box; true for OK.
  std::function<bool(const std::string& caption, const std::string& text)> ask_ok_cancel;
  // Sets the stop flag and posts a close request to the main window.
  std::function<void()> stop_and_close;
};

// Reads the identification string and disc index of an install.dat; false when it cannot.
using TInstallIdentityReader = std::function<bool(const std::string& path, std::string& id, int& disc_index)>;

class TVrFileManager {
 public:
  // cd_roots: where the disc roots come from (the host's mount table when null).
  explicit TVrFileManager(platform::CdRootSource* cd_roots = nullptr);
  // Frees the archives, the cache and the locks, then deletes every queued temporary file and
  // the private temporary folder.
  ~TVrFileManager();
  TVrFileManager(const TVrFileManager&) = delete;
  TVrFileManager& operator=(const TVrFileManager&) = delete;

  void SetBaseDir(std::string_view dir);
  // The override directory with its trailing delimiter; empty when none.
  const std::string& BaseDir() const { return base_dir_; }

  // -1 without mounting when a mounted archive's directory equals the name (ignoring case).
  int AddArchive(const std::string& file_name);
  int AddResourceArchive(const std::string& module_file, const std::string& resource_name,
                         const std::string& resource_type);
  // Mounts an archive made elsewhere (the empty archive 0 of the start-up, say).
  int AddCollection(std::unique_ptr<TVrFileCollection> archive);
  void RemoveArchive(int index);
  TVrFileCollection& GetArchive(int index) const { return *archives_.at(static_cast<std::size_t>(index)); }
  int ArchiveCount() const { return static_cast<int>(archives_.size()); }

  bool Exists(std::string_view name);
  void LoadToStream(TStream& stream, std::string_view name);
  std::unique_ptr<TRangeStream> OpenRange(std::string_view name);
  void OpenRange(std::unique_ptr<TStream>& stream, std::string_view name);
  std::string GetRealFileName(std::string_view name);
  void GetRealFileName(std::string_view name, std::string& path) { path = GetRealFileName(name); }
  TVrFile* FindEntry(std::string_view name) const;
  static std::string ExtractArchivePath(std::string_view name);

  // Unmounts the CD archives and asks for disc n (from 1) until it is found (true) or the user
  // quits (false, after prompt.stop_and_close).
  bool AskForDisc(int n, const TDiscPrompt& prompt);
  // Mounts game.dat of every CD root whose install.dat belongs to the project and names this
  // disc index; true when at least one was mounted. The roots are read again first.
  bool FindDisc(int index, const std::string& project_id);
  void SetInstallIdentityReader(TInstallIdentityReader reader) { install_reader_ = std::move(reader); }

  // Per-frame housekeeping: the lock list counts down by the frame's duration, then the queued
  // temporary files are deleted.
  void Tick(int frame_ms);
  // The two halves of Tick, for a frame loop that calls them one by one.
  void TickLockList(std::int32_t delta_ms) { locks_.Tick(delta_ms); }
  void DeleteReleasedTempFiles();

  // The roots as system names with a trailing delimiter, from the last reading.
  const std::vector<std::string>& CdRoots() const { return cd_root_names_; }
  void RefreshCdRoots();
  TVrCacheList& Cache() { return cache_; }
  TVrLockList& Locks() { return locks_; }
  // The private temporary folder (system name, trailing delimiter), made on first use.
  const std::string& TempDir();

 private:
  void LoadFileInto(const std::string& path, TMemoryStream& out);
  std::string Extract(std::string_view name);

  std::unique_ptr<platform::CdRootSource> own_cd_roots_;
  platform::CdRootSource* cd_roots_;
  std::vector<std::string> cd_root_names_;
  std::vector<std::unique_ptr<TVrFileCollection>> archives_;
  std::string base_dir_;
  TVrCacheList cache_;
  std::vector<std::string> deletion_list_;
  TVrLockList locks_;
  std::string temp_dir_;
  std::string temp_host_dir_;
  TInstallIdentityReader install_reader_;
};

}  // namespace vorn
