#include "motion/film_paths.h"

#include <cstddef>
#include <string>

#include "foundation/path_utils.h"

namespace vorn {

std::string ResolveFilmPath(std::string_view name, std::string_view folder) { return ExpandRelativePath(name, folder); }

std::string MakeFilmRelativePath(std::string_view path, std::string_view folder) {
  const std::size_t cut = LastPathDelimiter(path);
  const std::string_view path_folder = cut == std::string_view::npos ? std::string_view{} : path.substr(0, cut + 1);
  const std::string_view file_name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  TPathParser from;
  from.Parse(path_folder);
  TPathParser base;
  base.Parse(folder);
  if (base.Count() == 0 || from.Count() == 0 || from.Component(0) != base.Component(0)) return std::string(path);
  int same = 0;
  while (same < from.Count() && same < base.Count() && from.Component(same) == base.Component(same)) ++same;
  std::string result;
  for (int i = same; i < base.Count(); ++i) result += "..\\";
  for (int i = same; i < from.Count(); ++i) result += from.Component(i);
  result += file_name;
  return result;
}

}  // namespace vorn
