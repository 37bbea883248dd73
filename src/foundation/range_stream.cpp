#include "foundation/range_stream.h"

#include <algorithm>
#include <cstdint>

#include "foundation/host_names.h"
#include "platform/host_file.h"

namespace vorn {
namespace {

std::unique_ptr<TZkBigStream> OpenFile(const std::string& file_name) {
  return std::make_unique<TZkBigFileStream>(file_name, fmOpenRead | fmShareDenyWrite);
}

TRangeWindow WholeWhenEmpty(TRangeWindow window, const TZkBigStream& big, TRangeSizeRule rule) {
  if (window.size == 0 && rule == TRangeSizeRule::kZeroMeansWholeFile) window.size = std::min(big.Size(), INT64_MAX - window.start);
  return window;
}

std::string OwnModule() { return SystemNameOfHostPath(platform::SelfExecutablePath()); }

}  // namespace

TRangeStream::TRangeStream(std::unique_ptr<TZkBigStream> big, TRangeWindow window)
    : big_(std::move(big)), window_(window) {
  window_.start = std::max<std::int64_t>(window_.start, 0);
  window_.size = std::max<std::int64_t>(window_.size, 0);
  if (window_.size > INT64_MAX - window_.start) window_.size = INT64_MAX - window_.start;
  big_->SetPosition(window_.start);
}

std::int64_t TRangeStream::Seek(std::int64_t offset, SeekOrigin origin) {
  std::lock_guard guard(lock_);
  const std::int64_t start = window_.start;
  const std::int64_t end = window_.start + window_.size;
  std::int64_t target = big_->Position();
  bool overflow = false;
  switch (origin) {
    case SeekOrigin::kBegin: overflow = __builtin_add_overflow(start, offset, &target); break;
    case SeekOrigin::kCurrent: overflow = __builtin_add_overflow(big_->Position(), offset, &target); break;
    case SeekOrigin::kEnd: overflow = __builtin_add_overflow(end, offset, &target); break;
  }
  if (overflow) target = offset < 0 ? start : end;
  target = std::clamp(target, start, end);
  big_->SetPosition(target);
  return big_->Position() - start;
}

std::size_t TRangeStream::Read(void* buffer, std::size_t count) {
  std::lock_guard guard(lock_);
  const std::int64_t end = window_.start + window_.size;
  const std::int64_t position = big_->Position();
  const std::int64_t left = end - position;
  if (left <= 0 || count == 0) return 0;
  const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(std::min<std::size_t>(count, INT64_MAX))));
  return big_->Read(buffer, n);
}

TFileRangeStream::TFileRangeStream(const std::string& file_name, TRangeWindow window, TRangeSizeRule rule)
    : TRangeStream(OpenFile(file_name), window) {
  window_ = WholeWhenEmpty(window_, *big_, rule);
}

TResourceRangeStream::TResourceRangeStream(const std::string& resource_name, TRangeWindow window,
                                           const std::string& resource_type, const std::string& module_file,
                                           TRangeSizeRule rule)
    : TRangeStream(std::make_unique<TZkBigResourceStream>(module_file.empty() ? OwnModule() : module_file,
                                                          resource_name, resource_type),
                   window) {
  window_ = WholeWhenEmpty(window_, *big_, rule);
}

}  // namespace vorn
