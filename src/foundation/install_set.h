#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/stream.h"

namespace vorn {

// install.dat: one installation of a project, written by the installer beside game.dat and on each
// disc. The player uses DiscIndex, Id, AllInstalled and Files; every other field is carried so a
// record read and written again keeps it.
class TVornInstallSet {
 public:
  static constexpr int kVersion = 107;
  static constexpr std::string_view kMagic = "is";

  std::uint32_t DiscIndex = 0;
  std::string Id;
  std::string S2, S3, S4;
  std::uint8_t B1 = 0;
  std::string S5;
  std::uint8_t B2 = 0;
  std::string S6;
  std::int32_t I1 = 0;
  std::uint8_t B3 = 0, B4 = 0;
  std::string S7, S8;
  // A1..A4, each Count() entries.
  std::array<std::vector<std::uint64_t>, 4> Arrays;
  std::array<std::uint64_t, 4> Values{};  // V1..V4
  std::uint8_t B5 = 0, B6 = 0;
  std::vector<std::string> Files;
  std::uint8_t AllInstalled = 0;
  std::uint8_t B7 = 0, B8 = 0;
  std::vector<std::string> Files2;
  std::string S9;

  int Count() const { return count_; }
  // N := n, and each of the four arrays gets n entries.
  void SetCount(int n);

  // Reads the layout of any version 0..107 from the stream's position. Fields the file's version
  // does not have keep their values (both lists are emptied first). Raises EReadError, naming
  // source, when the data ends early or a count is negative or larger than the bytes left.
  void LoadFromStream(TStream& stream, std::string_view source = "install.dat");
  // Writes "is107" and every field with the widths of version 107.
  void SaveToStream(TStream& stream) const;
  // System names ("\" or "/" between folders, any case), resolved onto the host's files. Saving
  // writes a sibling temporary file and renames it over the target.
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;

  // Index in Files ignoring case; -1 when absent.
  int IndexOfFile(std::string_view name) const;
  // Appends name to Files unless it is listed already (in any case).
  void AddFile(std::string_view name);

  // The version of the last record read (kVersion before any).
  int LoadedVersion() const { return loaded_version_; }

 private:
  int count_ = 0;
  int loaded_version_ = kVersion;
};

}  // namespace vorn
