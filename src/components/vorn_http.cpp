#include "components/vorn_http.h"

#include <cstring>

#include "components/timer_list.h"
#include "components/vorn_base_list.h"
#include "engine/engine_values.h"
#include "net/euc_to_sjis.h"
#include "net/net_pump.h"

namespace vorn {

namespace {
constexpr std::uint8_t kOnPlayEndCode = 43;
}

std::string HttpBodyAsText(const std::string& euc_body) {
  std::string text = EucToShiftJis(euc_body);
  // A string list reads its text up to the first NUL.
  text.resize(std::strlen(text.c_str()));
  std::string joined;
  joined.reserve(text.size());
  bool first = true;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find_first_of("\r\n", i);
    if (!first) joined += '\x01';
    first = false;
    if (end == std::string::npos) {
      joined.append(text, i, std::string::npos);
      break;
    }
    joined.append(text, i, end - i);
    i = end + 1;
    if (text[end] == '\r' && i < text.size() && text[i] == '\n') ++i;
  }
  return joined;
}

TVornHttp::TVornHttp(TVornBaseList* owner)
    : TVornComponent(owner), client_(std::make_unique<THttpCli>()), token_(std::make_shared<TVornHttp*>(this)) {
  client_->SetMultiThreaded(true);
}

TVornHttp::~TVornHttp() {
  *token_ = nullptr;
  // Destroying has joined the worker when the scene freed us; a component freed any other way
  // stops its download here.
  if (worker_.joinable()) {
    client_->AbortForShutdown();
    JoinWorker();
  }
}

void TVornHttp::JoinWorker() {
  if (!worker_.joinable()) return;
  worker_.join();
  NetPump::Instance().Unhold();
}

void TVornHttp::SetSource(const std::string& value) {
  if (worker_.joinable() || dying_) return;
  // Emptied, not freed: a component that downloads again reuses the room of the last body.
  response_.SetSize(0);
  std::string url = value;
  if (!value.empty() && value[0] == '!') {
    url.clear();
    TVornBaseList* scene = GetOwner();
    TScriptObject* other = scene != nullptr ? scene->FindComponent(value.substr(1)) : nullptr;
    if (auto* http = dynamic_cast<TVornHttp*>(other); http != nullptr) {
      const auto& bytes = http->response_.Bytes();
      url.assign(bytes.begin(), bytes.end());
    }
  }
  client_->URL = url;
  client_->ReceiveStream = &response_;
  client_->RearmForWorker();
  std::weak_ptr<TVornHttp*> alive = token_;
  THttpCli* client = client_.get();
  platform::MainThreadTasks* tasks = Net().tasks;
  worker_ = std::thread([client, alive, tasks] {
    try {
      client->Get();
    } catch (...) {
      // A failed download ends like a finished one: the script reads what arrived.
    }
    tasks->Post([alive] {
      if (auto self = alive.lock(); self && *self != nullptr) (*self)->Completed();
    });
  });
  NetPump::Instance().Hold();
}

void TVornHttp::Completed() {
  if (!worker_.joinable() || dying_) return;
  JoinWorker();
  if (StopFlag) return;
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr) return;
  if (CanPostEvent(scene->Events(), *this, on_play_end_, kOnPlayEndCode, TPostKind::kPlain))
    scene->Events().PostEvent(this, on_play_end_, nullptr, kOnPlayEndCode);
}

std::string TVornHttp::GetText() const {
  const auto& bytes = response_.Bytes();
  return HttpBodyAsText(std::string(bytes.begin(), bytes.end()));
}

std::string TVornHttp::GetProxy() const { return client_->Proxy + ":" + client_->ProxyPort; }

void TVornHttp::SetProxy(const std::string& value) {
  std::size_t colon = value.find(':');
  client_->Proxy = value.substr(0, colon);
  client_->ProxyPort = colon == std::string::npos ? std::string() : value.substr(colon + 1);
}

void TVornHttp::Destroying() {
  dying_ = true;
  client_->AbortForShutdown();
  JoinWorker();
  TVornComponent::Destroying();
}

}  // namespace vorn
