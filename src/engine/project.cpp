#include "engine/project.h"

#include <iostream>
#include <optional>
#include <utility>

#include "engine/call_man.h"
#include "engine/db_manager_global.h"
#include "engine/engine_values.h"
#include "engine/extended_float.h"
#include "engine/param_collection.h"
#include "engine/script_files.h"
#include "engine/script_host.h"
#include "foundation/host_names.h"
#include "foundation/install_set.h"
#include "foundation/path_utils.h"
#include "foundation/sjis.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "foundation/vr_file_manager.h"
#include "foundation/wipe_defaults.h"
#include "platform/cp932_codec.h"

namespace vorn {

namespace {

TProject* current_project = nullptr;

// Version gates of the project file's fields.
constexpr std::int32_t kExitPageVersion = 110;
constexpr std::int32_t kProjectStatusSaveFlagVersion = 104;
constexpr std::int32_t kFixedWaitVersion = 106;
constexpr std::int32_t kMediaExtensionsVersion = 109;
// What files before the extension list behave as if they had stored.
constexpr const char* kOldMediaExtensions = ".wav.wma.ogg.mid";
// A global variable takes at least its type byte and its name's length.
constexpr std::int64_t kMinGlobalBytes = 1 + 4;

[[noreturn]] void RaiseFileError(const std::string& file, const Exception& error) {
  throw EProjectFileError(file + ": " + error.what());
}

// One line on stderr, in UTF-8 when the CP932 text converts.
void Diagnose(const std::string& line) {
  const std::optional<std::string> readable = platform::StrictCp932ToUtf8(line);
  std::cerr << "vornplayer: " << readable.value_or(line) << "\n";
}

// The extension of the last path component, from its dot on; empty when it has none.
std::string ExtensionOf(const std::string& name) {
  const std::size_t delimiter = LastPathDelimiter(name);
  const std::size_t start = delimiter == std::string::npos ? 0 : delimiter + 1;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot < start) return {};
  return name.substr(dot);
}

}  // namespace

// --- the project file ---

TProjectSettings TProjectSettings::Defaults() {
  TProjectSettings settings;
  settings.title = std::string(texts::kApplicationTitleInformation);
  settings.media_extensions = "wav.wma.ogg";
  settings.disc_prompt = std::string(texts::kDiscPromptFormat);
  settings.quit_text = std::string(texts::kProjectQuitText);
  return settings;
}

std::int32_t ReadProjectSettings(TStream& stream, TProjectSettings& settings, const std::string& file) {
  try {
    settings.version = ReadIntFromStream(stream);
    const std::int32_t version = settings.version;
    if (version > ProjectVersion) return version;
    settings.title = ReadStrFromStream(stream);
    settings.screen_width = ReadIntFromStream(stream);
    settings.screen_height = ReadIntFromStream(stream);
    settings.full_screen_width = ReadIntFromStream(stream);
    settings.full_screen_height = ReadIntFromStream(stream);
    settings.start_page = ReadStrFromStream(stream);
    if (version >= kExitPageVersion) settings.exit_page = ReadStrFromStream(stream);
    settings.registry_key = ReadStrFromStream(stream);
    settings.identification_code = ReadIntFromStream(stream);
    if (version >= kProjectStatusSaveFlagVersion) settings.status_save = ReadBoolFromStream(stream);
    settings.fixed_wait = version >= kFixedWaitVersion ? ReadBoolFromStream(stream) : false;
    settings.media_extensions = version >= kMediaExtensionsVersion ? ReadStrFromStream(stream) : kOldMediaExtensions;
    settings.disc_prompt = ReadStrFromStream(stream);
    settings.quit_text = ReadStrFromStream(stream);
    return version;
  } catch (const EReadError& error) {
    RaiseFileError(file, error);
  }
}

