#pragma once

#include <string>
#include <vector>

namespace vorn {

// "/config" in any ASCII case selects the settings dialog ("-config" is a data directory).
bool IsConfigArgument(const std::string& argument);

// The name of the instance lock: the first argument unchanged, else the executable's directory;
// ASCII letters upper-cased (other bytes untouched, so a double-byte name stays whole); "/"
// appended unless it ends with one; every "/" made "-". The argument "/config" keeps its own key
// "/CONFIG-", so no data directory can collide with the settings dialog.
std::string BuildInstanceKey(const std::vector<std::string>& arguments, const std::string& executable_dir);

// The key the instance lock is taken on: BuildInstanceKey of the data folder resolved through
// links, "." and ".." and made absolute, so "./data", its absolute path, a link to it or "/./"
// in it all name one lock. A folder that cannot be resolved (it does not exist) stays as typed.
// Only the lock uses this; everything else keeps the folder as typed.
std::string InstanceLockKey(const std::vector<std::string>& arguments, const std::string& executable_dir);

}  // namespace vorn
