#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vorn {

// A failure of the socket component, carrying its message text.
class ESocketException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The description of a socket error code; "Not a WinSock error" for codes not in the table.
std::string SocketErrorText(int code);

// A host name or dotted address as an IPv4 address in host order; raises ESocketException.
std::uint32_t WSocketResolveHost(const std::string& text);
// A decimal port or a service name for the protocol; raises ESocketException.
int WSocketResolvePort(const std::string& port, const std::string& proto);
// A protocol number or name; raises ESocketException.
int WSocketResolveProto(const std::string& text);
// Whether the text is a dotted IPv4 address of exactly four groups.
bool IsDottedAddress(const std::string& text);

}  // namespace vorn
