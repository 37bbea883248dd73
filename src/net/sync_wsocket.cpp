#include <chrono>

#include "net/net_pump.h"
#include "net/wsocket.h"

namespace vorn {

int TCustomSyncWSocket::WaitUntilReady(std::uint8_t& flag, const std::function<void()>& start,
                                       std::uint32_t timeout_ms) {
  flag = 0;
  if (start) start();
  NetServices& net = Net();
  NetPump& pump = NetPump::Instance();
  const std::uint32_t started = net.clock->TimeGetTime();
  while (flag == 0) {
    // Unsigned difference: the millisecond clock wraps.
    if (timeout_ms > 0 && net.clock->TimeGetTime() - started >= timeout_ms) return kWaitGaveUp;
    if ((net.terminating != nullptr && net.terminating()) || pump.terminated()) return kWaitGaveUp;
    if (!pump.ProcessMessages()) pump.Wait(std::chrono::milliseconds(10));
  }
  return 0;
}

}  // namespace vorn
