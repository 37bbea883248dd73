#include <gtest/gtest.h>

#include <string>

#include "net/http_url.h"

namespace vorn {
namespace {

TEST(HttpUrl, SplitUrlTable) {
  const struct {
    const char* url;
    const char* base;
    TUrlParts want;  // proto, user, pass, host, port, path
  } cases[] = {
      {"http://h:8080/a/b.txt", "", {"http", "", "", "h", "8080", "/a/b.txt"}},
      {"http://u:p@h:81/q?x=/y", "", {"http", "u", "p", "h", "81", "/q?x=/y"}},
      {"http://u@h/", "", {"http", "u", "", "h", "", "/"}},
      {"http://h?x", "", {"http", "", "", "h", "", "?x"}},
      {"x+y-z.1://h/p", "", {"x+y-z.1", "", "", "h", "", "/p"}},
      // A capital scheme is no scheme: the rest is read from after "HTTP:/".
      {"HTTP://h/x", "", {"http", "", "", "", "", "/h/x"}},
      {"a_b://h", "", {"", "", "", "a_b", "", "//h"}},
      {"./x.htm", "/a/b/c.htm", {"", "", "", "", "", "/a/b/x.htm"}},
      {"./x.htm", "", {"", "", "", "", "", "/x.htm"}},
      {"../x", "/a/b/c.htm", {"", "", "", "", "", "/a/x"}},
      {"../../x", "/a/b/c/d.htm", {"", "", "", "", "", "/a/x"}},
      {"../../../../x", "/a/b.htm", {"", "", "", "", "", "/x"}},
      {"mailto:me@h", "", {"mailto", "me", "", "h", "", ""}},
      {"MailTo:me@h", "", {"mailto", "me", "", "h", "", ""}},
      {"//h/p", "", {"http", "", "", "", "", "/h/p"}},
      {"/", "", {"http", "", "", "", "", ""}},
      {"/p/q", "", {"http", "", "", "", "", "/p/q"}},
      // Up to six characters the authority starts after the sixth, so "h" is lost.
      {"http:h", "", {"http", "", "", "", "", ""}},
      {"Http:/x/y", "", {"http", "", "", "", "", "/x/y"}},
      {"http:h/x", "", {"http", "", "", "", "", "/x"}},
      {"h:81/x", "", {"", "", "", "h", "81", "/x"}},
      {"", "/a/", {"", "", "", "", "", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.url) + " on " + c.base);
    TUrlParts got = SplitUrl(c.url, c.base);
    EXPECT_EQ(got.proto, c.want.proto);
    EXPECT_EQ(got.user, c.want.user);
    EXPECT_EQ(got.pass, c.want.pass);
    EXPECT_EQ(got.host, c.want.host);
    EXPECT_EQ(got.port, c.want.port);
    EXPECT_EQ(got.path, c.want.path);
  }
}

TEST(HttpUrl, UrlBaseAndDocumentName) {
  const struct {
    const char* text;
    const char* base;
  } bases[] = {
      {"/a/b.htm", "/a/"}, {"/a/b.htm?x/y", "/a/"}, {"http://h:80", "http://h:"}, {"name", ""}, {"", ""},
  };
  for (const auto& c : bases) EXPECT_EQ(UrlBase(c.text), c.base) << c.text;

  const std::string long_name(300, 'n');
  const struct {
    std::string path;
    std::string name;
  } names[] = {
      {"/a/b.txt", "b.txt"},   {"", "document.htm"},      {"/", "document.htm"},    {"/dir/", "dir"},
      {"/a/b.cgi?x=1/2", "b.cgi"}, {"?q", "document.htm"}, {"/" + long_name, long_name.substr(0, 255)},
  };
  for (const auto& c : names) EXPECT_EQ(DocumentNameOf(c.path), c.name) << c.path;
}

TEST(HttpUrl, Base64) {
  // Expected values from Python's base64.b64encode.
  const struct {
    std::string bytes;
    const char* standard;
  } cases[] = {
      {"", ""},       {"f", "Zg=="},          {"fo", "Zm8="},
      {"foo", "Zm9v"}, {"user:pass", "dXNlcjpwYXNz"}, {std::string("\xff\xfe\x00", 3), "//4A"},
  };
  for (const auto& c : cases) EXPECT_EQ(Base64Encode(c.bytes), c.standard);
  // The other alphabet: "`" then "!" to "_", the length first, no padding (the uuencode line of
  // "foo" and "fo").
  EXPECT_EQ(Base64EncodeLengthPrefixed("foo"), "#9F]O");
  EXPECT_EQ(Base64EncodeLengthPrefixed("fo"), "\"9F\\");
  EXPECT_EQ(Base64EncodeLengthPrefixed(""), "`");
}

TEST(HttpUrl, ForeignSchemes) {
  const struct {
    const char* location;
    bool foreign;
  } cases[] = {
      {"http://h/", false}, {"HTTP://h/", true},  {"https://h/", true}, {"ftp+x.y-z://h", true},
      {"/a://b", false},    {"a b://h", false},   {"://h", false},      {"rel/path", false},
  };
  for (const auto& c : cases) EXPECT_EQ(HasForeignScheme(c.location), c.foreign) << c.location;
}

}  // namespace
}  // namespace vorn
