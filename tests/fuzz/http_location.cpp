// Any text as a URL and as the "location" of a relocation: the URL pieces, and the next request
// computed from them directly and through a proxy, never read out of bounds and always end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/stream.h"
#include "net/http_cli.h"
#include "net/http_url.h"
#include "support/scripted_net.h"

namespace {

void Relocate(const std::string& location, const std::string& proxy) {
  vorn::test::ScriptedNet net;
  net.sockets.QueueReply({"HTTP/1.0 302 Moved\r\nLocation: " + location + "\r\n\r\n"});
  net.sockets.QueueReply({"HTTP/1.0 200 OK\r\n\r\nmoved"});
  vorn::THttpCli client;
  vorn::TMemoryStream stream;
  client.ReceiveStream = &stream;
  client.Proxy = proxy;
  client.URL = "http://10.0.0.1:8080/dir/page.htm?q=1";
  client.StartRequest(vorn::THttpRequest::httpGET);
  if (!net.PumpUntil([&] { return client.State() == vorn::THttpState::httpReady; })) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // Before the first NUL: the URL or location; after it: the base path of relative forms.
  const std::size_t nul = input.find('\0');
  const std::string url = input.substr(0, nul);
  const std::string base = nul == std::string::npos ? std::string("/a/b/c.htm") : input.substr(nul + 1);
  const vorn::TUrlParts parts = vorn::SplitUrl(url, base);
  if (parts.host.size() > url.size() || parts.user.size() > url.size()) __builtin_trap();
  (void)vorn::UrlBase(url);
  (void)vorn::DocumentNameOf(url);
  (void)vorn::HasForeignScheme(url);
  // A header line ends at its line end, so a location never holds one.
  const std::string location = url.substr(0, url.find_first_of("\r\n"));
  Relocate(location, "");
  Relocate(location, "10.0.0.9:3128");
  return 0;
}
