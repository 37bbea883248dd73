// Receiving over the scripted headless sockets, so the numbers are the client's own work.
// Targets: HttpBody (a 20 MiB body into ReceiveStream) at most 3x AppendPieces (the same 8 KiB
// reads copied out of the reply and appended to a memory stream). HttpHeader and LineMode: the time
// per byte of a 512 KiB header of short lines within 1.5x of that of a 256 KiB one (nothing held is
// scanned twice).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/scoped_seam.h"
#include "foundation/stream.h"
#include "net/http_cli.h"
#include "net/net_pump.h"
#include "net/wsocket.h"
#include "platform/main_thread_tasks.h"
#include "platform/resolver.h"
#include "platform/scripted_sockets.h"

namespace {

constexpr std::size_t kBodyBytes = 20u << 20;
constexpr std::size_t kPieceBytes = 64u << 10;
constexpr std::size_t kReadBytes = 8192;

// The net library on scripted sockets for one measured request.
struct ScriptedNet {
  ScriptedNet() : resolver(tasks) {
    services = vorn::Net();
    services.sockets = &sockets;
    services.resolver = &resolver;
    services.tasks = &tasks;
    seam.Install(&services);
  }
  void PumpUntil(const std::function<bool()>& done) {
    vorn::NetPump& pump = vorn::NetPump::Instance();
    for (int pass = 0; pass < 1000000 && !done(); ++pass) pump.ProcessMessages();
  }
  vorn::platform::ScriptedSocketApi sockets;
  vorn::platform::MainThreadTasks tasks;
  vorn::platform::TableResolver resolver;
  vorn::NetServices services;
  vorn::ScopedSeam<vorn::NetServices> seam{vorn::ExchangeNetServices};
};

std::vector<std::string> Pieces(const std::string& bytes) {
  std::vector<std::string> pieces;
  for (std::size_t at = 0; at < bytes.size(); at += kPieceBytes) pieces.push_back(bytes.substr(at, kPieceBytes));
  return pieces;
}

const std::string& Body() {
  static const std::string body = [] {
    std::string text(kBodyBytes, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 131 + (i >> 11));
    return text;
  }();
  return body;
}

std::string HeaderOf(std::size_t bytes) {
  std::string header = "HTTP/1.0 200 OK\r\n";
  for (int n = 0; header.size() < bytes; ++n) header += "X-Field-" + std::to_string(n) + ": some value\r\n";
  return header + "\r\n";
}

void HttpBody(benchmark::State& state) {
  const std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n" + Body();
  for (auto _ : state) {
    state.PauseTiming();
    ScriptedNet net;
    net.sockets.QueueReply(Pieces(reply));
    vorn::TMemoryStream stream;
    vorn::THttpCli client;
    client.ReceiveStream = &stream;
    client.URL = "http://10.0.0.1/big";
    state.ResumeTiming();
    client.StartRequest(vorn::THttpRequest::httpGET);
    net.PumpUntil([&] { return client.State() == vorn::THttpState::httpReady; });
    benchmark::DoNotOptimize(stream.Size());
    if (stream.Size() != static_cast<std::int64_t>(kBodyBytes)) state.SkipWithError("body incomplete");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodyBytes));
}
BENCHMARK(HttpBody)->Unit(benchmark::kMillisecond);

void AppendPieces(benchmark::State& state) {
  const std::string& body = Body();
  std::vector<char> read(kReadBytes + 1);
  for (auto _ : state) {
    vorn::TMemoryStream stream;
    for (std::size_t at = 0; at < body.size(); at += kReadBytes) {
      const std::size_t count = std::min(kReadBytes, body.size() - at);
      std::memcpy(read.data(), body.data() + at, count);
      stream.WriteBuffer(read.data(), count);
    }
    benchmark::DoNotOptimize(stream.Size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodyBytes));
}
BENCHMARK(AppendPieces)->Unit(benchmark::kMillisecond);

void HttpHeader(benchmark::State& state) {
  const std::string reply = HeaderOf(static_cast<std::size_t>(state.range(0)) << 10);
  for (auto _ : state) {
    state.PauseTiming();
    ScriptedNet net;
    net.sockets.QueueReply(Pieces(reply));
    vorn::THttpCli client;
    client.URL = "http://10.0.0.1/";
    state.ResumeTiming();
    client.StartRequest(vorn::THttpRequest::httpGET);
    net.PumpUntil([&] { return client.State() == vorn::THttpState::httpReady; });
    if (client.ResponseStatus != 200) state.SkipWithError("header not read");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(HttpHeader)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond);

void LineMode(benchmark::State& state) {
  const std::string reply = HeaderOf(static_cast<std::size_t>(state.range(0)) << 10);
  for (auto _ : state) {
    state.PauseTiming();
    ScriptedNet net;
    net.sockets.QueueReply(Pieces(reply));
    vorn::TWSocket socket;
    socket.SetLineMode(true);
    std::size_t got = 0;
    char line[256];
    socket.OnDataAvailable = [&](vorn::TCustomWSocket& s, int) {
      const int count = s.Receive(line, sizeof line);
      if (count > 0) got += static_cast<std::size_t>(count);
    };
    socket.SetAddr("10.0.0.1");
    socket.SetPort("80");
    state.ResumeTiming();
    socket.Connect();
    net.PumpUntil([&] { return socket.State() == vorn::TSocketState::wsClosed; });
    if (got != reply.size()) state.SkipWithError("lines incomplete");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(LineMode)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond);

}  // namespace
