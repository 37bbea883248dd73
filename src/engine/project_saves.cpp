#include "engine/project.h"
#include "engine/script_host.h"

// The saved-games side of the project: everything goes to its TSaveData, which owns the pending
// requests, the slot captions and the reading and writing of save.dat.

namespace vorn {

void TProject::ReadSlotCaptions() { save_data_->ReadSlotCaptions(); }

void TProject::ReadStatus() { save_data_->ReadStatus(); }

void TProject::SaveStatus() {
  save_data_->SetStatusSave(settings.status_save);
  save_data_->SaveStatus();
}

void TProject::RequestLoad(std::int32_t slot) { save_data_->RequestLoad(slot); }

void TProject::RequestSave(std::int32_t slot, const std::string& caption, const std::string& resume_page,
                           std::int32_t resume_index) {
  save_data_->RequestSave(slot, caption, resume_page, resume_index);
}

bool TProject::ProcessPending() {
  save_data_->SetStatusSave(settings.status_save);
  return save_data_->ProcessPending();
}

platform::MessageAnswer TProject::Boxes::Show(const platform::MessageBoxRequest& request) {
  return project_.Ask(request.text, request.caption, request.icon, request.buttons,
                      request.answer_without_display.value_or(platform::MessageAnswer::kOk));
}

}  // namespace vorn
