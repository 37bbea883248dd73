#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vorn {

// Where script pages come from. The application points it at the virtual file manager; tests
// hand pages over from memory.
class TScriptFiles {
 public:
  virtual ~TScriptFiles() = default;
  // The whole file; a missing file raises "%s:ファイルがありません" (EReadError).
  virtual std::vector<std::uint8_t> ReadFile(const std::string& name) = 0;
  virtual bool FileExists(const std::string& name) = 0;
};

// The source pages are read from; without one set, files are read relative to the working
// directory.
TScriptFiles& GetScriptFiles();
// Returns the source set before (null for the default).
TScriptFiles* SetScriptFiles(TScriptFiles* files);

// Files of one host directory (empty: the working directory).
class TDirectoryScriptFiles : public TScriptFiles {
 public:
  explicit TDirectoryScriptFiles(std::string base_dir = {}) : base_dir_(std::move(base_dir)) {}
  std::vector<std::uint8_t> ReadFile(const std::string& name) override;
  bool FileExists(const std::string& name) override;

 private:
  std::string Path(const std::string& name) const;
  std::string base_dir_;
};

// Files held in memory by exact name.
class TMemoryScriptFiles : public TScriptFiles {
 public:
  std::vector<std::uint8_t> ReadFile(const std::string& name) override;
  bool FileExists(const std::string& name) override { return files.count(name) != 0; }

  std::map<std::string, std::vector<std::uint8_t>> files;
};

}  // namespace vorn

namespace vorn {

class TVrFileManager;

// Pages read through the virtual file manager (override directory, then the mounted archives).
class TVrScriptFiles : public TScriptFiles {
 public:
  explicit TVrScriptFiles(TVrFileManager& manager) : manager_(manager) {}
  std::vector<std::uint8_t> ReadFile(const std::string& name) override;
  bool FileExists(const std::string& name) override;

 private:
  TVrFileManager& manager_;
};

}  // namespace vorn
