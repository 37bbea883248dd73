// Screenshots of a layer and the desktop wallpaper. The pictures come from the layers through the
// screen-picture service; which file is written, where, and what is registered for it is decided
// here. Every file is written whole to a temporary file first and renamed over the old one, so a
// failure halfway leaves the old picture, and a failed write answers false.

#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/project.h"
#include "engine/screen_pictures.h"
#include "engine/script_text.h"
#include "engine/sys_func_families.h"
#include "foundation/host_names.h"
#include "foundation/install_set.h"
#include "foundation/replace_file.h"
#include "foundation/sjis.h"
#include "foundation/stream.h"
#include "foundation/vr_file_manager.h"
#include "platform/wallpaper.h"

namespace vorn {
namespace {

using Call = const TSysFuncCall&;

// Screenshots are written raw into memory members (they are read back soon, and the archive
// compresses on its own) and zlib-compressed into files.
constexpr int kMemberCompression = 1;
constexpr int kFileCompression = 0;
constexpr int kJpegQuality = 70;

// Neither side of a screenshot may exceed this: a script's size is not allowed to claim
// gigabytes of pixel memory.
constexpr std::int32_t kMaxScreenshotSide = 16384;

constexpr std::string_view kInstallFile = "install.dat";

// In-memory members are named "mem:..." (the first four bytes, any case).
bool IsMemoryName(std::string_view name) { return name.size() >= 4 && Cp932SameText(name.substr(0, 4), "mem:"); }

// The file manager's override directory when it is set and is a folder on disk.
bool OverrideDirectoryExists(const TVrFileManager& files) {
  if (files.BaseDir().empty()) return false;
  const std::optional<std::string> host = FindHostPath(files.BaseDir());
  std::error_code error;
  return host && std::filesystem::is_directory(*host, error);
}

void WriteWholeFile(const std::string& host_path, const TMemoryStream& bytes) {
  ReplaceFileContent(host_path, bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
}

// Writes the picture into the archive member of that name, or a new member of archive 0. The
// picture is made before the member is touched, so a failure leaves its old content.
void WriteMemoryMember(TVrFileManager& files, TScreenPictures& pictures, const std::string& name, bool other_layer,
                       std::int32_t width, std::int32_t height) {
  TMemoryStream image;
  pictures.WriteLayerImage(image, other_layer, width, height, kMemberCompression, kJpegQuality);
  TVrFile* member = files.FindEntry(name);
  if (member == nullptr) member = &files.GetArchive(0).AddMemoryFile(name);
  // A member stored in an archive file gets the new picture in memory; its stored bytes are no
  // longer read.
  if (!member->own_data) member->own_data = std::make_unique<TMemoryStream>();
  member->own_data->SetBytes(image.TakeBytes());
}

// Lists name in the override directory's install.dat, when there is one.
void RegisterInInstallFile(const TVrFileManager& files, const std::string& name) {
  const std::string install = files.BaseDir() + std::string(kInstallFile);
  if (!SystemFileExists(install)) return;
  TVornInstallSet record;
  record.LoadFromFile(install);
  if (record.IndexOfFile(name) >= 0) return;
  record.AddFile(name);
  record.SaveToFile(install);
}

void SaveScreen(Call call) {
  call.Result().SetAsBool(false);
  const std::string name = call.Str(0);
  TProject* project = CurrentProject();
  TScreenPictures* pictures = GetScreenPictures();
  if (project == nullptr || pictures == nullptr) return;
  TVrFileManager& files = project->Files();
  if (!OverrideDirectoryExists(files) || !Cp932SameText(script_text::ExtractFileExt(name), ".pel")) return;

  std::int32_t width = pictures->SceneWidth();
  std::int32_t height = pictures->SceneHeight();
  if (call.Has(1) && call.Int(1) != 0) width = call.Int(1);
  if (call.Has(2) && call.Int(2) != 0) height = call.Int(2);
  if (width <= 0 || height <= 0 || width > kMaxScreenshotSide || height > kMaxScreenshotSide) return;
  const bool other_layer = call.Has(3) && call.Bool(3);
  const std::int32_t register_as = call.Has(4) ? call.Int(4) : 0;

  const bool memory = IsMemoryName(name);
  std::string host_path;
  try {
    if (memory) {
      WriteMemoryMember(files, *pictures, name, other_layer, width, height);
    } else {
      TMemoryStream image;
      pictures->WriteLayerImage(image, other_layer, width, height, kFileCompression, kJpegQuality);
      host_path = HostPathForCreate(files.BaseDir() + name);
      WriteWholeFile(host_path, image);
    }
  } catch (const std::exception&) {
    // Not written: the answer stays false.
    return;
  }
  pictures->PurgeImage(name);
  files.Cache().Remove(name);
  call.Result().SetAsBool(true);

  if (memory) return;
  try {
    if (register_as == 1) {
      if (DeleteAtExit != nullptr) DeleteAtExit->Add(host_path);
    } else if (register_as == 2) {
      RegisterInInstallFile(files, name);
    }
  } catch (const std::exception&) {
    // The picture is written; a record that cannot be updated keeps its old content.
  }
}

void SetWallPaper(Call call) {
  call.Result().SetAsBool(false);
  const std::string image = call.Str(0);
  const std::int32_t style = call.Int(1);
  platform::Wallpaper* wallpaper = GetDesktopWallpaper();
  TScreenPictures* pictures = GetScreenPictures();
  if (wallpaper == nullptr || pictures == nullptr) return;
  const std::string path = wallpaper->PicturePath();
  if (path.empty()) return;
  try {
    TMemoryStream bitmap;
    if (!image.empty()) {
      if (!ProjectCheckFile(image) || !pictures->WriteImageBitmap(bitmap, image)) return;
    } else if (!pictures->WriteLayerBitmap(bitmap)) {
      return;
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    WriteWholeFile(path, bitmap);
  } catch (const std::exception&) {
    return;
  }
  call.Result().SetAsBool(wallpaper->Set(path, style));
}

constexpr TSysFuncSlot kScreenPictureFunctions[] = {
    {TSysFunc::SetWallPaper, SetWallPaper},
    {TSysFunc::SaveScreen, SaveScreen},
};

}  // namespace

std::span<const TSysFuncSlot> ScreenPictureFunctions() { return kScreenPictureFunctions; }

}  // namespace vorn
