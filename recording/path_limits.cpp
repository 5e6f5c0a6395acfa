#include "recording/path_limits.h"

#include <algorithm>

#include "base/utf8.h"

namespace lumavex {
namespace {

using Units = long long;

Units UnitsOf(const std::string& text) { return static_cast<Units>(Utf16Length(text)); }

std::optional<std::size_t> Room(Units units) {
  if (units < 0) return std::nullopt;
  return static_cast<std::size_t>(units);
}

}  // namespace

std::optional<std::size_t> PrefixRoomAtStart(const std::string& savePath, const std::string& stampName) {
  const Units fixed = UnitsOf(savePath) + 1 + UnitsOf(stampName);
  // The prefix is in the folder path once and in the frame path twice.
  const Units forFolder = static_cast<Units>(kMaxFolderPathUnits) - fixed;
  const Units forFrames = static_cast<Units>(kMaxPathUnits) - fixed - 1 - static_cast<Units>(kFrameTailUnits);
  if (forFolder < 0 || forFrames < 0) return std::nullopt;
  return Room(std::min(forFolder, forFrames / 2));
}

std::optional<std::size_t> PrefixRoomForFrames(const std::string& savePath, const std::string& folderName) {
  return Room(static_cast<Units>(kMaxPathUnits) - UnitsOf(savePath) - 1 - UnitsOf(folderName) - 1 -
              static_cast<Units>(kFrameTailUnits));
}

std::string ShortenPrefix(const std::string& prefix, std::size_t units) {
  return std::string(Utf8PrefixWithinUtf16(prefix, units));
}

}  // namespace lumavex
