#include <algorithm>
#include <cstring>

#include "net/custom_wsocket.h"

namespace vorn {

TBuffer::TBuffer(int size) : data_(static_cast<std::size_t>(size <= 0 ? 1514 : size)) {}

int TBuffer::Write(const char* data, int length) {
  int taken = std::clamp(BufSize() - write_count_, 0, std::max(length, 0));
  if (taken > 0) std::memcpy(data_.data() + write_count_, data, static_cast<std::size_t>(taken));
  write_count_ += taken;
  return taken;
}

const char* TBuffer::Peek(int& length) const {
  length = write_count_ - read_count_;
  return data_.data() + read_count_;
}

void TBuffer::Remove(int n) {
  read_count_ += std::clamp(n, 0, Unread());
  if (read_count_ == write_count_) {
    read_count_ = 0;
    write_count_ = 0;
  }
}

void TBuffer::SetBufSize(int size) {
  if (size <= 0) size = 1514;
  data_.resize(static_cast<std::size_t>(std::max(size, write_count_)));
}

}  // namespace vorn
