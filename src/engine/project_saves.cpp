#include "engine/project.h"

// The saved-games side of the project (save.dat): slot captions, the status entry and the
// requested saves and loads. Until save.dat is built the requests are only recorded and dropped
// at the end of the frame, and nothing is read or written.

namespace vorn {

void TProject::ReadSlotCaptions() { slot_captions.clear(); }

void TProject::ReadStatus() {}

void TProject::SaveStatus() {}

void TProject::RequestLoad(std::int32_t slot) { pending_load_slot = slot; }

void TProject::RequestSave(std::int32_t slot, const std::string& caption, const std::string& resume_page,
                           std::int32_t resume_index) {
  pending_save_slot = slot;
  pending_save_caption = caption;
  pending_save_page = resume_page;
  pending_save_index = resume_index;
}

void TProject::ClearGameTables() {}

bool TProject::RunPendingLoad() {
  pending_load_slot = -1;
  return false;
}

void TProject::RunPendingSave() { pending_save_slot = -1; }

}  // namespace vorn
