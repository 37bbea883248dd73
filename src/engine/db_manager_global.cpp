#include "engine/db_manager_global.h"

namespace vorn {

TDBManager& GlobalDBManager() {
  static TDBManager manager;
  return manager;
}

}  // namespace vorn
