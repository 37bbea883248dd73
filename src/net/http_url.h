#pragma once

#include <string>

namespace vorn {

// The pieces of a URL; `path` keeps the query.
struct TUrlParts {
  std::string proto, user, pass, host, port, path;
};

// Splits a URL; `base_path` is the path that "./" and "../" forms are relative to.
TUrlParts SplitUrl(const std::string& url, const std::string& base_path = {});
// The text up to and including the last "/" or ":" before the query; empty when there is none.
std::string UrlBase(const std::string& text);
// The file name a request path stands for ("document.htm" when it names none).
std::string DocumentNameOf(const std::string& path);
// Standard Base64 with "=" padding.
std::string Base64Encode(const std::string& bytes);
// The encoder's other alphabet: a table of "`" then "!" to "_", the length character in front,
// no padding. No request uses it.
std::string Base64EncodeLengthPrefixed(const std::string& bytes);
// Whether a location value starts with a scheme ("x+y-z.w://") other than "http://".
bool HasForeignScheme(const std::string& location);

}  // namespace vorn
