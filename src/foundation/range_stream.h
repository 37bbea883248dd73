#pragma once

// Read-only windows onto a file or a resource section: how the media library reads a sound or
// movie member in place, from threads of its own. Each range stream owns its own big stream (its
// own descriptor) and its own lock, so it never shares a position with anyone.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "foundation/big_stream.h"

namespace vorn {

// Start and size of a window, given by name ({.start = a, .size = b}) so that the two can never
// be swapped without the compiler noticing.
struct TRangeWindow {
  std::int64_t start = 0;
  std::int64_t size = 0;
};

// Size 0 means "the file's whole size" for windows on plain files; an archive member of size 0
// must stay empty.
enum class TRangeSizeRule { kZeroMeansWholeFile, kExact };

class TRangeStream : public TStream {
 public:
  TRangeStream(std::unique_ptr<TZkBigStream> big, TRangeWindow window);

  // Clamped to the window; returns the window position.
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  // Stops at the window's end.
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void*, std::size_t) override { return 0; }
  std::int64_t Size() const override { return window_.size; }
  void SetSize(std::int64_t) override {}

  TRangeWindow Window() const { return window_; }

 protected:
  std::unique_ptr<TZkBigStream> big_;
  TRangeWindow window_;
  std::mutex lock_;
};

// A window on a file opened for reading (Windows' deny-write share mode has no Linux
// counterpart; the player never writes an archive it reads). Size 0 means the file's whole size:
// the window is start .. start + file size. Raises EFOpenError naming the file.
class TFileRangeStream : public TRangeStream {
 public:
  TFileRangeStream(const std::string& file_name, TRangeWindow window,
                   TRangeSizeRule rule = TRangeSizeRule::kZeroMeansWholeFile);
};

// A window on a resource section of a module, by default the running program.
class TResourceRangeStream : public TRangeStream {
 public:
  TResourceRangeStream(const std::string& resource_name, TRangeWindow window, const std::string& resource_type,
                       const std::string& module_file = std::string(),
                       TRangeSizeRule rule = TRangeSizeRule::kZeroMeansWholeFile);
};

}  // namespace vorn
