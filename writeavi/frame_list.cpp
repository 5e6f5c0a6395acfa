#include "writeavi/frame_list.h"

#include <algorithm>

#include "base/text.h"

namespace lumavex {

bool MatchesFilePattern(const std::string& name, const std::string& pattern) {
  // Greedy match that backs up to the last '*': linear in practice, never
  // worse than name length times pattern length.
  std::size_t n = 0, p = 0;
  std::size_t starPattern = std::string::npos, starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starPattern = p++;
      starName = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
      ++p;
      ++n;
    } else if (starPattern != std::string::npos) {
      p = starPattern + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool FileNameLess(const std::string& a, const std::string& b) {
  const auto foldedCharLess = [](char x, char y) {
    return static_cast<unsigned char>(AsciiLower(x)) < static_cast<unsigned char>(AsciiLower(y));
  };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), foldedCharLess)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), foldedCharLess)) return false;
  return a < b;
}

}  // namespace lumavex
