#include "foundation/vr_file_manager.h"

#include <filesystem>
#include <system_error>

#include "foundation/host_names.h"
#include "foundation/install_set.h"
#include "foundation/path_utils.h"
#include "foundation/sjis.h"
#include "foundation/system_texts.h"
#include "foundation/vr_errors.h"
#include "platform/cd_roots.h"
#include "platform/host_file.h"

namespace vorn {
namespace {

constexpr std::size_t kExtractCopyBytes = 1 << 20;

void EmptyIfMemory(TStream& stream) {
  // Emptied but not freed: a caller loading file after file into one stream keeps its buffer.
  if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
    memory->SetSize(0);
  } else if (auto* big = dynamic_cast<TZkBigMemoryStream*>(&stream)) {
    big->Inner().SetSize(0);
  }
}

void CopyOut(const TMemoryStream& data, TStream& stream) {
  stream.WriteBuffer(data.Memory(), static_cast<std::size_t>(data.Size()));
  stream.SetPosition(0);
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  return !prefix.empty() && text.size() >= prefix.size() && Cp932SameText(text.substr(0, prefix.size()), prefix);
}

std::string FormatDiscPrompt(std::string text, int n) {
  for (const char* token : {"%d", "%s"}) {
    const std::size_t at = text.find(token);
    if (at != std::string::npos) return text.replace(at, 2, std::to_string(n));
  }
  return text;
}

}  // namespace

TVrFileManager::TVrFileManager(platform::CdRootSource* cd_roots)
    : cd_roots_(cd_roots), locks_([this](const std::string& file) { deletion_list_.push_back(file); }) {
  install_reader_ = [](const std::string& path, std::string& id, int& disc_index) {
    const auto host = FindHostPath(path);
    if (!host) return false;
    TVornInstallSet record;
    record.LoadFromFile(*host);
    id = record.Id;
    disc_index = static_cast<int>(record.DiscIndex);
    return true;
  };
  if (!cd_roots_) {
    own_cd_roots_ = platform::MakeHostCdRootSource();
    cd_roots_ = own_cd_roots_.get();
  }
  RefreshCdRoots();
}

TVrFileManager::~TVrFileManager() {
  archives_.clear();
  cache_.Clear();
  locks_.Clear();
  DeleteReleasedTempFiles();
  if (!temp_host_dir_.empty()) platform::RemoveTree(temp_host_dir_);
}

void TVrFileManager::RefreshCdRoots() {
  cd_root_names_.clear();
  for (const auto& root : cd_roots_->Roots()) {
    // A mount point without a CP932 form cannot be named by the system; it is left out.
    try {
      cd_root_names_.push_back(IncludeTrailingDelimiter(SystemNameOfHostPath(root)));
    } catch (const Exception&) {
    }
  }
}

const std::string& TVrFileManager::TempDir() {
  if (temp_dir_.empty()) {
    std::string reason;
    temp_host_dir_ = platform::MakePrivateTempDir(&reason);
    if (temp_host_dir_.empty()) throw EVrTempFileError(std::string(texts::kWorkFileCannotBeCreated));
    temp_dir_ = IncludeTrailingDelimiter(SystemNameOfHostPath(temp_host_dir_));
    locks_.SetTempDir(temp_dir_);
  }
  return temp_dir_;
}

void TVrFileManager::SetBaseDir(std::string_view dir) {
  base_dir_ = dir.empty() ? std::string() : IncludeTrailingDelimiter(dir);
}

int TVrFileManager::AddArchive(const std::string& file_name) {
  for (const auto& archive : archives_) {
    if (Cp932SameText(archive->Directory(), file_name)) return -1;
  }
  auto archive = std::make_unique<TVrFileCollection>();
  archive->Open(file_name);
  return AddCollection(std::move(archive));
}

int TVrFileManager::AddResourceArchive(const std::string& module_file, const std::string& resource_name,
                                       const std::string& resource_type) {
  auto archive = std::make_unique<TVrFileCollection>();
  archive->OpenResource(module_file, resource_name, resource_type);
  return AddCollection(std::move(archive));
}

int TVrFileManager::AddCollection(std::unique_ptr<TVrFileCollection> archive) {
  archives_.push_back(std::move(archive));
  return static_cast<int>(archives_.size()) - 1;
}

