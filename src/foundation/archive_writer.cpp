// Writing an archive (always the newest version) and the rule that decides, member by member,
// whether its bytes are stored as they are or compressed.

#include <zlib.h>

#include <vector>

#include "foundation/archive.h"
#include "foundation/host_names.h"
#include "foundation/shuffle_bag.h"
#include "foundation/stream_encoding.h"
#include "foundation/zlib_stream.h"

namespace vorn {
namespace {

void WriteU32(TStream& stream, std::uint32_t value) {
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                 static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  stream.WriteBuffer(bytes, 4);
}

std::uint32_t Crc(const TMemoryStream& data) {
  uLong crc = crc32(0L, Z_NULL, 0);
  const std::uint8_t* p = data.Memory();
  std::uint64_t left = static_cast<std::uint64_t>(data.Size());
  while (left > 0) {
    const auto piece = static_cast<uInt>(std::min<std::uint64_t>(left, 1u << 30));
    crc = crc32(crc, p, piece);
    p += piece;
    left -= piece;
  }
  return static_cast<std::uint32_t>(crc);
}

void Compress(const TMemoryStream& data, TMemoryStream& packed) {
  packed.Clear();
  packed.WriteBuffer(data.Memory(), static_cast<std::size_t>(data.Size()));
  CompressStream(packed);
}

void Put(TStream& stream, const TMemoryStream& data) {
  stream.WriteBuffer(data.Memory(), static_cast<std::size_t>(data.Size()));
}

}  // namespace

void TVrFileCollection::WriteMember(TVrFile& member, TStream& stream) {
  if (member.own_data) {
    const TMemoryStream& data = *member.own_data;
    if (static_cast<std::uint64_t>(data.Size()) > kArchiveStoreAboveBytes) {
      Put(stream, data);
      member.stored = 1;
      member.crc = Crc(data);
    } else {
      TMemoryStream packed;
      Compress(data, packed);
      Put(stream, packed);
      member.stored = 0;
      member.crc = member.crc_over_data == 1 ? Crc(data) : Crc(packed);
    }
    return;
  }

  if (member.copy_stored_bytes) {
    if (member.broken_range) Broken(member.Name() + ": member ends before it starts");
    if (member.size == 0) return;
    const std::uint64_t data_size = data_ ? static_cast<std::uint64_t>(data_->Size()) : 0;
    if (member.offset > data_size || member.size > data_size - member.offset) {
      Broken(member.Name() + ": member lies past the end of the archive");
    }
    data_->SetPosition(static_cast<std::int64_t>(member.offset));
    CopyStream(stream, *data_, static_cast<std::int64_t>(member.size));
    return;
  }

  const std::string path = directory_ + member.Name();
  if (!directory_.empty() && SystemFileExists(path)) {
    TMemoryStream data;
    {
      TZkBigFileStream file(path, fmOpenRead | fmShareDenyWrite);
      data.SetSize(file.Size());
      file.ReadBuffer(data.Memory(), static_cast<std::size_t>(data.Size()));
    }
    const auto size = static_cast<std::uint64_t>(data.Size());
    if (ArchiveFileIsCompressible(member.Name(), size, &data)) {
      TMemoryStream packed;
      Compress(data, packed);
      if (static_cast<std::uint64_t>(packed.Size()) > size * 9 / 10) {
        Put(stream, data);
        member.stored = 1;
        member.crc = Crc(data);
      } else {
        Put(stream, packed);
        member.stored = 0;
        member.crc = member.crc_over_data == 1 ? Crc(data) : Crc(packed);
      }
    } else {
      Put(stream, data);
      member.stored = 1;
      member.crc = Crc(data);
    }
    member.file_time = DosFileTime(path);
    return;
  }

  // A member of the archive that was opened: inflated, then written again by the own-data rule.
  TMemoryStream data;
  LoadToStream(data, member.Name());
  const TMemoryStream* written = &data;
  TMemoryStream packed;
  if (static_cast<std::uint64_t>(data.Size()) > kArchiveStoreAboveBytes) {
    member.stored = 1;
  } else {
    Compress(data, packed);
    written = &packed;
    member.stored = 0;
  }
  Put(stream, *written);
  member.crc = Crc(*written);
  // The CRC covers the written bytes, so the flag must not claim the inflated data.
  member.crc_over_data = 0;
}

bool TVrFileCollection::SaveToStream(TStream& stream) {
  std::vector<int> indices;
  for (int i = 0; i < Count(); ++i) {
    if (GetItem(i).Name() != kArchiveSentinelName) indices.push_back(i);
  }
  const auto count = static_cast<std::uint32_t>(indices.size());
  const std::int64_t start = stream.Position();

  stream.WriteBuffer("vf", 2);
  WriteU32(stream, kArchiveVersionWritten);
  WriteU32(stream, count);
  TZkRandom name_key(kArchiveKey);
  for (const int index : indices) {
    std::string name = GetItem(index).Name();
    for (char& c : name) c = static_cast<char>(static_cast<std::uint8_t>(c) ^ (static_cast<std::uint32_t>(name_key.NextRaw()) & 0xFF));
    WriteU32(stream, static_cast<std::uint32_t>(name.size()));
    stream.WriteBuffer(name.data(), name.size());
  }

  const std::int64_t tables = stream.Position();
  const std::size_t table_bytes = (count + 1) * 8 + count * (1 + 4 + 4 + 1);
  const std::vector<std::uint8_t> zeros(table_bytes, 0);
  stream.WriteBuffer(zeros.data(), zeros.size());

  std::vector<std::uint64_t> offsets(count + 1);
  for (std::uint32_t i = 0; i < count; ++i) {
    TVrFile& member = GetItem(indices[i]);
    bool cancel = false;
    if (progress_) {
      progress_(*this, member, cancel, Count(), indices[i], 0);
      if (cancel) return false;
    }
    const std::int64_t at = stream.Position();
    offsets[i] = static_cast<std::uint64_t>(at - start);
    WriteMember(member, stream);
    if (progress_) {
      progress_(*this, member, cancel, Count(), indices[i], stream.Position() - at);
      if (cancel) return false;
    }
  }
  offsets[count] = static_cast<std::uint64_t>(stream.Position() - start);
  const std::int64_t end = stream.Position();

  std::vector<std::uint8_t> table;
  table.reserve(table_bytes);
  auto put32 = [&table](std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) table.push_back(static_cast<std::uint8_t>(value >> shift));
  };
  TZkRandom offset_key(kArchiveKey);
  for (const std::uint64_t offset : offsets) {
    const std::int32_t key = offset_key.NextRaw();
    put32(static_cast<std::uint32_t>(offset) ^ static_cast<std::uint32_t>(key));
    put32(static_cast<std::uint32_t>(offset >> 32) ^ (key < 0 ? 0xFFFFFFFFu : 0u));
  }
  for (const int index : indices) table.push_back(GetItem(index).stored);
  for (const int index : indices) put32(GetItem(index).file_time);
  for (const int index : indices) put32(GetItem(index).crc);
  for (const int index : indices) table.push_back(GetItem(index).crc_over_data);
  stream.SetPosition(tables);
  stream.WriteBuffer(table.data(), table.size());
  stream.SetPosition(end);
  return true;
}

}  // namespace vorn
