#include "recording/frame_naming.h"

#include <cstring>

#include "base/text.h"

namespace lumavex {
namespace {

constexpr std::size_t kTitleSuffixLength = 15;

bool IsForbiddenInFileName(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 32 || std::strchr("<>:\"/\\|?*", c) != nullptr;
}

}  // namespace

std::string ReplaceForbiddenFileNameChars(std::string text) {
  for (char& c : text) {
    if (IsForbiddenInFileName(c)) c = '_';
  }
  return text;
}

std::string SanitiseFileName(std::string name) {
  name = ReplaceForbiddenFileNameChars(std::move(name));
  const std::size_t keep = name.find_last_not_of(". ");
  name.erase(keep == std::string::npos ? 0 : keep + 1);
  return name;
}

std::string FramePrefix(const std::string& title) {
  std::size_t end = title.size();
  for (std::size_t dropped = 0; dropped < kTitleSuffixLength; ++dropped) {
    if (end == 0) return std::string();
    // Back over one character: its continuation bytes, then its lead byte.
    --end;
    while (end > 0 && (static_cast<unsigned char>(title[end]) & 0xC0) == 0x80) --end;
  }
  return ReplaceForbiddenFileNameChars(title.substr(0, end));
}

std::string FrameNumberText(int counter) { return ZeroPad(counter, 7); }

std::string RecordingFolderName(const std::string& prefix, const CalendarTime& time,
                                const LocaleNames& names) {
  return SanitiseFileName(prefix + FormatRecordingTimestamp(time, names));
}

std::string FrameFilePath(const std::string& savePath, const std::string& recordingFolder,
                          const std::string& prefix, int counter, const std::string& extension) {
  return JoinPath(JoinPath(savePath, recordingFolder), prefix + FrameNumberText(counter) + extension);
}

}  // namespace lumavex
