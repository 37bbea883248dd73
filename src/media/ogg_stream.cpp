#include "media/ogg_stream.h"

#include <algorithm>
#include <array>

#include "foundation/system_texts.h"

namespace vorn {

TOggStream::TOggStream(TVornLibrary& library, TStream& source, bool is_ogg)
    : library_(library), handle_(library.vornOggStrmanAdd(&source, is_ogg)) {
  std::array<std::uint8_t, PcmFormat::kRecordBytes> record{};
  if (!library_.vornOggStrGetFormat(handle_, record.data())) {
    library_.vornOggStrmanDel(handle_);
    throw ESoundDataError(std::string(texts::kSoundDataInvalid));
  }
  format_ = PcmFormat::FromRecord(record.data());
}

TOggStream::~TOggStream() { library_.vornOggStrmanDel(handle_); }

std::size_t TOggStream::Read(void* buffer, std::size_t count) {
  if (count == 0) return 0;
  const auto wanted = static_cast<std::int32_t>(std::min<std::size_t>(count, INT32_MAX));
  const std::int32_t got = library_.vornOggStrRead(handle_, buffer, wanted);
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

std::int64_t TOggStream::Seek(std::int64_t offset, SeekOrigin origin) {
  const std::int64_t size = library_.vornOggStrGetSize(handle_);
  std::int64_t target = offset;
  if (origin == SeekOrigin::kCurrent) target += library_.vornOggStrGetPos(handle_);
  if (origin == SeekOrigin::kEnd) target += size;
  target = std::clamp<std::int64_t>(target, 0, size);
  return library_.vornOggStrSetPos(handle_, static_cast<std::int32_t>(target));
}

std::int64_t TOggStream::Size() const { return library_.vornOggStrGetSize(handle_); }

std::int32_t TOggStream::GetLength() const { return library_.vornOggStrGetLen(handle_); }

bool TOggStream::GetFormat(PcmFormat& format) const {
  std::array<std::uint8_t, PcmFormat::kRecordBytes> record{};
  if (!library_.vornOggStrGetFormat(handle_, record.data())) return false;
  format = PcmFormat::FromRecord(record.data());
  return true;
}

}  // namespace vorn
