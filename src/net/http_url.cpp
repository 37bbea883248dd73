#include "net/http_url.h"

#include <cctype>

namespace vorn {

namespace {

bool IsSchemeChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  std::size_t i = 0;
  for (; prefix[i] != '\0'; ++i) {
    if (i >= text.size()) return false;
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

// The base up to and including its last "/" ("" when it has none).
std::string CutAfterLastSlash(const std::string& base) {
  std::size_t slash = base.rfind('/');
  return slash == std::string::npos ? std::string() : base.substr(0, slash + 1);
}

void SplitAuthority(const std::string& authority, TUrlParts& parts) {
  std::size_t at = authority.rfind('@');
  std::size_t colon = authority.rfind(':');
  std::string user_part;
  if (colon != std::string::npos && (at == std::string::npos || colon > at)) {
    parts.port = authority.substr(colon + 1);
    std::size_t host_start = at == std::string::npos ? 0 : at + 1;
    parts.host = authority.substr(host_start, colon - host_start);
    if (at != std::string::npos) user_part = authority.substr(0, at);
  } else if (at != std::string::npos) {
    parts.host = authority.substr(at + 1);
    user_part = authority.substr(0, at);
  } else {
    parts.host = authority;
  }
  if (!user_part.empty()) {
    std::size_t split = user_part.find(':');
    parts.user = user_part.substr(0, split);
    if (split != std::string::npos) parts.pass = user_part.substr(split + 1);
  }
}

void SplitRest(const std::string& rest, TUrlParts& parts) {
  std::size_t end = rest.find_first_of("/?");
  if (end == std::string::npos) {
    SplitAuthority(rest, parts);
    return;
  }
  parts.path = rest.substr(end);
  SplitAuthority(rest.substr(0, end), parts);
}

}  // namespace

TUrlParts SplitUrl(const std::string& url, const std::string& base_path) {
  TUrlParts parts;
  if (url.empty()) return parts;
  if (url.rfind("./", 0) == 0) {
    std::string base = CutAfterLastSlash(base_path);
    parts.path = (base.empty() ? std::string("/") : base) + url.substr(2);
    return parts;
  }
  if (url.rfind("../", 0) == 0) {
    std::string base = CutAfterLastSlash(base_path);
    std::string rest = url;
    while (rest.rfind("../", 0) == 0) {
      rest = rest.substr(3);
      if (!base.empty() && base.back() == '/') base.pop_back();
      base = CutAfterLastSlash(base);
      if (base.empty()) base = "/";
    }
    parts.path = base + rest;
    return parts;
  }
  std::size_t separator = url.find("://");
  bool has_scheme = separator != std::string::npos && separator > 0;
  for (std::size_t i = 0; has_scheme && i < separator; ++i) has_scheme = IsSchemeChar(url[i]);
  if (has_scheme) {
    parts.proto = url.substr(0, separator);
    SplitRest(url.substr(separator + 3), parts);
    return parts;
  }
  if (url[0] == '/') {
    parts.proto = "http";
    if (url.size() == 1 || url[1] == '/') {
      SplitRest(url.substr(1), parts);
    } else {
      parts.path = url;
    }
    return parts;
  }
  if (StartsWithNoCase(url, "http:")) {
    parts.proto = "http";
    if (url.size() <= 6 || url[6] == '/') {
      SplitRest(url.substr(std::min<std::size_t>(url.size(), 6)), parts);
    } else {
      parts.path = url.substr(5);
    }
    return parts;
  }
  if (StartsWithNoCase(url, "mailto:")) {
    parts.proto = "mailto";
    SplitRest(url.substr(url.find(':') + 1), parts);
    return parts;
  }
  SplitRest(url, parts);
  return parts;
}

std::string UrlBase(const std::string& text) {
  std::string head = text.substr(0, text.find('?'));
  std::size_t last = head.find_last_of("/:");
  return last == std::string::npos ? std::string() : head.substr(0, last + 1);
}

std::string DocumentNameOf(const std::string& path) {
  std::string name = path.substr(0, path.find('?'));
  if (name.empty() || name == "/") return "document.htm";
  if (name.back() == '/') name.pop_back();
  std::size_t slash = name.rfind('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  if (name.size() > 255) name.resize(255);
  name = name.substr(0, name.find('?'));
  return name.empty() ? std::string("document.htm") : name;
}

namespace {

std::string EncodeGroups(const std::string& bytes, const char* table, bool pad) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                 static_cast<unsigned char>(bytes[i + 2]);
    out += table[(v >> 18) & 63];
    out += table[(v >> 12) & 63];
    out += table[(v >> 6) & 63];
    out += table[v & 63];
  }
  std::size_t left = bytes.size() - i;
  if (left > 0) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (left == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += table[(v >> 18) & 63];
    out += table[(v >> 12) & 63];
    if (left == 2) out += table[(v >> 6) & 63];
    if (pad) out.append(left == 1 ? "==" : "=");
  }
  return out;
}

}  // namespace

std::string Base64Encode(const std::string& bytes) {
  static const char kTable[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  return EncodeGroups(bytes, kTable, true);
}

std::string Base64EncodeLengthPrefixed(const std::string& bytes) {
  static const char kTable[] = "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";
  return std::string(1, kTable[bytes.size() % 64]) + EncodeGroups(bytes, kTable, false);
}

bool HasForeignScheme(const std::string& location) {
  std::size_t separator = location.find("://");
  if (separator == std::string::npos || separator == 0) return false;
  for (std::size_t i = 0; i < separator; ++i) {
    char c = location[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
  }
  return location.compare(0, 7, "http://") != 0;
}

}  // namespace vorn
