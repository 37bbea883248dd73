#include "foundation/big_stream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "foundation/elf_sections.h"
#include "foundation/errors.h"
#include "foundation/file_stream.h"
#include "foundation/host_names.h"
#include "foundation/path_utils.h"
#include "foundation/replace_file.h"
#include "platform/host_file.h"

namespace vorn {

namespace platform_bridge {

// One open volume with its size, kept here so that reads need no system call to learn it.
class VolumeFile {
 public:
  explicit VolumeFile(std::unique_ptr<platform::HostFile> file) : file_(std::move(file)), size_(file_->Size()) {}
  std::int64_t size() const { return size_; }
  std::size_t ReadAt(void* buffer, std::size_t count, std::int64_t position) {
    return file_->ReadAt(buffer, count, position);
  }
  std::size_t WriteAt(const void* buffer, std::size_t count, std::int64_t position) {
    const std::size_t written = file_->WriteAt(buffer, count, position);
    if (written > 0) {
      written_ = true;
      size_ = std::max(size_, position + static_cast<std::int64_t>(written));
    }
    return written;
  }
  void Truncate(std::int64_t size) {
    if (file_->Truncate(size)) size_ = size;
    written_ = true;
  }
  // Linux has no write-through handles; a sync on close gives the same guarantee.
  void Close() {
    if (written_) file_->Sync();
    file_.reset();
  }
  ~VolumeFile() {
    if (file_) Close();
  }

 private:
  std::unique_ptr<platform::HostFile> file_;
  std::int64_t size_;
  bool written_ = false;
};

}  // namespace platform_bridge

namespace {

constexpr std::size_t kCopyBufferBytes = 1 << 20;

bool IsCreateMode(TFileModeWord mode) { return mode == fmCreate || (mode & 0x3) == fmOpenWrite; }

std::size_t ToSize(std::int64_t value) { return static_cast<std::size_t>(std::max<std::int64_t>(value, 0)); }

}  // namespace

// --- TZkBigStream ------------------------------------------------------------------------------

std::int64_t TZkBigStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::vector<std::uint8_t> buffer(ToSize(std::min<std::int64_t>(count, kCopyBufferBytes)));
  std::int64_t done = 0;
  while (done < count) {
    const auto chunk = ToSize(std::min<std::int64_t>(count - done, static_cast<std::int64_t>(buffer.size())));
    const std::size_t got = source.Read(buffer.data(), chunk);
    if (got == 0) break;
    const std::size_t put = Write(buffer.data(), got);
    done += static_cast<std::int64_t>(put);
    if (put != got) break;
  }
  return done;
}

std::int64_t TZkBigStream::CopyTo(TStream& target, std::int64_t count) {
  std::vector<std::uint8_t> buffer(ToSize(std::min<std::int64_t>(count, kCopyBufferBytes)));
  std::int64_t done = 0;
  while (done < count) {
    const auto chunk = ToSize(std::min<std::int64_t>(count - done, static_cast<std::int64_t>(buffer.size())));
    const std::size_t got = Read(buffer.data(), chunk);
    if (got == 0) break;
    const std::size_t put = target.Write(buffer.data(), got);
    done += static_cast<std::int64_t>(put);
    if (put != got) break;
  }
  return done;
}

// --- TZkBigFileStream --------------------------------------------------------------------------

std::string TZkBigFileStream::VolumeName(const std::string& name, int index) {
  if (index == 0) return name;
  // The extension belongs to the last component only: "dir.v\save" has none.
  const std::size_t delimiter = LastPathDelimiter(name);
  const std::size_t component_start = delimiter == std::string::npos ? 0 : delimiter + 1;
  const std::size_t dot = name.rfind('.');
  const std::string stem = (dot != std::string::npos && dot >= component_start) ? name.substr(0, dot) : name;
  char digits[16];
  std::snprintf(digits, sizeof digits, ".%.3d", index);
  return stem + digits;
}

TZkBigFileStream::TZkBigFileStream(const std::string& name, TFileModeWord mode, std::int64_t volume_size)
    : name_(name), mode_(mode), volume_size_(volume_size > 0 ? volume_size : kDefaultVolumeSize) {
  if (IsCreateMode(mode)) {
    for (int i = 0;; ++i) {
      const auto path = FindHostPath(VolumeName(name, i));
      std::error_code error;
      if (!path || !std::filesystem::remove(*path, error)) break;
    }
    if (!OpenVolume(0, true)) throw EFCreateError("Cannot create file \"" + name + "\"");
  } else {
    if (!OpenVolume(0, false)) throw EFOpenError("Cannot open file \"" + name + "\"");
    for (int i = 1; OpenVolume(i, false); ++i) {
    }
  }
}

