#pragma once
// Filter texts of the file dialogs: "Description|pattern|..." as the program
// writes them, and the NUL-separated list form the platform dialog takes.

#include <string>

namespace lumavex {

// Every '|' and ':' becomes a NUL; two NULs end the list.
// "AVI Files|*.avi" -> "AVI Files\0*.avi\0\0".
std::string ConvertFilter(const std::string& filter);

// The n-th entry (from 1) of a converted list: description, NUL, pattern.
// Empty for a list of one NUL, n below 1 or n past the last entry.
std::string FilterEntryAt(const std::string& list, int n);

}  // namespace lumavex
