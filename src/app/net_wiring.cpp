#include "app/net_wiring.h"

namespace vorn {

namespace {
// The net services take a plain function for the question; it asks the wired application.
platform::Application* wired_application = nullptr;
bool ApplicationTerminating() { return wired_application != nullptr && wired_application->Terminating(); }
}  // namespace

TNetWiring::TNetWiring(platform::Application& application) {
  wired_application = &application;
  services_ = Net();
  services_.terminating = &ApplicationTerminating;
  services_seam_.Install(&services_);
  work_seam_.Install(this);
}

TNetWiring::~TNetWiring() {
  work_seam_.Remove();
  services_seam_.Remove();
  wired_application = nullptr;
}

}  // namespace vorn
