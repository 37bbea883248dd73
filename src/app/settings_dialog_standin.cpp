#include "app/settings_dialog_standin.h"

#include "foundation/standin_trace.h"

namespace vorn {

TFormConfigStandIn::TFormConfigStandIn() { StandInCall("TFormConfig.Create"); }
TFormConfigStandIn::~TFormConfigStandIn() { StandInCall("TFormConfig.Free"); }
void TFormConfigStandIn::Show() { StandInCall("TFormConfig.Show"); }

}  // namespace vorn