TZkBigFileStream::~TZkBigFileStream() = default;

platform_bridge::VolumeFile* TZkBigFileStream::OpenVolume(int index, bool create) {
  if (index < static_cast<int>(volumes_.size())) return volumes_[static_cast<std::size_t>(index)].get();
  if (index != static_cast<int>(volumes_.size())) return nullptr;
  const std::string volume = VolumeName(name_, index);
  std::unique_ptr<platform::HostFile> file;
  if (create) {
    file = platform::HostFile::Open(HostPathForCreate(volume), platform::HostFileMode::kCreate);
  } else if (const auto path = FindHostPath(volume)) {
    const bool writable = (mode_ & 0x3) != fmOpenRead;
    file = platform::HostFile::Open(*path, writable ? platform::HostFileMode::kReadWrite : platform::HostFileMode::kRead);
  }
  if (!file) return nullptr;
  volumes_.push_back(std::make_unique<platform_bridge::VolumeFile>(std::move(file)));
  return volumes_.back().get();
}

std::int64_t TZkBigFileStream::Size() const {
  std::int64_t total = 0;
  for (const auto& volume : volumes_) total += volume->size();
  return total;
}

std::int64_t TZkBigFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
  std::int64_t base = 0;
  switch (origin) {
    case SeekOrigin::kBegin: base = 0; break;
    case SeekOrigin::kCurrent: base = position_; break;
    case SeekOrigin::kEnd: base = Size(); break;
  }
  std::int64_t target = 0;
  if (__builtin_add_overflow(base, offset, &target)) target = offset < 0 ? 0 : Size();
  position_ = std::clamp<std::int64_t>(target, 0, Size());
  return position_;
}

std::size_t TZkBigFileStream::Write(const void* buffer, std::size_t count) {
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  std::size_t total = 0;
  auto left = static_cast<std::int64_t>(count);
  auto index = static_cast<int>(position_ / volume_size_);
  while (left > 0) {
    // Volumes are made by writes, one after the other.
    while (static_cast<int>(volumes_.size()) < index) {
      if (!OpenVolume(static_cast<int>(volumes_.size()), true)) return total;
    }
    auto* volume = OpenVolume(index, index >= static_cast<int>(volumes_.size()));
    if (!volume) break;
    const std::int64_t at = position_ % volume_size_;
    const std::int64_t chunk = std::min(volume_size_ - at, left);
    const std::size_t written = volume->WriteAt(in, ToSize(chunk), at);
    total += written;
    position_ += static_cast<std::int64_t>(written);
    if (static_cast<std::int64_t>(written) != chunk) break;
    in += chunk;
    left -= chunk;
    ++index;
  }
  return total;
}

std::size_t TZkBigFileStream::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t total = 0;
  auto left = static_cast<std::int64_t>(count);
  auto index = static_cast<std::size_t>(position_ / volume_size_);
  while (left > 0 && index < volumes_.size()) {
    auto& volume = *volumes_[index];
    const std::int64_t at = position_ % volume_size_;
    const std::int64_t chunk = std::min(volume.size() - at, left);
    if (chunk <= 0) break;
    const std::size_t got = volume.ReadAt(out, ToSize(chunk), at);
    total += got;
    position_ += static_cast<std::int64_t>(got);
    // A file that shrank under us ends the read instead of spinning on it.
    if (static_cast<std::int64_t>(got) != chunk) break;
    out += chunk;
    left -= chunk;
    ++index;
  }
  return total;
}

void TZkBigFileStream::SetSize(std::int64_t size) {
  size = std::max<std::int64_t>(size, 0);
  for (std::size_t i = 0; i < volumes_.size(); ++i) {
    const std::int64_t want = std::clamp<std::int64_t>(size - static_cast<std::int64_t>(i) * volume_size_, 0, volume_size_);
    if (volumes_[i]->size() != want) volumes_[i]->Truncate(want);
  }
  if (position_ > Size()) position_ = Size();
}

// --- TZkBigMemoryStream ------------------------------------------------------------------------

