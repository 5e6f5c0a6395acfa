#pragma once
// The frame files of a folder in the order they are written to the video:
// names matching a pattern such as "*.jpg", sorted by name without regard to
// case, so zero-padded frame counters come out in recording order.

#include <string>

namespace lumavex {

// Wildcard match of a whole name: '*' any run of characters, '?' any one;
// ASCII letters compare without regard to case.
bool MatchesFilePattern(const std::string& name, const std::string& pattern);

// Orders names by their ASCII-lower-cased text; names equal that way are
// ordered by their exact text, so the result never depends on input order.
bool FileNameLess(const std::string& a, const std::string& b);

}  // namespace lumavex