void ReadProjectGlobals(TStream& stream, TParamCollection* params, const std::string& file) {
  std::int32_t count = 0;
  try {
    count = ReadIntFromStream(stream);
  } catch (const EReadError& error) {
    RaiseFileError(file, error);
  }
  if (count < 0 || count > stream.Remaining() / kMinGlobalBytes) {
    throw EProjectFileError(file + ": bad global variable count " + std::to_string(count));
  }
  for (std::int32_t i = 0; i < count; ++i) {
    std::uint8_t type = 0;
    std::string name;
    std::unique_ptr<TCustomParam> value;
    try {
      type = ReadByteFromStream(stream);
      name = ReadStrFromStream(stream);
      // The type code's low seven bits choose the value class; only the four plain codes carry
      // a stored value, every other code leaves the fresh value as it is.
      value = CreateParamByType(type);
      switch (type) {
        case PT_INT: {
          const std::int32_t v = ReadIntFromStream(stream);
          value->SetAsInt(v);
          break;
        }
        case PT_FLOAT: {
          const TExtended x = ReadExtendedFromStream(stream);
          value->SetAsFloat(x);
          break;
        }
        case PT_BOOL: {
          const bool b = ReadBoolFromStream(stream);
          value->SetAsBool(b);
          break;
        }
        case PT_STR: {
          const std::string s = ReadStrFromStream(stream);
          value->SetAsString(s);
          break;
        }
        default:
          break;
      }
    } catch (const EReadError& error) {
      RaiseFileError(file, error);
    }
    // A code without a value class would make a variable that holds nothing: none is declared.
    if (!params || !value || params->FindParam(name)) continue;
    TParamCollectionItem& item = params->AddParam(type);
    try {
      item.SetName(name);
    } catch (...) {
      params->FreeItem(item);
      throw;
    }
    item.SetValue(std::move(value));
    item.ApplyScope(TVarScope::kStatus, params->CurrentFrameId());
  }
}

void ReadProjectDiskList(TStream& stream, TFolderDiskList& disks, const std::string& file) {
  std::int32_t count = 0;
  try {
    const std::int64_t start = stream.Position();
    count = ReadIntFromStream(stream);
    stream.SetPosition(start);
    if (count >= 0) disks.LoadFromStream(stream);
  } catch (const EReadError& error) {
    disks.Clear();
    RaiseFileError(file, error);
  }
  if (count < 0) throw EProjectFileError(file + ": bad disk list count " + std::to_string(count));
}

// --- the project ---

TProject* CurrentProject() { return current_project; }

bool ProjectCheckFile(const std::string& name) {
  if (TProject* project = CurrentProject()) return project->CheckFile(name);
  return GetScriptFiles().FileExists(name);
}

TProject::TProject(TProjectEnvironment environment) : environment_(std::move(environment)) {
  save_data_ = std::make_unique<TSaveData>(SaveFilePath());
  save_data_->SetVariables(Params());
  save_data_->SetTables(&GlobalDBManager());
  save_data_->SetMessageBoxes(&boxes_);
  save_data_->SetStatusSave(settings.status_save);
  save_requests_ = std::make_unique<TSaveRequests>(*save_data_, GlobalDBManager());
  previous_project_ = std::exchange(current_project, this);
  previous_facts_ = SetProjectFacts(&facts_);
  previous_game_ = SetScriptGame(save_requests_.get());
  previous_save_data_ = CurrentSaveData();
  SetCurrentSaveData(save_data_.get());
  try {
    Create();
  } catch (...) {
    current_project = previous_project_;
    SetProjectFacts(previous_facts_);
    SetScriptGame(previous_game_);
    SetCurrentSaveData(previous_save_data_);
    throw;
  }
}

TProject::~TProject() {
  callman_.reset();
  disk_list.Clear();
  if (current_project == this) current_project = previous_project_;
  if (GetProjectFacts() == &facts_) SetProjectFacts(previous_facts_);
  if (GetScriptGame() == save_requests_.get()) SetScriptGame(previous_game_);
  if (CurrentSaveData() == save_data_.get()) SetCurrentSaveData(previous_save_data_);
}

TParamCollection* TProject::Params() const { return environment_.params ? environment_.params : CurrentParams(); }

void TProject::Create() {
  settings = TProjectSettings::Defaults();
  StopFlag = true;
  ReadSlotCaptions();
  ReadStatus();
  if (!environment_.data_directory_given && !FindDataLocation()) return;
  if (!ReadProjectFile()) return;
  ReadOriginalDiskList();
  StartInterpreter();
}

