#pragma once

// Where scripts' web and FTP addresses go. The application installs the host's opener; with none
// installed (tests, headless runs without one) an address goes nowhere.

#include "platform/url_opener.h"

namespace vorn {

platform::UrlOpener* GetUrlOpener();
// Returns the opener installed before.
platform::UrlOpener* SetUrlOpener(platform::UrlOpener* opener);

}  // namespace vorn
