#include "engine/script_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/script_error.h"
#include "foundation/errors.h"
#include "foundation/stream.h"
#include "foundation/system_texts.h"
#include "foundation/vr_file_manager.h"

namespace vorn {

namespace {

TScriptFiles* current_files = nullptr;

[[noreturn]] void RaiseMissing(const std::string& name) {
  throw EReadError(FormatText(texts::kFileNotFoundFormat, name));
}

}  // namespace

TScriptFiles& GetScriptFiles() {
  static TDirectoryScriptFiles working_directory;
  return current_files ? *current_files : working_directory;
}

TScriptFiles* SetScriptFiles(TScriptFiles* files) {
  TScriptFiles* previous = current_files;
  current_files = files;
  return previous;
}

std::string TDirectoryScriptFiles::Path(const std::string& name) const {
  if (base_dir_.empty()) return name;
  return (std::filesystem::path(base_dir_) / name).string();
}

std::vector<std::uint8_t> TDirectoryScriptFiles::ReadFile(const std::string& name) {
  std::ifstream in(Path(name), std::ios::binary);
  if (!in) RaiseMissing(name);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TDirectoryScriptFiles::FileExists(const std::string& name) {
  std::error_code error;
  return std::filesystem::is_regular_file(Path(name), error);
}

std::vector<std::uint8_t> TMemoryScriptFiles::ReadFile(const std::string& name) {
  auto found = files.find(name);
  if (found == files.end()) RaiseMissing(name);
  return found->second;
}

}  // namespace vorn

namespace vorn {

std::vector<std::uint8_t> TVrScriptFiles::ReadFile(const std::string& name) {
  TMemoryStream stream;
  manager_.LoadToStream(stream, name);
  return stream.TakeBytes();
}

bool TVrScriptFiles::FileExists(const std::string& name) { return manager_.Exists(name); }

}  // namespace vorn
