// Opening an archive: where it lies in its file, and the directory reader.

#include <cstring>
#include <vector>

#include "foundation/archive.h"
#include "foundation/elf_sections.h"
#include "foundation/host_names.h"
#include "foundation/little_endian.h"
#include "foundation/path_utils.h"
#include "foundation/sjis.h"
#include "foundation/system_texts.h"
#include "foundation/vr_errors.h"
#include "foundation/shuffle_bag.h"
#include "platform/host_file.h"

namespace vorn {
namespace {

constexpr std::int64_t kTrailerBytes = 6;  // u32 archive start + "vo"

std::uint32_t ReadU32(TStream& stream) {
  std::uint8_t bytes[4];
  stream.ReadBuffer(bytes, 4);
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::string UpperExtension(std::string_view name) {
  const std::size_t delimiter = LastPathDelimiter(name);
  const std::size_t start = delimiter == std::string_view::npos ? 0 : delimiter + 1;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot < start) return {};
  return Cp932UpperCase(name.substr(dot));
}

bool IsRunningExecutable(const std::string& system_name) {
  const auto path = FindHostPath(system_name);
  if (!path) return false;
  const auto self = platform::SelfExecutableIdentity();
  const auto identity = platform::IdentityOf(*path);
  return self && identity && *self == *identity;
}

}  // namespace

void TVrFileCollection::Open(const std::string& name, bool keep_directory) {
  Reset();
  file_name_ = name;
  if (name.empty()) return;
  const bool exists = SystemFileExists(name);
  if (exists || keep_directory) {
    const std::size_t delimiter = LastPathDelimiter(name);
    directory_ = delimiter == std::string::npos ? std::string() : name.substr(0, delimiter + 1);
  } else {
    directory_ = name;
  }
  directory_ = IncludeTrailingDelimiter(directory_);
  if (!exists) return;

  data_ = std::make_unique<TZkBigFileStream>(name, fmOpenRead | fmShareDenyWrite);
  data_kind_ = TArchiveDataKind::kFile;
  try {
    const std::string extension = UpperExtension(name);
    // An ELF player has no ".exe", so its own file is recognised by identity.
    if (extension == ".EXE" || extension == ".SCR" || IsRunningExecutable(name)) {
      const std::int64_t size = data_->Size();
      if (size < kTrailerBytes) Broken("no archive trailer");
      data_->SetPosition(size - kTrailerBytes);
      const std::int64_t start = ReadU32(*data_);
      if (start > size - kTrailerBytes) Broken("archive start past the end of the file");
      data_->SetPosition(start);
      LoadDirectory(*data_);
      return;
    }
    const std::size_t dot = name.size() - UpperExtension(name).size();
    const std::string directory_file = name.substr(0, dot) + ".ext";
    if (SystemFileExists(directory_file)) {
      TZkBigFileStream directory(directory_file, fmOpenRead | fmShareDenyWrite);
      LoadDirectory(directory);
      return;
    }
    data_->SetPosition(0);
    LoadDirectory(*data_);
  } catch (const EVrArchiveError&) {
    Reset();
    throw;
  } catch (const EReadError&) {
    Reset();
    Broken("archive directory is truncated");
  }
}

void TVrFileCollection::OpenResource(const std::string& module_file, const std::string& resource_name,
                                     const std::string& resource_type) {
  Reset();
  file_name_ = module_file;
  const bool own = IsRunningExecutable(module_file);
  auto stream = std::make_unique<TZkBigResourceStream>(module_file, resource_name, resource_type);
  if (!own && stream->Size() == 0) {
    // Another module that cannot be read as a module leaves an empty archive, like a library
    // that does not load; one that reads but lacks the resource is "not found" below.
    const auto path = FindHostPath(module_file);
    auto file = path ? platform::HostFile::Open(*path, platform::HostFileMode::kRead) : nullptr;
    char magic[4] = {};
    if (!file || file->ReadAt(magic, 4, 0) != 4 || std::memcmp(magic, "\x7F" "ELF", 4) != 0) return;
  }
  if (stream->Size() == 0) throw EVrResourceNotFound(std::string(texts::kResourceNotFound));
  resource_module_ = module_file;
  resource_name_ = resource_name;
  resource_type_ = resource_type;
  data_ = std::move(stream);
  data_kind_ = TArchiveDataKind::kResource;
  try {
    LoadDirectory(*data_);
  } catch (const EVrArchiveError&) {
    Reset();
    throw;
  } catch (const EReadError&) {
    Reset();
    Broken("archive directory is truncated");
  }
}

void TVrFileCollection::LoadDirectory(TZkBigStream& stream) {
  const std::int64_t base = stream.Position();
  // Offsets address the data stream, which differs from this one behind a ".ext" file.
  const std::int64_t data_size = data_ ? data_->Size() : stream.Size();
  auto left = [&stream] { return std::max<std::int64_t>(stream.Size() - stream.Position(), 0); };

  std::uint32_t version = 0;
  char magic[2] = {};
  stream.ReadBuffer(magic, 2);
  if (magic[0] == 'v' && magic[1] == 'f') {
    version = ReadU32(stream);
  } else {
    stream.Seek(-2, SeekOrigin::kCurrent);
  }
  const std::uint64_t count = ReadU32(stream);
  const bool scrambled = version > 99;
  const int offset_bytes = version > 100 ? 8 : 4;
  const int table_bytes = (version > 100 ? 9 : 0) + (version > 101 ? 1 : 0);
  // Every member takes at least its name length, its offset and its table entries.
  const std::uint64_t least_per_member = 4 + offset_bytes + table_bytes;
  if (left() < offset_bytes ||
      count > static_cast<std::uint64_t>(left() - offset_bytes) / least_per_member) {
    Broken("member count larger than the directory");
  }

  std::vector<std::string> names;
  names.reserve(count);
  {
    TZkBuffBigStream buffered(stream);
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint32_t length = ReadU32(buffered);
      const std::int64_t buffered_left = stream.Size() - buffered.Position();
      if (static_cast<std::int64_t>(length) > buffered_left) Broken("member name longer than the directory");
      std::string name(length, '\0');
      buffered.ReadBuffer(name.data(), length);
      names.push_back(std::move(name));
    }
  }
  if (scrambled) {
    TZkRandom random(kArchiveKey);
    for (auto& name : names) {
      for (char& c : name) c = static_cast<char>(static_cast<std::uint8_t>(c) ^ (static_cast<std::uint32_t>(random.NextRaw()) & 0xFF));
    }
  }

