#include "foundation/file_stream.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vorn {
namespace {

std::string Reason() { return std::strerror(errno); }

}  // namespace

TFileStream::TFileStream(std::string path, FileMode mode) : path_(std::move(path)) {
  const char* flags = "rb";
  switch (mode) {
    case FileMode::kCreate: flags = "w+b"; can_read_ = can_write_ = true; break;
    case FileMode::kOpenRead: flags = "rb"; can_read_ = true; break;
    case FileMode::kOpenWrite: flags = "r+b"; can_write_ = true; break;
    case FileMode::kOpenReadWrite: flags = "r+b"; can_read_ = can_write_ = true; break;
  }
  // A directory opens fine with fopen on some systems but is no file.
  std::error_code ec;
  if (mode != FileMode::kCreate && std::filesystem::is_directory(path_, ec)) {
    throw EFOpenError("Cannot open file \"" + path_ + "\". Is a directory");
  }
  file_ = std::fopen(path_.c_str(), flags);
  if (file_ == nullptr) {
    if (mode == FileMode::kCreate) throw EFCreateError("Cannot create file \"" + path_ + "\". " + Reason());
    throw EFOpenError("Cannot open file \"" + path_ + "\". " + Reason());
  }
}

TFileStream::~TFileStream() {
  if (file_ != nullptr) std::fclose(file_);
}

void TFileStream::SwitchTo(LastOp op) {
  // C streams need a positioning call between a read and a following write, and back.
  if (last_ != LastOp::kNone && last_ != op) std::fseek(file_, 0, SEEK_CUR);
  last_ = op;
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  if (!can_read_ || count == 0) return 0;
  SwitchTo(LastOp::kRead);
  return std::fread(buffer, 1, count, file_);
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  if (!can_write_ || count == 0) return 0;
  SwitchTo(LastOp::kWrite);
  return std::fwrite(buffer, 1, count, file_);
}

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
  int whence = SEEK_SET;
  switch (origin) {
    case SeekOrigin::kBegin: whence = SEEK_SET; break;
    case SeekOrigin::kCurrent: whence = SEEK_CUR; break;
    case SeekOrigin::kEnd: whence = SEEK_END; break;
  }
  if (std::fseek(file_, static_cast<long>(offset), whence) != 0) {
    // A target before the start stays at the start, as with memory streams.
    if (origin != SeekOrigin::kBegin || offset < 0) std::fseek(file_, 0, SEEK_SET);
  }
  last_ = LastOp::kNone;
  return static_cast<std::int64_t>(std::ftell(file_));
}

std::int64_t TFileStream::Size() const {
  const long here = std::ftell(file_);
  std::fseek(file_, 0, SEEK_END);
  const long end = std::ftell(file_);
  std::fseek(file_, here, SEEK_SET);
  const_cast<TFileStream*>(this)->last_ = LastOp::kNone;
  return static_cast<std::int64_t>(end);
}

void TFileStream::SetSize(std::int64_t size) {
  if (!can_write_ || size < 0) throw EWriteError("Stream write error");
  Flush();
  const std::int64_t position = Position();
  std::error_code ec;
  std::filesystem::resize_file(path_, static_cast<std::uintmax_t>(size), ec);
  if (ec) throw EWriteError("Stream write error: " + path_);
  SetPosition(position > size ? size : position);
}

void TFileStream::Flush() {
  if (std::fflush(file_) != 0) throw EWriteError("Stream write error: " + path_);
}

}  // namespace vorn
