#include "net/wsocket_errors.h"

#include <cctype>
#include <cstdio>
#include <map>

#include "net/net_pump.h"
#include "platform/net_sockets.h"

namespace vorn {

std::string SocketErrorText(int code) {
  static const std::map<int, const char*> kTexts = {
      {0, "No Error"},
      {10004, "Interrupted system call"},
      {10009, "Bad file number"},
      {10013, "Permission denied"},
      {10014, "Bad address"},
      {10022, "Invalid argument"},
      {10024, "Too many open files"},
      {10035, "Operation would block"},
      {10036, "Operation now in progress"},
      {10037, "Operation already in progress"},
      {10038, "Socket operation on non-socket"},
      {10039, "Destination address required"},
      {10040, "Message too long"},
      {10041, "Protocol wrong type for socket"},
      {10042, "Protocol not available"},
      {10043, "Protocol not supported"},
      {10044, "Socket type not supported"},
      {10045, "Operation not supported on socket"},
      {10046, "Protocol family not supported"},
      {10047, "Address family not supported by protocol family"},
      {10048, "Address already in use"},
      {10049, "Address not available"},
      {10050, "Network is down"},
      {10051, "Network is unreachable"},
      {10052, "Network dropped connection on reset"},
      {10053, "Connection aborted"},
      {10054, "Connection reset by peer"},
      {10055, "No buffer space available"},
      {10056, "Socket is already connected"},
      {10057, "Socket is not connected"},
      {10058, "Can't send after socket shutdown"},
      {10059, "Too many references: can't splice"},
      {10060, "Connection timed out"},
      {10061, "Connection refused"},
      {10062, "Too many levels of symbolic links"},
      {10063, "File name too long"},
      {10064, "Host is down"},
      {10065, "No route to host"},
      {10066, "Directory not empty"},
      {10067, "Too many processes"},
      {10068, "Too many users"},
      {10069, "Disc quota exceeded"},
      {10070, "Stale NFS file handle"},
      {10071, "Too many levels of remote in path"},
      {10091, "Network sub-system is unusable"},
      {10092, "WinSock DLL cannot support this application"},
      {10093, "WinSock not initialized"},
      {11001, "Host not found"},
      {11002, "Non-authoritative host not found"},
      {11003, "Non-recoverable error"},
      {11004, "No Data"},
  };
  auto it = kTexts.find(code);
  return it == kTexts.end() ? "Not a WinSock error" : it->second;
}

bool IsDottedAddress(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && text[i] == '.') return false;
  int dots = 0;
  int group = 0;
  bool digits = false;
  for (; i < text.size() && text[i] != ' '; ++i) {
    char c = text[i];
    if (c == '.') {
      if (!digits) return false;
      if (++dots > 3) return false;
      group = 0;
      digits = false;
    } else if (c >= '0' && c <= '9') {
      group = group * 10 + (c - '0');
      if (group > 255) return false;
      digits = true;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  while (i < text.size() && text[i] == ' ') ++i;
  return i == text.size() && dots == 3;
}

namespace {

// Leading spaces skipped, digits up to the first non-digit.
int LeadingNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 0x7fffffff) value = 0x7fffffff;
  }
  return static_cast<int>(value);
}

bool StartsWithDigit(const std::string& text) {
  return !text.empty() && std::isdigit(static_cast<unsigned char>(text[0]));
}

}  // namespace

std::uint32_t WSocketResolveHost(const std::string& text) {
  if (text.empty() || text.size() > 256) throw ESocketException("WSocketResolveHost: '" + text + "' Invalid Hostname.");
  if (IsDottedAddress(text)) {
    std::uint32_t address = 0;
    if (!platform::ParseInetAddress(text, address))
      throw ESocketException("WSocketResolveHost: '" + text + "' Invalid IP address.");
    return address;
  }
  int error = 0;
  std::uint32_t address = 0;
  if (!platform::ResolveHostNow(text, address, error)) {
    char message[400];
    std::snprintf(message, sizeof message, "WSocketResolveHost: Cannot convert host address '%s', Error #%d",
                  text.c_str(), error);
    throw ESocketException(message);
  }
  return address;
}

int WSocketResolvePort(const std::string& port, const std::string& proto) {
  if (port.empty() || port.size() >= 32) throw ESocketException("WSocketResolvePort: Invalid Port.");
  if (proto.empty() || proto.size() >= 32) throw ESocketException("WSocketResolvePort: Invalid Proto.");
  if (StartsWithDigit(port)) return LeadingNumber(port);
  int number = 0;
  int error = 0;
  if (!platform::ServicePort(port, proto, number, error)) {
    char message[200];
    std::snprintf(message, sizeof message, "WSocketResolvePort: Cannot convert port '%s', Error #%d", port.c_str(),
                  error);
    throw ESocketException(message);
  }
  return number;
}

int WSocketResolveProto(const std::string& text) {
  if (text.empty() || text.size() >= 32) throw ESocketException("WSocketResolveProto: Invalid Protocol.");
  if (StartsWithDigit(text)) return LeadingNumber(text);
  int number = 0;
  int error = 0;
  if (!platform::ProtocolNumber(text, number, error)) {
    char message[200];
    std::snprintf(message, sizeof message, "WSocketResolveProto: Cannot convert protocol '%s', Error #%d",
                  text.c_str(), error);
    throw ESocketException(message);
  }
  return number;
}

}  // namespace vorn
