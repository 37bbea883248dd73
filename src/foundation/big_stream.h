#pragma once

// The stream family of the archive code: 64-bit sizes and positions, a file form that spreads its
// bytes over volumes of 1 GiB, a memory form, a read-only resource form, and a read-ahead buffer.
// Every form is a TStream, so the stream encoding and CopyStream work on it unchanged.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/stream.h"

namespace vorn {

namespace platform_bridge {
class VolumeFile;
}

// The class library's file-mode word: access in the low bits, sharing in bits 4 to 7, create as
// all bits. Linux enforces no sharing modes; the player only reads archives, so none is needed.
using TFileModeWord = std::uint16_t;
constexpr TFileModeWord fmOpenRead = 0x0000;
constexpr TFileModeWord fmOpenWrite = 0x0001;
constexpr TFileModeWord fmOpenReadWrite = 0x0002;
constexpr TFileModeWord fmShareExclusive = 0x0010;
constexpr TFileModeWord fmShareDenyWrite = 0x0020;
constexpr TFileModeWord fmShareDenyNone = 0x0040;
constexpr TFileModeWord fmCreate = 0xFFFF;

class TZkBigStream : public TStream {
 public:
  std::int64_t GetSize() const { return Size(); }
  std::int64_t GetPosition() { return Position(); }

  // Copies count bytes from the source's position (count 0: the whole source from its start) and
  // returns the bytes copied. Works from any stream, big or not, through a buffer.
  virtual std::int64_t CopyFrom(TStream& source, std::int64_t count);
  // Copies count bytes from this stream's position to the target; returns the bytes copied.
  virtual std::int64_t CopyTo(TStream& target, std::int64_t count);
};

class TZkBigFileStream : public TZkBigStream {
 public:
  static constexpr std::int64_t kDefaultVolumeSize = 0x40000000;

  // name is a system name (CP932, "\" or "/"). fmCreate or write-only access deletes volumes
  // 0, 1, 2, ... up to the first missing one; reading modes open volumes until one is missing.
  // Raises EFOpenError (EFCreateError) naming the file when volume 0 cannot be opened.
  TZkBigFileStream(const std::string& name, TFileModeWord mode, std::int64_t volume_size = kDefaultVolumeSize);
  ~TZkBigFileStream() override;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  // Positions are clamped to 0 .. size.
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() const override;
  void SetSize(std::int64_t size) override;

  const std::string& FileName() const { return name_; }
  std::int64_t VolumeSize() const { return volume_size_; }
  int VolumeCount() const { return static_cast<int>(volumes_.size()); }

  // "name without extension" + "." + at least three digits; volume 0 is the name itself.
  static std::string VolumeName(const std::string& name, int index);

 private:
  platform_bridge::VolumeFile* OpenVolume(int index, bool create);

  std::string name_;
  TFileModeWord mode_;
  std::int64_t volume_size_;
  std::int64_t position_ = 0;
  std::vector<std::unique_ptr<platform_bridge::VolumeFile>> volumes_;
};

class TZkBigMemoryStream : public TZkBigStream {
 public:
  std::size_t Read(void* buffer, std::size_t count) override { return memory_.Read(buffer, count); }
  std::size_t Write(const void* buffer, std::size_t count) override { return memory_.Write(buffer, count); }
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override { return memory_.Seek(offset, origin); }
  std::int64_t Size() const override { return memory_.Size(); }
  void SetSize(std::int64_t size) override { memory_.SetSize(size); }

  std::int64_t CopyFrom(TStream& source, std::int64_t count) override;

  TMemoryStream& Inner() { return memory_; }
  std::uint8_t* Memory() { return memory_.Memory(); }

  // Writes a sibling temporary file, syncs it and renames it over the target, so that a failed
  // save leaves the old file whole. Raises EFCreateError / EWriteError naming the file.
  void SaveToFile(const std::string& name);
  void LoadFromFile(const std::string& name);

 private:
  TMemoryStream memory_;
};

// A read-only window on a module file: the bytes of its ".res.<type>.<name>" section. A missing
// section (or a module that is no readable ELF file) gives size 0.
class TZkBigResourceStream : public TZkBigStream {
 public:
  TZkBigResourceStream(const std::string& module_file, const std::string& resource_name,
                       const std::string& resource_type);
  ~TZkBigResourceStream() override;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void*, std::size_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() const override { return size_; }
  void SetSize(std::int64_t) override {}

  const std::string& ModuleFile() const { return module_file_; }
  const std::string& ResourceName() const { return resource_name_; }
  const std::string& ResourceType() const { return resource_type_; }
  // Position of the section's first byte in the module file.
  std::int64_t FileOffset() const { return offset_; }

 private:
  std::string module_file_;
  std::string resource_name_;
  std::string resource_type_;
  std::unique_ptr<platform_bridge::VolumeFile> file_;
  std::int64_t offset_ = 0;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};

// Reads a big stream ahead in pieces of 102,400 bytes. When it is destroyed the big stream is set
// back to just after the last byte handed out.
class TZkBuffBigStream : public TZkBigStream {
 public:
  static constexpr std::size_t kBufferBytes = 102400;

  explicit TZkBuffBigStream(TZkBigStream& big);
  ~TZkBuffBigStream() override;

  // Fewer bytes than asked only at the big stream's end (ReadBuffer turns that into EReadError).
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void*, std::size_t) override { return 0; }
  // Only reports the position of the next byte to be handed out.
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() const override { return big_.Size(); }
  void SetSize(std::int64_t) override {}

 private:
  TZkBigStream& big_;
  std::vector<std::uint8_t> buffer_;
  std::size_t used_ = 0;
};

}  // namespace vorn
