#include "engine/project_standin.h"

#include <utility>

#include "foundation/standin_trace.h"
#include "foundation/system_texts.h"

namespace vorn {
namespace {

TProjectStandIn::CreateHook& Hook() {
  static TProjectStandIn::CreateHook hook;
  return hook;
}

}  // namespace

TProjectStandIn::TProjectStandIn() : title(texts::kApplicationTitleInformation) {
  StandInCall("TProject.Create");
  if (Hook()) Hook()(*this);
}

TProjectStandIn::~TProjectStandIn() { StandInCall("TProject.Free"); }

TProjectStandIn::CreateHook TProjectStandIn::SetCreateHook(CreateHook hook) { return std::exchange(Hook(), std::move(hook)); }

void TProjectStandIn::Step() {
  StandInCall("TProject.Step");
  if (on_step) on_step();
}

bool TProjectStandIn::RunPendingLoad() {
  StandInCall("TProject.RunPendingLoad");
  return std::exchange(load_requested, false);
}

void TProjectStandIn::RunPendingSave() {
  StandInCall("TProject.RunPendingSave");
  save_requested = false;
}

void TProjectStandIn::RunExitPageAndWriteStatus() { StandInCall("TProject.RunExitPageAndWriteStatus"); }

TParamCollectionStandIn::TParamCollectionStandIn() { StandInCall("TParamCollection.Create"); }
TParamCollectionStandIn::~TParamCollectionStandIn() { StandInCall("TParamCollection.Free"); }

}  // namespace vorn