std::int64_t TZkBigMemoryStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  if (auto* other = dynamic_cast<TZkBigMemoryStream*>(&source)) {
    const std::int64_t position = other->Position();
    const std::int64_t n = std::clamp<std::int64_t>(other->Size() - position, 0, count);
    const std::size_t put = Write(other->Memory() + position, ToSize(n));
    other->Seek(static_cast<std::int64_t>(put), SeekOrigin::kCurrent);
    return static_cast<std::int64_t>(put);
  }
  return TZkBigStream::CopyFrom(source, count);
}

void TZkBigMemoryStream::SaveToFile(const std::string& name) {
  ReplaceFileContent(HostPathForCreate(name), memory_.Memory(), ToSize(memory_.Size()));
}

void TZkBigMemoryStream::LoadFromFile(const std::string& name) {
  TZkBigFileStream file(name, fmOpenRead | fmShareDenyWrite);
  memory_.Clear();
  memory_.SetSize(file.Size());
  file.ReadBuffer(memory_.Memory(), ToSize(memory_.Size()));
  memory_.SetPosition(0);
}

// --- TZkBigResourceStream ----------------------------------------------------------------------

TZkBigResourceStream::TZkBigResourceStream(const std::string& module_file, const std::string& resource_name,
                                           const std::string& resource_type)
    : module_file_(module_file), resource_name_(resource_name), resource_type_(resource_type) {
  const auto path = FindHostPath(module_file);
  if (!path) return;
  auto host = platform::HostFile::Open(*path, platform::HostFileMode::kRead);
  if (!host) return;
  file_ = std::make_unique<platform_bridge::VolumeFile>(std::move(host));
  const std::int64_t file_size = file_->size();
  const auto section = FindElfSection(
      [this](void* buffer, std::size_t count, std::uint64_t at) {
        return file_->ReadAt(buffer, count, static_cast<std::int64_t>(at));
      },
      static_cast<std::uint64_t>(file_size), ResourceSectionName(resource_type, resource_name));
  if (!section) return;
  offset_ = static_cast<std::int64_t>(section->offset);
  size_ = static_cast<std::int64_t>(section->size);
}

TZkBigResourceStream::~TZkBigResourceStream() = default;

std::size_t TZkBigResourceStream::Read(void* buffer, std::size_t count) {
  if (!file_ || position_ >= size_) return 0;
  const auto n = ToSize(std::min<std::int64_t>(static_cast<std::int64_t>(count), size_ - position_));
  const std::size_t got = file_->ReadAt(buffer, n, offset_ + position_);
  position_ += static_cast<std::int64_t>(got);
  return got;
}

std::int64_t TZkBigResourceStream::Seek(std::int64_t offset, SeekOrigin origin) {
  std::int64_t base = 0;
  switch (origin) {
    case SeekOrigin::kBegin: base = 0; break;
    case SeekOrigin::kCurrent: base = position_; break;
    case SeekOrigin::kEnd: base = size_; break;
  }
  std::int64_t target = 0;
  if (__builtin_add_overflow(base, offset, &target)) target = offset < 0 ? 0 : size_;
  position_ = std::clamp<std::int64_t>(target, 0, size_);
  return position_;
}

// --- TZkBuffBigStream --------------------------------------------------------------------------

TZkBuffBigStream::TZkBuffBigStream(TZkBigStream& big) : big_(big) {}

TZkBuffBigStream::~TZkBuffBigStream() {
  const std::size_t unread = buffer_.size() - used_;
  if (unread > 0) big_.Seek(-static_cast<std::int64_t>(unread), SeekOrigin::kCurrent);
}

std::size_t TZkBuffBigStream::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    if (used_ == buffer_.size()) {
      const std::int64_t left = big_.Size() - big_.Position();
      const std::size_t want = ToSize(std::min<std::int64_t>(left, static_cast<std::int64_t>(kBufferBytes)));
      buffer_.resize(want);
      const std::size_t got = want > 0 ? big_.Read(buffer_.data(), want) : 0;
      buffer_.resize(got);
      used_ = 0;
      // The big stream has nothing more: stop rather than ask again.
      if (got == 0) break;
    }
    const std::size_t n = std::min(count - done, buffer_.size() - used_);
    std::memcpy(out + done, buffer_.data() + used_, n);
    used_ += n;
    done += n;
  }
  return done;
}

std::int64_t TZkBuffBigStream::Seek(std::int64_t, SeekOrigin) {
  return big_.Position() - static_cast<std::int64_t>(buffer_.size() - used_);
}

}  // namespace vorn