void TVrFileManager::RemoveArchive(int index) {
  if (index < 0 || index >= ArchiveCount()) return;
  archives_.erase(archives_.begin() + index);
}

TVrFile* TVrFileManager::FindEntry(std::string_view name) const {
  for (const auto& archive : archives_) {
    if (TVrFile* member = archive->FindFile(name)) return member;
  }
  return nullptr;
}

bool TVrFileManager::Exists(std::string_view name) {
  if (name.empty()) return false;
  if (FindEntry(name)) return true;
  if (!base_dir_.empty() && SystemFileExists(base_dir_ + std::string(name))) return true;
  for (const auto& root : cd_root_names_) {
    if (SystemFileExists(root + std::string(name))) return true;
  }
  return false;
}

void TVrFileManager::LoadFileInto(const std::string& path, TMemoryStream& out) {
  TZkBigFileStream file(path, fmOpenRead | fmShareDenyWrite);
  out.Clear();
  out.SetSize(file.Size());
  file.ReadBuffer(out.Memory(), static_cast<std::size_t>(out.Size()));
  out.SetPosition(0);
}

void TVrFileManager::LoadToStream(TStream& stream, std::string_view name) {
  EmptyIfMemory(stream);
  TVrCache& entry = cache_.Find(name);
  if (entry.data.Size() > 0) {
    CopyOut(entry.data, stream);
    return;
  }
  const std::string wanted(name);
  try {
    // An empty override directory takes the name as given, relative to the current folder.
    const std::string plain = base_dir_ + wanted;
    if (SystemFileExists(plain)) {
      LoadFileInto(plain, entry.data);
      CopyOut(entry.data, stream);
      return;
    }
    for (const auto& archive : archives_) {
      TVrFile* member = archive->FindFile(wanted);
      if (!member) continue;
      if (member->own_data) {
        cache_.Drop(entry);
        CopyOut(*member->own_data, stream);
        return;
      }
      if (!archive->DataStream()) continue;
      if (member->size > 0) {
        archive->ReadMemberData(*member, entry.data);
        CopyOut(entry.data, stream);
      } else {
        cache_.Drop(entry);
      }
      stream.SetPosition(0);
      return;
    }
    for (const auto& root : cd_root_names_) {
      const std::string path = root + wanted;
      if (SystemFileExists(path)) {
        LoadFileInto(path, entry.data);
        CopyOut(entry.data, stream);
        return;
      }
    }
  } catch (...) {
    // Nothing half-loaded stays cached.
    cache_.Drop(entry);
    EmptyIfMemory(stream);
    throw;
  }
  cache_.Drop(entry);
  throw EVrFileNotFound(FormatFileNotFound(name));
}

std::unique_ptr<TRangeStream> TVrFileManager::OpenRange(std::string_view name) {
  const std::string wanted(name);
  const std::string plain = base_dir_ + wanted;
  if (SystemFileExists(plain)) return std::make_unique<TFileRangeStream>(plain, TRangeWindow{});
  for (const auto& archive : archives_) {
    if (auto range = archive->OpenRange(wanted)) return range;
  }
  for (const auto& root : cd_root_names_) {
    const std::string path = root + wanted;
    if (SystemFileExists(path)) return std::make_unique<TFileRangeStream>(path, TRangeWindow{});
  }
  throw EVrFileNotFound(FormatFileNotFound(name));
}

void TVrFileManager::OpenRange(std::unique_ptr<TStream>& stream, std::string_view name) { stream = OpenRange(name); }

std::string TVrFileManager::GetRealFileName(std::string_view name) {
  const std::string wanted(name);
  if (!base_dir_.empty() && SystemFileExists(base_dir_ + wanted)) return base_dir_ + wanted;
  if (FindEntry(wanted)) {
    const int index = locks_.IndexOfName(wanted);
    if (index >= 0) {
      TVrLockData* lock = locks_.GetLock(index);
      ++lock->lock_count;
      return lock->TempFileName();
    }
    return Extract(wanted);
  }
  for (const auto& root : cd_root_names_) {
    if (SystemFileExists(root + wanted)) return root + wanted;
  }
  return wanted;
}

