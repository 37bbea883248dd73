#pragma once

#include <cstdint>
#include <functional>

#include "net/line_wsocket.h"

namespace vorn {

// WaitUntilReady's answer when it gave up (time out, or the player is ending).
inline constexpr int kWaitGaveUp = 12001;

// A socket whose caller can wait, inside one step, for a flag that its events set.
class TCustomSyncWSocket : public TCustomLineWSocket {
 public:
  using TCustomLineWSocket::TCustomLineWSocket;

  // Clears `flag`, calls `start` (when given), then services sockets and tasks until `flag` is
  // not 0 (answers 0), or until `timeout_ms` (0: none) passed on the clock, the player is
  // terminating or the pump met a quit request (answers kWaitGaveUp). Between passes it sleeps
  // on the loop's wake-up for at most 10 ms.
  int WaitUntilReady(std::uint8_t& flag, const std::function<void()>& start, std::uint32_t timeout_ms);
};

// The socket as its users see it.
class TWSocket : public TCustomSyncWSocket {
 public:
  using TCustomSyncWSocket::TCustomSyncWSocket;
};

}  // namespace vorn
