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

}  // namespace vorn
