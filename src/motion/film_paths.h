#pragma once

#include <string>
#include <string_view>

namespace vorn {

// The name to open for a file name stored inside a film, against the film's folder: an absolute
// name (or one of at most one character) as it stands, else folder + name, each leading "..\"
// dropping the folder's last component. Folders come out upper-cased.
std::string ResolveFilmPath(std::string_view name, std::string_view folder);

// The inverse, for writers: path made relative to the film's folder when both share their first
// component (the drive), else path unchanged.
std::string MakeFilmRelativePath(std::string_view path, std::string_view folder);

}  // namespace vorn
