#include "recording/recording_members.h"

#include "base/text.h"
#include "recording/frame_naming.h"

namespace lumavex {

namespace {
constexpr std::size_t kDigits = 7;
constexpr std::size_t kExtensionLength = 4;  // ".jpg"

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::optional<NumberedName> SplitNumberedName(std::string_view name) {
  if (name.size() < kDigits + kExtensionLength) return std::nullopt;
  const std::size_t digitsAt = name.size() - kExtensionLength - kDigits;
  std::string extension = AsciiLower(name.substr(name.size() - kExtensionLength));
  if (extension != ".jpg" && extension != ".bmp" && extension != ".avi") return std::nullopt;
  std::int32_t number = 0;
  for (std::size_t i = 0; i < kDigits; ++i) {
    const char c = name[digitsAt + i];
    if (!IsDigit(c)) return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return NumberedName{name.substr(0, digitsAt), number, std::move(extension)};
}

RecordingMember ClassifyRecordingEntry(std::string_view name, bool isFolder, std::string_view prefix) {
  if (isFolder) {
    return AsciiLower(name) == kScratchFolderName ? RecordingMember{RecordingMemberKind::Scratch, -1}
                                                  : RecordingMember{};
  }
  if (AsciiLower(name) == kTimesFileName) return RecordingMember{RecordingMemberKind::TimesCsv, -1};
  const std::optional<NumberedName> split = SplitNumberedName(name);
  if (!split || split->prefix != prefix) return RecordingMember{};
  const RecordingMemberKind kind = split->extension == ".jpg"   ? RecordingMemberKind::JpgFrame
                                   : split->extension == ".bmp" ? RecordingMemberKind::BmpFrame
                                                                : RecordingMemberKind::Video;
  return RecordingMember{kind, split->number};
}

std::string VideoFileName(std::string_view prefix, std::int32_t firstFrame) {
  return std::string(prefix) + FrameNumberText(firstFrame) + ".avi";
}

}  // namespace lumavex
