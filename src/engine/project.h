#pragma once

// The loaded project: the settings of vorn.vpb, the interpreter that runs its scripts, its saved
// games (save.dat, with the requested game save and load), and where the data lies (installed on disk, on a CD-ROM, or a
// data directory given on the command line).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/call_man.h"
#include "engine/engine_seams.h"
#include "engine/game_requests.h"
#include "engine/save_data.h"
#include "engine/save_requests.h"
#include "foundation/errors.h"
#include "foundation/folder_disk_list.h"
#include "foundation/stream.h"
#include "platform/message_box.h"

namespace vorn {

class TCallMan;
class TParamCollection;
class TVrFileManager;

// The newest project file the player reads.
inline constexpr std::int32_t ProjectVersion = 110;
inline constexpr const char* kProjectFileName = "vorn.vpb";
inline constexpr const char* kOriginalProjectFileName = "/original_vorn.vpb";

// A vorn.vpb that cannot be read: cut short, a length or count beyond its bytes. The message
// names the file.
class EProjectFileError : public EReadError {
 public:
  using EReadError::EReadError;
};

// The fields of vorn.vpb before its global variables (text is CP932).
struct TProjectSettings {
  std::int32_t version = 0;
  std::string title;
  std::int32_t screen_width = 0;
  std::int32_t screen_height = 0;
  std::int32_t full_screen_width = 0;
  std::int32_t full_screen_height = 0;
  std::string start_page;
  std::string exit_page;
  std::string registry_key;
  std::int32_t identification_code = 0;
  bool status_save = true;
  bool fixed_wait = true;
  std::string media_extensions;
  std::string disc_prompt;
  std::string quit_text;

  // The values a project has before its file is read.
  static TProjectSettings Defaults();
};

// The three parts of vorn.vpb, read in turn; a failure raises EProjectFileError naming the file
// (a bad variable name raises its own script error). ReadProjectSettings reads the version and,
// when it is at most ProjectVersion, fields 2..15; it returns the version either way.
std::int32_t ReadProjectSettings(TStream& stream, TProjectSettings& settings, const std::string& file = kProjectFileName);
// The global variables: declared into params (null: read and dropped) unless a variable of that
// name exists; new ones are status variables.
void ReadProjectGlobals(TStream& stream, TParamCollection* params, const std::string& file = kProjectFileName);
void ReadProjectDiskList(TStream& stream, TFolderDiskList& disks, const std::string& file = kProjectFileName);

// What the project needs of the program that creates it.
struct TProjectEnvironment {
  TVrFileManager* files = nullptr;  // required
  // The variables to declare the globals in; null: the current variable set.
  TParamCollection* params = nullptr;
  // Started with a data directory: no install.dat is needed and no disc is searched.
  bool data_directory_given = false;
  // System names with a trailing delimiter: the executable's folder, and the folder of save.dat
  // (the executable's folder, or the first argument).
  std::string executable_dir;
  std::string save_dir;
  // Makes the CP932 title the application title and the main window's caption.
  std::function<void(const std::string& title)> set_title;
};

class TProject {
 public:
  // Creation in the fixed order: stop flag set, saved-game captions and status, data location,
  // project file, globals, disk list (stop flag cleared), interpreter and start page. A failure
  // with a message box, or one that ends without a word, returns with the stop flag set; an
  // unreadable project file raises.
  explicit TProject(TProjectEnvironment environment);
  // Frees the interpreter and the lists; never runs a page.
  ~TProject();
  TProject(const TProject&) = delete;
  TProject& operator=(const TProject&) = delete;

  // The orderly end: the exit page (when there is one) runs once, then the status entry is
  // written. The stop flag is set afterwards.
  void Destroy();

  // The frame's script step.
  void Step();
  // A pending load and then a pending save; true when a game was loaded.
  bool ProcessPending();
  // Whether the named file can be opened now, asking for its disc when it lies on another one.
  bool CheckFile(const std::string& name);
  // CheckFile's answer told apart for events: a file no disc holds (never to come) from one whose
  // disc was asked for and not given.
  TPageCheck CheckPage(const std::string& name);
  bool FindDataLocation();
  // The host path of save.dat (an existing one in another letter case is the one meant).
  std::string SaveFilePath() const;

  TCallMan* Interpreter() const { return callman_.get(); }
  TVrFileManager& Files() const { return *environment_.files; }
  const TProjectEnvironment& Environment() const { return environment_; }
  // The identification text of install.dat (empty when started with a data directory).
  const std::string& InstallId() const { return install_id_; }

  TProjectSettings settings = TProjectSettings::Defaults();
  TFolderDiskList disk_list;

  // --- saved games (save.dat). The bodies live with the saved-games code. ---
  // The project's save.dat: what the game-state commands request, the captions, the status entry.
  TSaveData& SaveData() { return *save_data_; }
  const TSaveData& SaveData() const { return *save_data_; }
  // Raises ESaveFileError naming save.dat when it is not a readable archive (the start then ends).
  void ReadSlotCaptions();
  // Reads the "STATUSSAVEDATA" entry when save.dat has one (before the project file); raises
  // ESaveFileError naming save.dat when the file or the entry is damaged.
  void ReadStatus();
  // Writes the status entry (after every game save, and at the end); never raises.
  void SaveStatus();
  void RequestLoad(std::int32_t slot);
  void RequestSave(std::int32_t slot, const std::string& caption, const std::string& resume_page,
                   std::int32_t resume_index);
  // The saved games' captions and slots, in the order save.dat lists them.
  const std::vector<TSlotCaption>& SlotCaptions() const { return save_data_->SlotCaptions(); }

 private:
  // The screen size and title the system variables read.
  class Facts final : public TProjectFacts {
   public:
    explicit Facts(const TProject& project) : project_(project) {}
    std::int32_t GetScreenWidth() const override { return project_.settings.screen_width; }
    std::int32_t GetScreenHeight() const override { return project_.settings.screen_height; }
    std::string GetTitle() const override { return project_.settings.title; }

   private:
    const TProject& project_;
  };

  // The saved games' message boxes: owned by the main window through the script host.
  class Boxes final : public platform::MessageBoxes {
   public:
    explicit Boxes(TProject& project) : project_(project) {}
    platform::MessageAnswer Show(const platform::MessageBoxRequest& request) override;

   private:
    TProject& project_;
  };

  void Create();
  bool ReadProjectFile();
  void ReadOriginalDiskList();
  void StartInterpreter();
  platform::MessageAnswer Ask(std::string text, std::string caption, platform::MessageIcon icon,
                              platform::MessageButtons buttons, platform::MessageAnswer without_display);
  bool SearchDiscs();
  TParamCollection* Params() const;

  TProjectEnvironment environment_;
  std::unique_ptr<TCallMan> callman_;
  std::string install_id_;
  bool all_installed_ = false;
  TProject* previous_project_ = nullptr;
  Facts facts_{*this};
  TProjectFacts* previous_facts_ = nullptr;
  Boxes boxes_{*this};
  std::unique_ptr<TSaveData> save_data_;
  TSaveData* previous_save_data_ = nullptr;
  // The game-state commands' requests go to save_data_.
  std::unique_ptr<TSaveRequests> save_requests_;
  TScriptGame* previous_game_ = nullptr;
};

// The project scripts run against (the one created last and not yet freed); null without one.
TProject* CurrentProject();

// Whether a page file named by a Jump, Call or event can be run: the project's CheckFile, or
// without a project the script file source's own existence check.
bool ProjectCheckFile(const std::string& name);

}  // namespace vorn
