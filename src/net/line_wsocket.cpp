#include "net/line_wsocket.h"

#include <algorithm>
#include <cstring>

#include "net/net_pump.h"

namespace vorn {

TCustomLineWSocket::TCustomLineWSocket(std::function<void(TCustomWSocket*)> release)
    : TCustomSocksWSocket(std::move(release)) {}

void TCustomLineWSocket::ResetSocket() {
  TCustomSocksWSocket::ResetSocket();
  held_start_ = held_end_ = scanned_ = pending_ = 0;
}

void TCustomLineWSocket::SetLineMode(bool value) {
  if (value == line_mode_) return;
  line_mode_ = value;
  pending_ = 0;
  scanned_ = held_start_;
  if (HeldCount() == 0) return;
  PostTask([](TCustomWSocket& socket) { static_cast<TCustomLineWSocket&>(socket).LineModeChanged(); });
}

void TCustomLineWSocket::LineModeChanged() {
  std::weak_ptr<TCustomWSocket*> alive = AliveToken();
  if (line_mode_) {
    DeliverLines();
    if (!alive.expired()) CheckLineLimit();
    return;
  }
  while (HeldCount() > 0 && OnDataAvailable) {
    const std::size_t before = HeldCount();
    OnDataAvailable(*this, 0);
    if (alive.expired() || HeldCount() == before) return;
  }
}

long TCustomLineWSocket::RcvdCount() {
  if (line_mode_) return static_cast<long>(pending_);
  if (HeldCount() > 0) return static_cast<long>(HeldCount());
  return TCustomSocksWSocket::RcvdCount();
}

int TCustomLineWSocket::Receive(void* buffer, int size) {
  if (size <= 0) return 0;
  std::size_t available = 0;
  if (line_mode_) {
    available = pending_;
  } else {
    available = HeldCount();
  }
  if (available == 0) return TCustomSocksWSocket::Receive(buffer, size);
  const std::size_t count = std::min(available, static_cast<std::size_t>(size));
  std::memcpy(buffer, buffer_.data() + held_start_, count);
  Consume(count);
  if (line_mode_) pending_ -= count;
  return static_cast<int>(count);
}

void TCustomLineWSocket::MakeRoom(std::size_t count) {
  if (buffer_.size() - held_end_ >= count) return;
  if (held_start_ > 0) {
    const std::size_t held = HeldCount();
    std::memmove(buffer_.data(), buffer_.data() + held_start_, held);
    scanned_ -= held_start_;
    held_start_ = 0;
    held_end_ = held;
  }
  if (buffer_.size() - held_end_ < count) buffer_.resize(held_end_ + count);
}

void TCustomLineWSocket::Consume(std::size_t count) {
  held_start_ += count;
  if (held_start_ >= held_end_) {
    held_start_ = held_end_ = scanned_ = 0;
    return;
  }
  scanned_ = std::max(scanned_, held_start_);
}

bool TCustomLineWSocket::ReadIntoLineBuffer() {
  int error = 0;
  const long waiting = Net().sockets->Available(Handle(), error);
  if (waiting < 0) {
    SetLastError(error);
    return false;
  }
  const std::size_t want = waiting == 0 ? 255 : static_cast<std::size_t>(waiting);
  std::string echo;
  if (LineEdit) {
    std::vector<char> raw(want);
    const int count = TCustomSocksWSocket::Receive(raw.data(), static_cast<int>(want));
    if (count <= 0) return false;
    if (LineEcho) echo.assign(raw.data(), static_cast<std::size_t>(count));
    AppendEdited(raw.data(), static_cast<std::size_t>(count));
  } else {
    MakeRoom(want + 1);
    const int count = TCustomSocksWSocket::Receive(buffer_.data() + held_end_, static_cast<int>(want));
    if (count <= 0) return false;
    if (LineEcho) echo.assign(buffer_.data() + held_end_, static_cast<std::size_t>(count));
    held_end_ += static_cast<std::size_t>(count);
  }
  // The echo may fail and close the connection; the bytes are held by then.
  if (!echo.empty() && State() == TSocketState::wsConnected) SendStr(echo);
  return true;
}

void TCustomLineWSocket::AppendEdited(const char* data, std::size_t count) {
  MakeRoom(count * 8 + 1);
  // An edit never reaches back into a whole line already held.
  const auto line_start = [this] {
    const std::size_t floor = held_start_ + pending_;
    const char last = LineEnd.empty() ? '\n' : LineEnd.back();
    for (std::size_t i = held_end_; i > floor; --i) {
      if (buffer_[i - 1] == last) return i;
    }
    return floor;
  };
  for (std::size_t i = 0; i < count; ++i) {
    const char c = data[i];
    if (c == '\b') {
      if (held_end_ > line_start()) --held_end_;
      scanned_ = std::min(scanned_, held_end_);
    } else if (c == '\t') {
      const std::size_t spaces = 8 - (held_end_ - line_start()) % 8;
      std::memset(buffer_.data() + held_end_, ' ', spaces);
      held_end_ += spaces;
    } else {
      buffer_[held_end_++] = c;
    }
  }
}

void TCustomLineWSocket::DeliverLines() {
  std::weak_ptr<TCustomWSocket*> alive = AliveToken();
  while (line_mode_ && !LineEnd.empty() && HeldCount() > 0) {
    if (pending_ == 0) {
      const std::size_t end_size = LineEnd.size();
      const char* base = buffer_.data();
      std::size_t at = std::max(scanned_, held_start_);
      std::size_t found = held_end_;
      while (at + end_size <= held_end_) {
        const void* hit = std::memchr(base + at, LineEnd[0], held_end_ - at - end_size + 1);
        if (hit == nullptr) break;
        at = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
        if (std::memcmp(base + at, LineEnd.data(), end_size) == 0) {
          found = at;
          break;
        }
        ++at;
      }
      if (found == held_end_) {
        // A line end may still be arriving: its first bytes are looked at again next time.
        scanned_ = held_end_ - held_start_ >= end_size ? held_end_ - end_size + 1 : held_start_;
        return;
      }
      pending_ = found + end_size - held_start_;
      scanned_ = found + end_size;
    }
    OfferPendingLine();
    if (alive.expired() || pending_ > 0) return;
  }
}

void TCustomLineWSocket::OfferPendingLine() {
  if (!OnDataAvailable) {
    // Nobody reads lines: each is dropped.
    const std::size_t count = pending_;
    pending_ = 0;
    Consume(count);
    return;
  }
  std::weak_ptr<TCustomWSocket*> alive = AliveToken();
  while (pending_ > 0) {
    const std::size_t before = pending_;
    OnDataAvailable(*this, 0);
    // A reader that takes nothing leaves the line pending for the next time data comes.
    if (alive.expired() || pending_ == before) return;
  }
}

void TCustomLineWSocket::CheckLineLimit() {
  if (LineLimit <= 0 || HeldCount() <= static_cast<std::size_t>(LineLimit)) return;
  bool clear = true;
  if (OnLineLimitExceeded) {
    std::weak_ptr<TCustomWSocket*> alive = AliveToken();
    OnLineLimitExceeded(*this, static_cast<long>(HeldCount()), clear);
    if (alive.expired()) return;
  }
  if (clear) held_start_ = held_end_ = scanned_ = pending_ = 0;
}

bool TCustomLineWSocket::TriggerDataAvailable(int error) {
  if (!line_mode_ || LineEnd.empty() || SocksNegotiating()) return TCustomSocksWSocket::TriggerDataAvailable(error);
  std::weak_ptr<TCustomWSocket*> alive = AliveToken();
  if (!ReadIntoLineBuffer() || alive.expired()) return true;
  DeliverLines();
  if (!alive.expired()) CheckLineLimit();
  return true;
}

void TCustomLineWSocket::TriggerSessionClosed(int error) {
  if (line_mode_ && !LineEnd.empty() && HeldCount() > 0) {
    std::weak_ptr<TCustomWSocket*> alive = AliveToken();
    DeliverLines();
    if (alive.expired()) return;
    // What is left has no line end: it goes out as the last line.
    if (line_mode_ && HeldCount() > 0) {
      pending_ = HeldCount();
      OfferPendingLine();
      if (alive.expired()) return;
    }
  }
  TCustomSocksWSocket::TriggerSessionClosed(error);
}

}  // namespace vorn
