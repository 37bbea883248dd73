#include "net/net_pump.h"

#include <algorithm>
#include <exception>

#include "net/custom_wsocket.h"

namespace vorn {

namespace {

NetServices& HostServices() {
  static platform::SystemClock clock;
  static NetServices services{&platform::HostSockets(), &platform::HostResolver(), &platform::MainTasks(), &clock,
                              nullptr};
  return services;
}

NetServices* installed = nullptr;

}  // namespace

NetServices& Net() { return installed != nullptr ? *installed : HostServices(); }

NetServices* ExchangeNetServices(NetServices* services) {
  NetServices* previous = installed;
  installed = services;
  return previous;
}

NetPump& NetPump::Instance() {
  static NetPump pump;
  return pump;
}

void NetPump::Register(TCustomWSocket* socket) { sockets_.push_back(socket); }

void NetPump::Unregister(TCustomWSocket* socket) { std::erase(sockets_, socket); }

bool NetPump::Registered(const TCustomWSocket* socket) const {
  return std::find(sockets_.begin(), sockets_.end(), socket) != sockets_.end();
}

bool NetPump::SocketPass(int timeout_ms) {
  std::vector<platform::PollEntry> entries;
  std::vector<TCustomWSocket*> owners;
  for (TCustomWSocket* socket : sockets_) {
    TCustomWSocket::PollWish wish;
    if (!socket->WantsPoll(wish)) continue;
    platform::PollEntry entry;
    entry.handle = socket->Handle();
    entry.want_read = wish.read;
    entry.want_write = wish.write;
    entries.push_back(entry);
    owners.push_back(socket);
  }
  // Nothing live: no system call at all.
  if (entries.empty()) return false;
  if (Net().sockets->Poll(entries, timeout_ms) <= 0) return false;
  bool handled = false;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const platform::PollEntry& entry = entries[i];
    if (!entry.readable && !entry.writable && !entry.error && !entry.hang_up) continue;
    // An earlier socket's handler may have freed this one.
    if (!Registered(owners[i]) || owners[i]->Handle() != entry.handle) continue;
    handled = true;
    try {
      owners[i]->HandlePoll(entry);
    } catch (const std::exception& error) {
      if (Registered(owners[i])) owners[i]->HandleBackgroundException(error);
    } catch (...) {
      if (Registered(owners[i])) owners[i]->HandleBackgroundException(std::runtime_error("unknown exception"));
    }
  }
  return handled;
}

bool NetPump::ProcessMessages() {
  NetServices& net = Net();
  // The quit request stays where it is for the main loop; a nested pump only learns of it.
  if (net.terminating != nullptr && net.terminating()) terminated_ = true;
  if (net.tasks->RunOne()) return true;
  return SocketPass(0);
}

void NetPump::MessageLoop() {
  // A socket whose reader leaves data waiting stays ready; the bound keeps one call finite.
  for (int pass = 0; pass < 1000 && ProcessMessages(); ++pass) {
  }
}

void NetPump::Service() {
  NetServices& net = Net();
  for (int task = 0; task < 1000 && net.tasks->RunOne(); ++task) {
  }
  SocketPass(0);
}

void NetPump::Wait(std::chrono::milliseconds limit) {
  NetServices& net = Net();
  if (net.tasks->Pending()) return;
  std::vector<platform::PollEntry> entries;
  for (TCustomWSocket* socket : sockets_) {
    TCustomWSocket::PollWish wish;
    if (!socket->WantsPoll(wish)) continue;
    platform::PollEntry entry;
    entry.handle = socket->Handle();
    entry.want_read = wish.read;
    entry.want_write = wish.write;
    entries.push_back(entry);
  }
  if (entries.empty()) {
    net.tasks->WaitFor(limit);
    return;
  }
  // Posts from other threads do not wake a poll, so a wait on sockets stays short.
  net.sockets->Poll(entries, static_cast<int>(std::min<std::chrono::milliseconds::rep>(limit.count(), 10)));
}

bool NetPump::Live() const {
  NetServices& net = Net();
  if (holds_ > 0 || net.tasks->Pending() || net.resolver->Busy()) return true;
  return std::any_of(sockets_.begin(), sockets_.end(), [](const TCustomWSocket* socket) { return socket->Live(); });
}

}  // namespace vorn
