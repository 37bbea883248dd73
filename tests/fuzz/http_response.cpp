// Any bytes as the answer of a server, handed to the HTTP client in pieces whose sizes the first
// four bytes choose: the request always comes back to Ready, the stream never grows past the body
// bound, and nothing reads out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/stream.h"
#include "net/http_cli.h"
#include "support/scripted_net.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kChoiceBytes = 4;
  constexpr std::int64_t kBodyBound = 1 << 20;
  if (size < kChoiceBytes) return 0;
  const char* reply = reinterpret_cast<const char*>(data) + kChoiceBytes;
  const std::size_t reply_size = size - kChoiceBytes;
  std::vector<std::string> pieces;
  for (std::size_t at = 0, turn = 0; at < reply_size; ++turn) {
    // 1 to 256 bytes, or a whole 8 KiB read when the choice byte is 0.
    const std::size_t choice = data[turn % kChoiceBytes];
    const std::size_t length = std::min(choice == 0 ? std::size_t{8192} : choice, reply_size - at);
    pieces.emplace_back(reply + at, length);
    at += length;
  }

  vorn::test::ScriptedNet net;
  net.sockets.QueueReply(std::move(pieces));
  net.resolver.AddHost("relocated.test", {0x0A000002});
  vorn::THttpCli client;
  vorn::TMemoryStream stream;
  client.ReceiveStream = &stream;
  client.SetLimitsForTest(64 << 10, kBodyBound);
  client.URL = "http://10.0.0.1/start";
  client.StartRequest(vorn::THttpRequest::httpGET);
  if (!net.PumpUntil([&] { return client.State() == vorn::THttpState::httpReady; })) __builtin_trap();
  if (stream.Size() > kBodyBound) __builtin_trap();
  net.PumpUntil([] { return false; }, 64);
  return 0;
}
