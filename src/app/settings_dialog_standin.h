#pragma once

namespace vorn {

// Stand-in for the settings dialog: it has closed already by the time anyone looks.
class TFormConfigStandIn {
 public:
  TFormConfigStandIn();
  ~TFormConfigStandIn();
  void Show();
  bool running() const { return running_; }

 private:
  bool running_ = false;
};

}  // namespace vorn