std::string TVrFileManager::Extract(std::string_view name) {
  TempDir();
  TVrLockData& lock = locks_.NewLock(name);
  const std::string path = lock.TempFileName();
  const std::string host = HostPathForCreate(path);
  auto abandon = [this, &name, &host] {
    std::error_code error;
    std::filesystem::remove(host, error);
    locks_.Abandon(locks_.IndexOfName(name));
  };
  std::error_code error;
  if (std::filesystem::exists(std::filesystem::symlink_status(host, error))) {
    platform::MakeOwnerWritable(host);
    std::filesystem::remove(host, error);
  }
  // Our own folder, and never through a planted link: the name must be new.
  auto file = platform::HostFile::Open(host, platform::HostFileMode::kCreateExclusive);
  if (!file) {
    locks_.Abandon(locks_.IndexOfName(name));
    throw EVrTempFileError(std::string(texts::kWorkFileCannotBeCreated));
  }
  try {
    TVrFile* member = FindEntry(name);
    std::int64_t written = 0;
    bool ok = true;
    if (member && member->stored == 1 && !member->own_data && member->size > kExtractCopyBytes) {
      // A big stored member (a movie) goes from its range straight into the file.
      auto range = OpenRange(name);
      std::vector<std::uint8_t> buffer(kExtractCopyBytes);
      for (;;) {
        const std::size_t got = range->Read(buffer.data(), buffer.size());
        if (got == 0) break;
        ok = ok && file->WriteAt(buffer.data(), got, written) == got;
        written += static_cast<std::int64_t>(got);
      }
      if (static_cast<std::uint64_t>(written) != member->size) throw EVrArchiveError(path + ": member data is truncated");
    } else {
      TMemoryStream data;
      LoadToStream(data, name);
      const auto size = static_cast<std::size_t>(data.Size());
      ok = file->WriteAt(data.Memory(), size, 0) == size;
    }
    if (!ok) throw EVrTempFileError(std::string(texts::kWorkFileCannotBeCreated));
  } catch (...) {
    file.reset();
    abandon();
    throw;
  }
  return path;
}

std::string TVrFileManager::ExtractArchivePath(std::string_view name) {
  const bool drive_or_unc = (name.size() >= 2 && name[0] == '\\' && name[1] == '\\') || (name.size() >= 2 && name[1] == ':');
  std::size_t cut = std::string_view::npos;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (IsLeadByte(name[i]) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    const char c = name[i];
    if (c == '\\' || c == '/' || (drive_or_unc && c == ':')) cut = i;
  }
  return cut == std::string_view::npos ? std::string() : std::string(name.substr(0, cut + 1));
}

bool TVrFileManager::AskForDisc(int n, const TDiscPrompt& prompt) {
  for (int i = ArchiveCount() - 1; i >= 0; --i) {
    for (const auto& root : cd_root_names_) {
      if (StartsWithIgnoringCase(GetArchive(i).Directory(), root)) {
        RemoveArchive(i);
        break;
      }
    }
  }
  if (!prompt.ask_ok_cancel) return false;
  for (;;) {
    if (prompt.ask_ok_cancel(prompt.caption, FormatDiscPrompt(prompt.disc_prompt, n))) {
      if (FindDisc(n - 1, prompt.project_id)) return true;
      continue;
    }
    if (prompt.ask_ok_cancel(prompt.caption, prompt.quit_confirmation)) {
      if (prompt.stop_and_close) prompt.stop_and_close();
      return false;
    }
  }
}

bool TVrFileManager::FindDisc(int index, const std::string& project_id) {
  RefreshCdRoots();
  bool found = false;
  for (const auto& root : cd_root_names_) {
    const std::string archive = root + "game.dat";
    const std::string install = root + "install.dat";
    if (!SystemFileExists(archive) || !SystemFileExists(install)) continue;
    std::string id;
    int disc = -1;
    try {
      if (!install_reader_ || !install_reader_(install, id, disc)) continue;
    } catch (const Exception&) {
      continue;
    }
    if (id != project_id || disc != index) continue;
    try {
      if (AddArchive(archive) >= 0) found = true;
    } catch (const Exception&) {
      // A broken game.dat on a disc is not this project's disc.
    }
  }
  return found;
}

void TVrFileManager::Tick(int frame_ms) {
  locks_.Tick(frame_ms);
  DeleteReleasedTempFiles();
}

void TVrFileManager::DeleteReleasedTempFiles() {
  for (const auto& file : deletion_list_) {
    if (const auto path = FindHostPath(file)) {
      std::error_code error;
      std::filesystem::remove(*path, error);
    }
  }
  deletion_list_.clear();
}

}  // namespace vorn
