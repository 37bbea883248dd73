#pragma once

#include <memory>
#include <string>
#include <thread>

#include "components/vorn_object.h"
#include "foundation/stream.h"
#include "foundation/vocabulary_codes.h"
#include "net/http_cli.h"

namespace vorn {

// Downloads a URL for a script: setting the source starts a GET whose waiting runs on a worker
// thread while the main thread services the connection; the end posts the play-end event, and
// the text is the body converted from EUC-JP with its lines joined by 0x01.
class TVornHttp : public TVornComponent {
 public:
  explicit TVornHttp(TVornBaseList* owner);
  ~TVornHttp() override;

  std::uint8_t GetCompoType() const override { return LT_HTTP; }
  std::string GetSource() const override { return client_->URL; }
  void SetSource(const std::string& value) override;
  std::string GetText() const override;
  std::string GetOnPlayEnd() const override { return on_play_end_; }
  void SetOnPlayEnd(const std::string& value) override { on_play_end_ = value; }
  // A download that never ends must not hold up the scene's teardown.
  void Destroying() override;

  std::string GetProxy() const;
  void SetProxy(const std::string& value);
  bool GetBusy() const { return worker_.joinable(); }
  TMemoryStream* GetContentStream() { return &response_; }
  THttpCli& Client() { return *client_; }

 private:
  void Completed();
  // Waits for the worker (which no longer waits on the network by then).
  void JoinWorker();

  std::unique_ptr<THttpCli> client_;
  TMemoryStream response_;
  std::string on_play_end_;
  std::thread worker_;
  bool dying_ = false;
  std::shared_ptr<TVornHttp*> token_;
};

// The body as script text: Shift-JIS, cut at its first NUL, lines joined by 0x01.
std::string HttpBodyAsText(const std::string& euc_body);

}  // namespace vorn
