#include "commandline/avi_target.h"

#include <cctype>
#include <string_view>

#include "base/path.h"
#include "base/text.h"

namespace lumavex {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveOnly(std::string_view path) {
  return path.size() == 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

bool StartsWithIgnoringSeparators(std::string_view path, std::string_view prefix) {
  if (path.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char a = path[i];
    const char b = prefix[i];
    if (IsSeparator(b) ? !IsSeparator(a) : AsciiLower(a) != AsciiLower(b)) return false;
  }
  return true;
}

// `\\server` or `\\server\share` (after the leading two separators): the
// share's root is a folder but has no parent folder to hold the video.
bool IsShareRoot(std::string_view afterTwoSeparators) {
  int names = 0;
  bool inName = false;
  for (char c : afterTwoSeparators) {
    if (IsSeparator(c)) {
      inName = false;
    } else if (!inName) {
      inName = true;
      ++names;
    }
  }
  return names <= 2;
}

// `path` has no trailing separators and is not empty.
bool HasNoNameOfItsOwn(std::string_view path) {
  const std::string_view lastName = NameInPath(path);
  if (lastName == "." || lastName == "..") return true;
  if (IsDriveOnly(path)) return true;
  // Long and device paths: `\\?\C:`, `\\?\UNC\server\share`, `\\.\C:`.
  if (StartsWithIgnoringSeparators(path, "\\\\?\\") || StartsWithIgnoringSeparators(path, "\\\\.\\")) {
    const std::string_view rest = path.substr(4);
    if (rest.empty() || IsDriveOnly(rest) || (rest.size() == 3 && StartsWithIgnoringSeparators(rest, "UNC")))
      return true;
    if (StartsWithIgnoringSeparators(rest, "UNC\\")) return IsShareRoot(rest.substr(4));
    return false;
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return IsShareRoot(path.substr(2));
  return false;
}

}  // namespace

std::optional<std::string> AviTargetBesideFolder(const std::string& folder) {
  std::string_view path = folder;
  while (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
  if (path.empty() || HasNoNameOfItsOwn(path)) return std::nullopt;
  return std::string(path) + ".avi";
}

}  // namespace lumavex
