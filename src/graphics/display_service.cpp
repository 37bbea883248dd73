#include "graphics/display_service.h"

namespace vorn {
namespace {

platform::DisplayService* gScreenDisplayService = nullptr;

}  // namespace

platform::DisplayService* GetScreenDisplayService() { return gScreenDisplayService; }
void SetScreenDisplayService(platform::DisplayService* service) { gScreenDisplayService = service; }

}  // namespace vorn