bool TProject::ReadProjectFile() {
  TMemoryStream stream;
  try {
    Files().LoadToStream(stream, kProjectFileName);
  } catch (const Exception& error) {
    // The program ends without a box; the line tells why.
    Diagnose(std::string(kProjectFileName) + " cannot be read: " + error.what());
    return false;
  }
  if (stream.Size() == 0) {
    Ask(std::string(texts::kProjectMissing), std::string(texts::kWarningCaption), platform::MessageIcon::kWarning,
        platform::MessageButtons::kOk, platform::MessageAnswer::kOk);
    return false;
  }
  stream.SetPosition(0);
  TProjectSettings read = settings;
  const std::int32_t version = ReadProjectSettings(stream, read);
  if (version > ProjectVersion) {
    Diagnose(std::string(kProjectFileName) + " has version " + std::to_string(version) + ", newer than " +
             std::to_string(ProjectVersion));
    return false;
  }
  settings = std::move(read);
  save_data_->SetStatusSave(settings.status_save);
  if (environment_.set_title) environment_.set_title(settings.title);
  // Division truncates toward zero, as the zoom-in centre always has.
  WipeDefaults()[kWipeZoomIn] = TWipeDefaultParams{settings.screen_width / 2, settings.screen_height / 2};
  ReadProjectGlobals(stream, Params());
  ReadProjectDiskList(stream, disk_list);
  StopFlag = false;
  return true;
}

void TProject::ReadOriginalDiskList() {
  if (!Files().Exists(kOriginalProjectFileName)) return;
  disk_list.Clear();
  TMemoryStream stream;
  Files().LoadToStream(stream, kOriginalProjectFileName);
  stream.SetPosition(0);
  TProjectSettings skipped;
  if (ReadProjectSettings(stream, skipped, kOriginalProjectFileName) > ProjectVersion) return;
  ReadProjectGlobals(stream, nullptr, kOriginalProjectFileName);
  ReadProjectDiskList(stream, disk_list, kOriginalProjectFileName);
}

void TProject::StartInterpreter() {
  callman_ = std::make_unique<TCallMan>();
  save_data_->SetInterpreter(callman_.get());
  callman_->SetFileCheck([this](const std::string& name) { return CheckPage(name); });
  if (Files().Exists(settings.start_page)) {
    callman_->Call(settings.start_page);
    return;
  }
  Ask(std::string(texts::kStartPageMissing), std::string(texts::kWarningCaption), platform::MessageIcon::kWarning,
      platform::MessageButtons::kOk, platform::MessageAnswer::kOk);
  StopFlag = true;
}

void TProject::Destroy() {
  if (!settings.exit_page.empty() && callman_) {
    try {
      callman_->Call(settings.exit_page);
      StopFlag = false;
      callman_->Run();
    } catch (const Exception& error) {
      Diagnose("exit page " + settings.exit_page + ": " + error.what());
    }
    StopFlag = true;
  }
  try {
    SaveStatus();
  } catch (const Exception& error) {
    Diagnose(std::string("status entry: ") + error.what());
  }
}

void TProject::Step() {
  if (callman_) callman_->Run();
}

std::string TProject::SaveFilePath() const {
  // The folder as the host names it, so that a save.dat spelt in another letter case is found.
  const std::string& folder = environment_.save_dir;
  if (folder.empty()) return SaveFilePathIn(folder);
  return SaveFilePathIn(FindHostPath(folder).value_or(HostPathForCreate(folder)));
}

platform::MessageAnswer TProject::Ask(std::string text, std::string caption, platform::MessageIcon icon,
                                      platform::MessageButtons buttons, platform::MessageAnswer without_display) {
  platform::MessageBoxRequest request;
  request.text = std::move(text);
  request.caption = std::move(caption);
  request.icon = icon;
  request.buttons = buttons;
  request.answer_without_display = without_display;
  if (TScriptHost* host = GetScriptHost()) return host->ShowMessage(std::move(request));
  Diagnose(request.text);
  return without_display;
}

// --- where the data lies ---

