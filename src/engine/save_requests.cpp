#include "engine/save_requests.h"

#include "engine/db_table.h"
#include "engine/save_data.h"

namespace vorn {

void TSaveRequests::RequestSave(std::int32_t slot, const std::string& caption, const std::string& resume_page,
                                std::int32_t resume_index) {
  saves_.RequestSave(slot, caption, resume_page, resume_index);
}

void TSaveRequests::RequestLoad(std::int32_t slot) { saves_.RequestLoad(slot); }

void TSaveRequests::ClearGameTables() { tables_.ClearGameTables(); }

}  // namespace vorn
