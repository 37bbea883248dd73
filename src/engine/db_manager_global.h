#pragma once

// The process's script tables: the one manager the script-table functions, the saved games and
// the status entry all work on.

#include "engine/db_table.h"

namespace vorn {

TDBManager& GlobalDBManager();

}  // namespace vorn
