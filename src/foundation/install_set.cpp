#include "foundation/install_set.h"

#include <cstring>
#include <optional>

#include "foundation/errors.h"
#include "foundation/file_stream.h"
#include "foundation/host_names.h"
#include "foundation/replace_file.h"
#include "foundation/sjis.h"
#include "foundation/stream_encoding.h"

namespace vorn {
namespace {

// Versions from which each later field is present.
constexpr int kWideValuesVersion = 100;  // arrays and V1..V4 take 8 bytes, before that 4
constexpr int kB6Version = 101;
constexpr int kFilesVersion = 102;
constexpr int kAllInstalledVersion = 103;
constexpr int kB7Version = 104;
constexpr int kB8Version = 105;
constexpr int kFiles2Version = 106;
constexpr int kS9Version = 107;

[[noreturn]] void ThrowBroken(std::string_view source, std::string_view what) {
  throw EReadError(std::string(source) + ": " + std::string(what));
}

// The three characters after "is"; anything but three ASCII digits counts as version 0.
int ParseVersion(const char digits[3]) {
  int version = 0;
  for (int i = 0; i < 3; ++i) {
    if (digits[i] < '0' || digits[i] > '9') return 0;
    version = version * 10 + (digits[i] - '0');
  }
  return version;
}

// A count of entries that each take at least entry_bytes: refused when negative or when the bytes
// left cannot hold it, before anything is allocated.
std::int32_t ReadCount(TStream& stream, std::int64_t entry_bytes, std::string_view source, std::string_view what) {
  const std::int32_t count = ReadIntFromStream(stream);
  if (count < 0 || count > stream.Remaining() / entry_bytes) ThrowBroken(source, std::string("bad ") + std::string(what) + " count");
  return count;
}

}  // namespace

void TVornInstallSet::SetCount(int n) {
  count_ = n > 0 ? n : 0;
  for (auto& array : Arrays) array.resize(static_cast<std::size_t>(count_), 0);
}

void TVornInstallSet::LoadFromStream(TStream& stream, std::string_view source) {
  try {
    Files.clear();
    Files2.clear();

    const std::int64_t start = stream.Position();
    char magic[2] = {0, 0};
    int version = 0;
    if (stream.Read(magic, 2) == 2 && std::memcmp(magic, kMagic.data(), 2) == 0) {
      char digits[3];
      stream.ReadBuffer(digits, 3);
      version = ParseVersion(digits);
    } else {
      stream.SetPosition(start);
    }
    loaded_version_ = version;

    DiscIndex = static_cast<std::uint32_t>(ReadIntFromStream(stream));
    Id = ReadStrFromStream(stream);
    S2 = ReadStrFromStream(stream);
    S3 = ReadStrFromStream(stream);
    S4 = ReadStrFromStream(stream);
    B1 = ReadByteFromStream(stream);
    S5 = ReadStrFromStream(stream);
    B2 = ReadByteFromStream(stream);
    const bool wide = version >= kWideValuesVersion;
    const std::int64_t value_bytes = wide ? 8 : 4;
    const std::int32_t n = ReadCount(stream, 4 * value_bytes, source, "array");
    S6 = ReadStrFromStream(stream);
    I1 = ReadIntFromStream(stream);
    B3 = ReadByteFromStream(stream);
    B4 = ReadByteFromStream(stream);
    S7 = ReadStrFromStream(stream);
    S8 = ReadStrFromStream(stream);
    // The count was read before the strings; check it again against what is left now.
    if (n > stream.Remaining() / (4 * value_bytes)) ThrowBroken(source, "bad array count");
    SetCount(n);
    auto read_value = [&]() -> std::uint64_t {
      return wide ? ReadUInt64FromStream(stream) : static_cast<std::uint32_t>(ReadIntFromStream(stream));
    };
    for (std::int32_t i = 0; i < n; ++i) {
      for (auto& array : Arrays) array[static_cast<std::size_t>(i)] = read_value();
    }
    for (auto& value : Values) value = read_value();
    B5 = ReadByteFromStream(stream);
    if (version >= kB6Version) B6 = ReadByteFromStream(stream);
    if (version >= kFilesVersion) {
      const std::int32_t files = ReadCount(stream, 4, source, "file list");
      for (std::int32_t i = 0; i < files; ++i) {
        std::string name = ReadStrFromStream(stream);
        if (!name.empty()) Files.push_back(std::move(name));
      }
    }
    if (version >= kAllInstalledVersion) AllInstalled = ReadByteFromStream(stream);
    if (version >= kB7Version) B7 = ReadByteFromStream(stream);
    if (version >= kB8Version) B8 = ReadByteFromStream(stream);
    if (version >= kFiles2Version) {
      const std::int32_t files = ReadCount(stream, 4, source, "file list");
      for (std::int32_t i = 0; i < files; ++i) Files2.push_back(ReadStrFromStream(stream));
    }
    if (version >= kS9Version) S9 = ReadStrFromStream(stream);
  } catch (const EReadError& e) {
    const std::string message = e.what();
    if (message.rfind(std::string(source) + ":", 0) == 0) throw;
    ThrowBroken(source, message);
  }
}

void TVornInstallSet::SaveToStream(TStream& stream) const {
  stream.WriteBuffer("is107", 5);
  WriteIntToStream(stream, static_cast<std::int32_t>(DiscIndex));
  for (const std::string* s : {&Id, &S2, &S3, &S4}) WriteStrToStream(stream, *s);
  WriteByteToStream(stream, B1);
  WriteStrToStream(stream, S5);
  WriteByteToStream(stream, B2);
  WriteIntToStream(stream, count_);
  WriteStrToStream(stream, S6);
  WriteIntToStream(stream, I1);
  WriteByteToStream(stream, B3);
  WriteByteToStream(stream, B4);
  WriteStrToStream(stream, S7);
  WriteStrToStream(stream, S8);
  for (std::size_t i = 0; i < static_cast<std::size_t>(count_); ++i) {
    for (const auto& array : Arrays) WriteUInt64ToStream(stream, i < array.size() ? array[i] : 0);
  }
  for (const std::uint64_t value : Values) WriteUInt64ToStream(stream, value);
  WriteByteToStream(stream, B5);
  WriteByteToStream(stream, B6);
  WriteIntToStream(stream, static_cast<std::int32_t>(Files.size()));
  for (const std::string& name : Files) WriteStrToStream(stream, name);
  WriteByteToStream(stream, AllInstalled);
  WriteByteToStream(stream, B7);
  WriteByteToStream(stream, B8);
  WriteIntToStream(stream, static_cast<std::int32_t>(Files2.size()));
  for (const std::string& name : Files2) WriteStrToStream(stream, name);
  WriteStrToStream(stream, S9);
}

void TVornInstallSet::LoadFromFile(const std::string& path) {
  const std::optional<std::string> host_path = FindHostPath(path);
  if (!host_path) throw EFOpenError("Cannot open file \"" + path + "\". No such file or directory");
  TMemoryStream memory;
  {
    TFileStream file(*host_path, FileMode::kOpenRead);
    CopyStream(memory, file, 0);
  }
  memory.SetPosition(0);
  LoadFromStream(memory, path);
}

void TVornInstallSet::SaveToFile(const std::string& path) const {
  TMemoryStream memory;
  SaveToStream(memory);
  ReplaceFileContent(HostPathForCreate(path), memory.Memory(), memory.Bytes().size());
}

int TVornInstallSet::IndexOfFile(std::string_view name) const {
  for (std::size_t i = 0; i < Files.size(); ++i) {
    if (Cp932SameText(Files[i], name)) return static_cast<int>(i);
  }
  return -1;
}

void TVornInstallSet::AddFile(std::string_view name) {
  if (IndexOfFile(name) < 0) Files.emplace_back(name);
}

}  // namespace vorn
