#include "base/path.h"

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

std::string PathFromBox(const std::string& text) {
  const auto trimmed = [](const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
  };
  std::string path = trimmed(text);
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
    path = trimmed(path.substr(1, path.size() - 2));
  return path;
}

}  // namespace lumavex
