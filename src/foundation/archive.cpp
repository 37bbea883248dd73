// Members, the member loader and range streams of an archive.

#include "foundation/archive.h"

#include <zlib.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <mutex>

#include "foundation/host_names.h"
#include "foundation/path_utils.h"
#include "foundation/sjis.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "foundation/vr_errors.h"
#include "foundation/zlib_stream.h"
#include "platform/host_file.h"

namespace vorn {
namespace {

constexpr std::size_t kCrcPieceBytes = 1 << 20;

TPelRawProbe& PelProbe() {
  static TPelRawProbe probe;
  return probe;
}

void EmptyIfMemory(TStream& stream) {
  // Emptied but not freed: a caller loading file after file into one stream keeps its buffer.
  if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
    memory->SetSize(0);
  } else if (auto* big = dynamic_cast<TZkBigMemoryStream*>(&stream)) {
    big->Inner().SetSize(0);
  }
}

bool SameFile(const std::string& a, const std::string& b) {
  const auto path_a = FindHostPath(a);
  const auto path_b = FindHostPath(b);
  if (!path_a || !path_b) return false;
  const auto id_a = platform::IdentityOf(*path_a);
  const auto id_b = platform::IdentityOf(*path_b);
  return id_a && id_b && *id_a == *id_b;
}

}  // namespace

std::string FormatFileNotFound(std::string_view name) {
  // Built by appending: an in-place replace trips GCC's -Wrestrict at -O3 (a false alarm, but the
  // Release build must stay free of warnings).
  const std::string_view format = texts::kFileNotFoundFormat;
  const std::size_t at = format.find("%s");
  if (at == std::string_view::npos) return std::string(format);
  std::string text;
  text.reserve(format.size() - 2 + name.size());
  text.append(format.substr(0, at)).append(name).append(format.substr(at + 2));
  return text;
}

void SetPelkStreamIsRawProbe(TPelRawProbe probe) { PelProbe() = std::move(probe); }

void TVrFile::Assign(const THashCollectionItem& source) {
  THashCollectionItem::Assign(source);
  if (const auto* other = dynamic_cast<const TVrFile*>(&source)) {
    offset = other->offset;
    size = other->size;
    stored = other->stored;
    file_time = other->file_time;
    crc = other->crc;
    crc_over_data = other->crc_over_data;
    broken_range = other->broken_range;
    copy_stored_bytes = other->copy_stored_bytes;
    own_data.reset();
    if (other->own_data) own_data = std::make_unique<TMemoryStream>(other->own_data->Bytes());
  }
}

TVrFileCollection::~TVrFileCollection() = default;

std::unique_ptr<THashCollectionItem> TVrFileCollection::CreateItem() {
  return std::unique_ptr<THashCollectionItem>(new TVrFile());
}

void TVrFileCollection::Reset() {
  Clear();
  data_.reset();
  data_kind_ = TArchiveDataKind::kNone;
  directory_.clear();
  resource_module_.clear();
  resource_name_.clear();
  resource_type_.clear();
}

void TVrFileCollection::Broken(const std::string& what) const {
  throw EVrArchiveError(file_name_ + ": " + what);
}

TVrFile& TVrFileCollection::Add(std::string_view name) {
  auto& member = static_cast<TVrFile&>(THashCollection::Add());
  member.SetName(name);
  return member;
}

TVrFile& TVrFileCollection::AddMemoryFile(std::string_view name) {
  TVrFile& member = Add(name);
  member.own_data = std::make_unique<TMemoryStream>();
  return member;
}

void TVrFileCollection::Delete(std::string_view name) {
  const int index = IndexOf(name);
  if (index >= 0) THashCollection::Delete(index);
}

TVrFile* TVrFileCollection::FindFile(std::string_view name) const {
  const int index = IndexOf(name);
  return index < 0 ? nullptr : &GetItem(index);
}

void TVrFileCollection::ReadMemberData(const TVrFile& member, TMemoryStream& out) {
  out.Clear();
  if (member.own_data) {
    out.WriteBuffer(member.own_data->Memory(), static_cast<std::size_t>(member.own_data->Size()));
    out.SetPosition(0);
    return;
  }
  if (member.broken_range) Broken(member.Name() + ": member ends before it starts");
  if (member.size == 0 || !data_) return;
  const auto data_size = static_cast<std::uint64_t>(data_->Size());
  if (member.offset > data_size || member.size > data_size - member.offset) {
    Broken(member.Name() + ": member lies past the end of the archive");
  }
  if (member.size > static_cast<std::uint64_t>(TMemoryStream::kMaxMemoryStreamSize)) {
    Broken(member.Name() + ": member too large to load");
  }
  out.SetSize(static_cast<std::int64_t>(member.size));
  data_->SetPosition(static_cast<std::int64_t>(member.offset));
  // A file that shrank since it was mounted ends here, never in a wait.
  if (data_->Read(out.Memory(), static_cast<std::size_t>(member.size)) != member.size) {
    out.Clear();
    Broken(member.Name() + ": member data is truncated");
  }
  if (member.stored == 0) {
    try {
      DecompressStream(out);
    } catch (const Exception& error) {
      out.Clear();
      Broken(member.Name() + ": " + error.what());
    }
  }
  out.SetPosition(0);
}

