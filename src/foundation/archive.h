#pragma once

// One archive: its directory of members, the open stream over its data, the member loader and
// the writer. Archive layout (little-endian):
//
//   "vf", u32 version          absent in version 0 (the directory starts at the archive start)
//   u32 N
//   N x (u32 L, L name bytes)  scrambled when version > 99
//   (N+1) offsets              u64 when version > 100, else u32; scrambled when version > 99
//   N stored flags             version > 100: 1 = as is, 0 = zlib
//   N x u32 DOS file times     version > 100
//   N x u32 CRC-32             version > 100
//   N CRC-over-data flags      version > 101 (1 = the CRC covers the inflated data)
//   member data
//
// An archive lies at byte 0 of a file; at the end of an executable, found through a trailing
// u32 start and "vo"; behind a directory file of the same name with the extension ".ext"; or in a
// resource section of a module.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/big_stream.h"
#include "foundation/hash_collection.h"
#include "foundation/range_stream.h"
#include "foundation/stream.h"

namespace vorn {

constexpr std::uint32_t kArchiveKey = 0x5B2E91C4;
constexpr std::uint32_t kArchiveVersionWritten = 102;
constexpr char kArchiveSentinelName[] = "\\EOF\\";
// Own data and re-written members above this many bytes are stored as they are.
constexpr std::uint64_t kArchiveStoreAboveBytes = 0x4FFFFF;
// Plain files of this many bytes or more are stored as they are.
constexpr std::uint64_t kArchiveCompressBelowBytes = 0x500000;
// Extensions whose data zlib does not shrink; a part of an entry (".MP") counts as listed.
constexpr std::string_view kArchiveStoredExtensions = ".WAV.WMA.OGG.AVI.MPG.MPEG.M1V.WMV.ASF.DAT.";

class TVrFile : public THashCollectionItem {
 public:
  std::uint64_t offset = 0;  // absolute position of the stored bytes in the data stream
  std::uint64_t size = 0;    // stored bytes
  std::uint8_t stored = 0;   // 1 = as is, 0 = zlib
  std::uint32_t file_time = 0;
  std::uint32_t crc = 0;
  std::uint8_t crc_over_data = 0;
  // The directory gave this member an end offset below its start: loading it is an error.
  bool broken_range = false;
  // A member added in memory carries its bytes here until the archive is written.
  std::unique_ptr<TMemoryStream> own_data;
  // A member of the opened archive that the writer carries over as its stored bytes, with its
  // stored flag and CRC, instead of inflating it again or taking a plain file of the same name.
  bool copy_stored_bytes = false;

  void Assign(const THashCollectionItem& source) override;

 protected:
  friend class TVrFileCollection;
  friend class THashCollection;
  TVrFile() = default;
};

class TVrFileCollection;

// Called by the writer before and after each member; setting cancel stops the write.
using TVrProgressEvent = std::function<void(TVrFileCollection& collection, TVrFile& member, bool& cancel,
                                            int count, int index, std::int64_t bytes_written)>;

// Whether a layered image keeps its planes uncompressed (graphics registers the real probe; the
// foundation cannot look into that format itself). The stream stands at the file's start.
using TPelRawProbe = std::function<bool(TStream& stream)>;
void SetPelkStreamIsRawProbe(TPelRawProbe probe);

enum class TArchiveDataKind { kNone, kFile, kResource };

class TVrFileCollection : public THashCollection {
 public:
  TVrFileCollection() = default;
  ~TVrFileCollection() override;

  // Replaces the members by the archive of that file. A missing file leaves no members, with
  // the name itself as the directory. Broken directories raise EVrArchiveError naming the file.
  void Open(const std::string& name, bool keep_directory = false);
  // The archive in a module's ".res.<type>.<name>" section. The running executable is known by
  // identity, not by name. A module that cannot be read leaves an empty archive; an empty
  // section raises "リソースが見つかりません".
  void OpenResource(const std::string& module_file, const std::string& resource_name,
                    const std::string& resource_type);
  // Reads the directory at the stream's position (offsets relative to it) and appends the
  // members and the "\EOF\" sentinel.
  void LoadDirectory(TZkBigStream& stream);

  TVrFile& Add(std::string_view name);
  TVrFile& AddMemoryFile(std::string_view name);
  void Delete(std::string_view name);
  using THashCollection::Delete;
  TVrFile& GetItem(int index) const { return ItemAs<TVrFile>(index); }
  TVrFile* FindFile(std::string_view name) const;

  // The member (inflated) into target, position 0; else directory + name when that file exists
  // and is not the archive itself; else "%s:ファイルがありません".
  void LoadToStream(TStream& target, std::string_view name);
  // A read-only window on the member's stored bytes; nullptr without data stream or member.
  std::unique_ptr<TRangeStream> OpenRange(std::string_view name);
  // Writes the archive (version 102); false when the progress event cancelled.
  bool SaveToStream(TStream& stream);

  const std::string& Directory() const { return directory_; }
  const std::string& FileName() const { return file_name_; }
  TZkBigStream* DataStream() const { return data_.get(); }
  TArchiveDataKind DataKind() const { return data_kind_; }
  void SetProgressEvent(TVrProgressEvent event) { progress_ = std::move(event); }

  // Loads a member's stored bytes from the data stream and inflates them when compressed. Raises
  // EVrArchiveError naming the archive and member for broken ranges or zlib data.
  void ReadMemberData(const TVrFile& member, TMemoryStream& out);

 protected:
  std::unique_ptr<THashCollectionItem> CreateItem() override;

 private:
  void Reset();
  [[noreturn]] void Broken(const std::string& what) const;
  void WriteMember(TVrFile& member, TStream& stream);

  std::string directory_;
  std::string file_name_;
  std::unique_ptr<TZkBigStream> data_;
  TArchiveDataKind data_kind_ = TArchiveDataKind::kNone;
  std::string resource_module_;
  std::string resource_name_;
  std::string resource_type_;
  TVrProgressEvent progress_;
};

// "%s:ファイルがありません" with the name.
std::string FormatFileNotFound(std::string_view name);

// CRC-32 (zlib's) of a whole stream from position 0, read in pieces of 1 MiB.
std::uint32_t ArchiveCRC(TStream& stream);

// A file's modification time as a local DOS date and time: (date << 16) | time.
std::uint32_t DosFileTime(const std::string& system_name);

// Whether the writer compresses a plain file: ".PEL" with raw planes, or an extension not in the
// stored list and a size below 0x500000.
bool ArchiveFileIsCompressible(std::string_view file_name, std::uint64_t size, TStream* pel_stream);

}  // namespace vorn
