#pragma once
// Windows' limits on the paths of a recording, and the shortening of the
// frame prefix that keeps every path of a recording within them. Lengths are
// counted in UTF-16 units, as Windows counts them.
#include <cstddef>
#include <optional>
#include <string>

#include "base/file.h"

namespace lumavex {

// MAX_PATH (260) and CreateDirectory's 248, each less its terminating NUL.
inline constexpr std::size_t kMaxPathUnits = 259;
inline constexpr std::size_t kMaxFolderPathUnits = 247;
// What the longest frame path has after the prefix: the 7-digit number,
// ".jpg", and the suffix of the part file a frame is first written as.
inline constexpr std::size_t kFrameTailUnits = 7 + 4 + std::char_traits<char>::length(kPartSuffix);

// At Start: the most UTF-16 units of prefix for which both
// savePath\<prefix><stampName> (a folder) and
// savePath\<prefix><stampName>\<prefix>0000000.jpg.part fit. Nothing when
// the save folder leaves no room even for an empty prefix.
std::optional<std::size_t> PrefixRoomAtStart(const std::string& savePath, const std::string& stampName);

// For a frame in an existing recording folder: the most units of prefix for
// which savePath\folderName\<prefix>0000000.jpg.part fits. Nothing when no
// prefix fits.
std::optional<std::size_t> PrefixRoomForFrames(const std::string& savePath, const std::string& folderName);

// The prefix cut to at most `units` UTF-16 units, between characters.
std::string ShortenPrefix(const std::string& prefix, std::size_t units);

}  // namespace lumavex