  const std::uint64_t offset_table_bytes = (count + 1) * static_cast<std::uint64_t>(offset_bytes);
  if (offset_table_bytes + count * static_cast<std::uint64_t>(table_bytes) > static_cast<std::uint64_t>(left())) {
    Broken("offset table larger than the directory");
  }
  std::vector<std::uint8_t> raw(static_cast<std::size_t>(offset_table_bytes));
  stream.ReadBuffer(raw.data(), raw.size());
  std::vector<std::uint64_t> offsets(count + 1);
  TZkRandom random(kArchiveKey);
  for (std::uint64_t i = 0; i <= count; ++i) {
    const std::uint8_t* p = raw.data() + i * offset_bytes;
    std::uint64_t low = static_cast<std::uint64_t>(p[0]) | static_cast<std::uint64_t>(p[1]) << 8 |
                        static_cast<std::uint64_t>(p[2]) << 16 | static_cast<std::uint64_t>(p[3]) << 24;
    std::uint64_t high = 0;
    if (offset_bytes == 8) {
      high = static_cast<std::uint64_t>(p[4]) | static_cast<std::uint64_t>(p[5]) << 8 |
             static_cast<std::uint64_t>(p[6]) << 16 | static_cast<std::uint64_t>(p[7]) << 24;
    }
    if (scrambled) {
      const std::int32_t key = random.NextRaw();
      low ^= static_cast<std::uint32_t>(key);
      if (offset_bytes == 8 && key < 0) high ^= 0xFFFFFFFFu;
    }
    offsets[i] = high << 32 | low;
    const std::uint64_t absolute = offsets[i] + static_cast<std::uint64_t>(base);
    if (offsets[i] > static_cast<std::uint64_t>(INT64_MAX) - static_cast<std::uint64_t>(base) ||
        absolute > static_cast<std::uint64_t>(data_size)) {
      Broken("member offset outside the archive");
    }
  }

  std::vector<std::uint8_t> stored(count, 0), crc_flags(count, 0);
  std::vector<std::uint32_t> times(count, 0), crcs(count, 0);
  if (version > 100 && count > 0) {
    // The per-member tables in one read: a read per entry would cost a call into the host each.
    // Their size was checked against the directory with the offsets.
    std::vector<std::uint8_t> tables(static_cast<std::size_t>(count * table_bytes));
    stream.ReadBuffer(tables.data(), tables.size());
    const std::uint8_t* p = tables.data();
    std::memcpy(stored.data(), p, stored.size());
    p += count;
    for (auto* column : {&times, &crcs}) {
      for (auto& value : *column) {
        value = GetLE32(p);
        p += 4;
      }
    }
    if (version > 101) std::memcpy(crc_flags.data(), p, crc_flags.size());
  }

  // count was checked against the bytes of the directory above.
  Reserve(static_cast<std::size_t>(count) + 1);
  for (std::uint64_t i = 0; i < count; ++i) {
    TVrFile& member = Add(names[i]);
    member.stored = stored[i];
    member.file_time = times[i];
    member.crc = crcs[i];
    member.crc_over_data = crc_flags[i];
    if (offsets[i + 1] < offsets[i]) {
      member.broken_range = true;
      member.size = 0;
    } else {
      member.size = offsets[i + 1] - offsets[i];
    }
    member.offset = offsets[i] + static_cast<std::uint64_t>(base);
  }
  Add(kArchiveSentinelName);
}

}  // namespace vorn
