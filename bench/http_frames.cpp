// Frames of a scene while a download (1 MiB, 20 MiB) comes in over loopback, against the same
// frames with no download: FramesDuringDownload/20 MiB should stay within 1.5 times FramesIdle.
// A frame is what the player's frame loop does: one service pass of the sockets, the scene's input
// step, tick and the paint of a whole layer of filled controls. The server runs on its own
// threads, as a real server would run in its own process.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "components/vorn_base_list.h"
#include "components/vorn_control.h"
#include "components/vorn_http.h"
#include "graphics/memory_dibx.h"
#include "net/net_pump.h"
#include "platform/http_script_server.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kControls = 100;

class TFilledControl : public vorn::TVornControl {
 public:
  using TVornControl::TVornControl;
  void Paint() override {
    if (vorn::TCustomDIBX* surface = GetSurface()) surface->FillRect(GetScreenRect(), pixel);
  }
  std::uint32_t pixel = 0;
};

class TSceneScreen final : public vorn::TSceneScreen {
 public:
  explicit TSceneScreen(vorn::TCustomDIBX& surface) : surface_(surface) {}
  vorn::TCustomDIBX* GetSurface() const override { return &surface_; }
  int GetBitCount() const override { return 32; }
  bool IsFullScreen() const override { return false; }

 private:
  vorn::TCustomDIBX& surface_;
};

struct TFrameScene {
  TFrameScene() : surface(kWidth, kHeight, 32), screen(surface) {
    scene.SetScreen(&screen);
    scene.SetWidth(kWidth);
    scene.SetHeight(kHeight);
    for (int i = 0; i < kControls; ++i) {
      auto* control = vorn::CreateObject<TFilledControl>(scene);
      control->SetParent(scene.ActiveLayer());
      const int left = (i * 37) % (kWidth - 40);
      const int top = (i * 53) % (kHeight - 30);
      control->SetBounds(left, top, 40, 30);
      control->pixel = static_cast<std::uint32_t>(i * 0x010203);
    }
  }
  void Frame() {
    vorn::NetPump::Instance().Service();
    scene.ProcessInput();
    scene.Tick();
    scene.ActiveLayer()->InvalidateAll();
    scene.Paint();
    scene.ActiveLayer()->DirtyRects().Clear();
  }
  vorn::TMemoryDIBX surface;
  TSceneScreen screen;
  vorn::TVornBaseList scene;
};

void FramesIdle(benchmark::State& state) {
  TFrameScene frames;
  for (auto _ : state) frames.Frame();
}
BENCHMARK(FramesIdle);

void FramesDuringDownload(benchmark::State& state) {
  const std::string reply = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(state.range(0)) + "\r\n\r\n" +
                            std::string(static_cast<std::size_t>(state.range(0)), 'x');
  vorn::test::ScriptServer server({{vorn::test::Send(reply)}});
  const std::string url = "http://127.0.0.1:" + server.port_text() + "/body";
  TFrameScene frames;
  auto* http = vorn::CreateObject<vorn::TVornHttp>(frames.scene);
  std::int64_t downloads = 0;
  for (auto _ : state) {
    if (!http->GetBusy()) {
      state.PauseTiming();
      http->SetSource(url);
      ++downloads;
      state.ResumeTiming();
    }
    frames.Frame();
  }
  state.counters["downloads"] = static_cast<double>(downloads);
  frames.scene.DeleteObject(http);
}
BENCHMARK(FramesDuringDownload)->Arg(1 << 20)->Arg(20 << 20);

}  // namespace