void TVrFileCollection::LoadToStream(TStream& target, std::string_view name) {
  EmptyIfMemory(target);
  TVrFile* member = FindFile(name);
  if (member && (data_ || member->own_data)) {
    if (auto* memory = dynamic_cast<TMemoryStream*>(&target)) {
      ReadMemberData(*member, *memory);
    } else {
      TMemoryStream data;
      ReadMemberData(*member, data);
      target.WriteBuffer(data.Memory(), static_cast<std::size_t>(data.Size()));
    }
    target.SetPosition(0);
    return;
  }
  if (!directory_.empty()) {
    const std::string path = directory_ + std::string(name);
    if (SystemFileExists(path) && !SameFile(path, file_name_)) {
      TZkBigFileStream file(path, fmOpenRead | fmShareDenyWrite);
      CopyStream(target, file, 0);
      target.SetPosition(0);
      return;
    }
  }
  throw EVrFileNotFound(FormatFileNotFound(name));
}

std::unique_ptr<TRangeStream> TVrFileCollection::OpenRange(std::string_view name) {
  if (!data_) return nullptr;
  TVrFile* member = FindFile(name);
  if (!member) return nullptr;
  if (member->broken_range) Broken(member->Name() + ": member ends before it starts");
  const TRangeWindow window{.start = static_cast<std::int64_t>(member->offset),
                            .size = static_cast<std::int64_t>(member->size)};
  if (data_kind_ == TArchiveDataKind::kResource) {
    return std::make_unique<TResourceRangeStream>(resource_name_, window, resource_type_, resource_module_,
                                                  TRangeSizeRule::kExact);
  }
  return std::make_unique<TFileRangeStream>(file_name_, window, TRangeSizeRule::kExact);
}

std::uint32_t ArchiveCRC(TStream& stream) {
  stream.SetPosition(0);
  std::vector<std::uint8_t> piece(kCrcPieceBytes);
  uLong crc = crc32(0L, Z_NULL, 0);
  for (;;) {
    const std::size_t got = stream.Read(piece.data(), piece.size());
    if (got == 0) break;
    crc = crc32(crc, piece.data(), static_cast<uInt>(got));
  }
  return static_cast<std::uint32_t>(crc);
}

std::uint32_t DosFileTime(const std::string& system_name) {
  const auto path = FindHostPath(system_name);
  if (!path) return 0;
  std::error_code error;
  const auto written = std::filesystem::last_write_time(*path, error);
  if (error) return 0;
  const auto system_time = std::chrono::file_clock::to_sys(written);
  const std::time_t seconds = std::chrono::system_clock::to_time_t(system_time);
  std::tm local{};
  {
    static std::mutex lock;
    std::lock_guard guard(lock);
    const std::tm* converted = std::localtime(&seconds);
    if (!converted) return 0;
    local = *converted;
  }
  if (local.tm_year < 80) return (1u << 5 | 1u) << 16;  // before 1980: the first DOS day
  const auto date = static_cast<std::uint32_t>((local.tm_year - 80) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
  const auto time = static_cast<std::uint32_t>(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
  return date << 16 | time;
}

bool ArchiveFileIsCompressible(std::string_view file_name, std::uint64_t size, TStream* pel_stream) {
  const std::size_t delimiter = LastPathDelimiter(file_name);
  const std::size_t start = delimiter == std::string_view::npos ? 0 : delimiter + 1;
  const std::size_t dot = file_name.rfind('.');
  const std::string extension =
      (dot == std::string_view::npos || dot < start) ? std::string() : Cp932UpperCase(file_name.substr(dot));
  if (extension == ".PEL" && pel_stream && PelProbe()) {
    pel_stream->SetPosition(0);
    const bool raw = PelProbe()(*pel_stream);
    pel_stream->SetPosition(0);
    if (raw) return true;
  }
  // The empty extension occurs in every string; it is not a listed extension.
  const bool listed = !extension.empty() && kArchiveStoredExtensions.find(extension) != std::string_view::npos;
  return !listed && size < kArchiveCompressBelowBytes;
}

}  // namespace vorn
