#include "foundation/folder_disk_list.h"

#include "foundation/errors.h"
#include "foundation/list_error.h"
#include "foundation/path_utils.h"
#include "foundation/sjis.h"
#include "foundation/stream_encoding.h"

namespace vorn {

int TFolderDiskList::IndexOfName(std::string_view name) const {
  const std::string wanted = IncludeTrailingDelimiter(name);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (Cp932SameText(IncludeTrailingDelimiter(entries_[i].name), wanted)) return static_cast<int>(i);
  }
  return -1;
}

std::int32_t TFolderDiskList::GetDisk(std::string_view name) const {
  std::string path = Cp932UpperCase(name);
  while (!path.empty()) {
    const int index = IndexOfName(path);
    if (index >= 0) return entries_[static_cast<std::size_t>(index)].disc;
    const std::size_t cut = LastPathDelimiter(path);
    path.resize(cut == std::string::npos ? 0 : cut);
  }
  return 0;
}

const TFolderDiskList::Entry& TFolderDiskList::Item(int index) const {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  return entries_[static_cast<std::size_t>(index)];
}

void TFolderDiskList::SaveToStream(TStream& stream) const {
  WriteIntToStream(stream, Count());
  for (const Entry& entry : entries_) {
    WriteStrToStream(stream, entry.name);
    WriteIntToStream(stream, entry.disc);
  }
}

void TFolderDiskList::LoadFromStream(TStream& stream) {
  entries_.clear();
  const std::int32_t count = ReadIntFromStream(stream);
  // Each entry takes at least eight bytes: its name length and its disc.
  if (count > stream.Remaining() / 8) throw EReadError("Stream read error");
  for (std::int32_t i = 0; i < count; ++i) {
    Entry entry;
    entry.name = ReadStrFromStream(stream);
    entry.disc = ReadIntFromStream(stream);
    entries_.push_back(std::move(entry));
  }
}

}  // namespace vorn
