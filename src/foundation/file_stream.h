#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/errors.h"
#include "foundation/stream.h"

namespace vorn {

// A file cannot be opened or created. The message names the file.
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};
class EFCreateError : public EFOpenError {
 public:
  using EFOpenError::EFOpenError;
};

enum class FileMode {
  kCreate,     // create or truncate, then read and write
  kOpenRead,   // existing file, read only
  kOpenWrite,  // existing file, write only (kept for symmetry; reads fail)
  kOpenReadWrite,
};

// A stream over a host file, addressed by its native path (the platform file layer maps the
// system's "\" names onto native ones before they get here).
class TFileStream : public TStream {
 public:
  TFileStream(std::string path, FileMode mode);
  ~TFileStream() override;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() const override;
  void SetSize(std::int64_t size) override;

  const std::string& FileName() const { return path_; }
  // Pushes buffered bytes to the operating system; raises EWriteError when that fails.
  void Flush();

 private:
  enum class LastOp { kNone, kRead, kWrite };
  void SwitchTo(LastOp op);

  std::string path_;
  std::FILE* file_ = nullptr;
  bool can_read_ = false;
  bool can_write_ = false;
  LastOp last_ = LastOp::kNone;
};

}  // namespace vorn
