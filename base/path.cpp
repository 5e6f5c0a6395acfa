#include "base/path.h"

#include "base/text.h"

namespace lumavex {

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  path += '\\';
  path += name;
  return path;
}

std::string ParentFolder(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  if (slash == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, slash);
}

std::string_view NameInPath(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string PathFromBox(const std::string& text) {
  std::string_view path = Trim(text);
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
    path = Trim(path.substr(1, path.size() - 2));
  return std::string(path);
}

}  // namespace lumavex
