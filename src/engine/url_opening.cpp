#include "engine/url_opening.h"

#include <utility>

namespace vorn {
namespace {

platform::UrlOpener* g_opener = nullptr;

}  // namespace

platform::UrlOpener* GetUrlOpener() { return g_opener; }

platform::UrlOpener* SetUrlOpener(platform::UrlOpener* opener) { return std::exchange(g_opener, opener); }

}  // namespace vorn