bool TProject::FindDataLocation() {
  TVrFileManager& files = Files();
  const std::string base = environment_.executable_dir;
  if (SystemFileExists(base + "install.dat") && files.BaseDir().empty()) files.SetBaseDir(base);
  if (!files.Exists("install.dat")) {
    Ask(std::string(texts::kReinstall), std::string(texts::kApplicationTitleInformation),
        platform::MessageIcon::kInformation, platform::MessageButtons::kOk, platform::MessageAnswer::kOk);
    return false;
  }
  {
    TMemoryStream stream;
    files.LoadToStream(stream, "install.dat");
    stream.SetPosition(0);
    TVornInstallSet record;
    record.LoadFromStream(stream);
    install_id_ = record.Id;
    all_installed_ = record.AllInstalled != 0;
  }
  if (SystemFileExists(base + "game.dat")) {
    files.AddArchive(base + "game.dat");
    if (all_installed_) return true;
  } else if (all_installed_ && files.ArchiveCount() > 0) {
    return true;
  }
  for (;;) {
    if (SearchDiscs()) return true;
    const platform::MessageAnswer insert =
        Ask(std::string(texts::kInsertDisc), std::string(texts::kApplicationTitleInformation),
            platform::MessageIcon::kInformation, platform::MessageButtons::kOkCancel, platform::MessageAnswer::kCancel);
    if (insert == platform::MessageAnswer::kOk) continue;
    const platform::MessageAnswer quit = Ask(settings.quit_text, settings.title, platform::MessageIcon::kInformation,
                                             platform::MessageButtons::kOkCancel, platform::MessageAnswer::kOk);
    if (quit == platform::MessageAnswer::kOk) return false;
  }
}

bool TProject::SearchDiscs() {
  TVrFileManager& files = Files();
  // Only discs that are in count: the roots are read again at every search.
  files.RefreshCdRoots();
  const std::vector<std::string> roots = files.CdRoots();
  for (const std::string& root : roots) {
    const std::string archive = root + "game.dat";
    const std::string install = root + "install.dat";
    if (!SystemFileExists(archive) || !SystemFileExists(install)) continue;
    try {
      TVornInstallSet record;
      record.LoadFromFile(install);
      if (record.Id != install_id_) continue;
      files.AddArchive(archive);
      return true;
    } catch (const Exception& error) {
      Diagnose(root + ": " + error.what());
    }
  }
  return false;
}

bool TProject::CheckFile(const std::string& name) { return CheckPage(name) == TPageCheck::kAvailable; }

TPageCheck TProject::CheckPage(const std::string& name) {
  if (name.empty()) return TPageCheck::kNoDisc;
  TVrFileManager& files = Files();
  if (files.Exists(name)) return TPageCheck::kAvailable;
  const std::int32_t disc = disk_list.GetDisk(name);
  if (disc <= 0) return TPageCheck::kNoDisc;
  const std::string extension = Cp932LowerCase(ExtensionOf(name)) + ".";
  const std::string list = Cp932LowerCase(settings.media_extensions) + ".";
  // Media files are never asked for; a name without extension gives "." and is never asked for
  // either.
  if (list.find(extension) != std::string::npos) return TPageCheck::kNoDisc;
  TDiscPrompt prompt;
  prompt.caption = settings.title;
  prompt.disc_prompt = settings.disc_prompt;
  prompt.quit_confirmation = settings.quit_text;
  prompt.project_id = install_id_;
  prompt.ask_ok_cancel = [this](const std::string& caption, const std::string& text) {
    // Without a display the chain must end: Cancel the disc prompt, then OK the quit question.
    const bool quitting = text == settings.quit_text;
    return Ask(text, caption, platform::MessageIcon::kInformation, platform::MessageButtons::kOkCancel,
               quitting ? platform::MessageAnswer::kOk : platform::MessageAnswer::kCancel) ==
           platform::MessageAnswer::kOk;
  };
  prompt.stop_and_close = [] {
    StopFlag = true;
    if (TScriptHost* host = GetScriptHost()) host->CloseMainWindow();
  };
  return files.AskForDisc(disc, prompt) ? TPageCheck::kAvailable : TPageCheck::kNotNow;
}

}  // namespace vorn
