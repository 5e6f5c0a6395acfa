#include "dialogs/file_filter.h"

namespace lumavex {

std::string ConvertFilter(const std::string& filter) {
  std::string list = filter;
  for (char& c : list)
    if (c == '|' || c == ':') c = '\0';
  list.append(2, '\0');
  return list;
}

std::string FilterEntryAt(const std::string& list, int n) {
  if (n < 1 || list == std::string(1, '\0')) return std::string();
  std::size_t start = 0;
  for (;;) {
    const std::size_t first = list.find('\0', start);
    if (first == std::string::npos) return std::string();
    const std::size_t second = list.find('\0', first + 1);
    if (second == std::string::npos) return std::string();
    if (n == 1) return list.substr(start, second - start);
    --n;
    start = second + 1;
  }
}

}  // namespace lumavex
