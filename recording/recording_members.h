#pragma once
// Which entries of a recording folder are the recording's own: the one
// place that decides it, for listing frames, naming videos and deleting old
// recordings. Everything else in the folder is the user's.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumavex {

inline constexpr const char* kTimesFileName = "times.csv";
// A folder of its own inside the recording folder, so that a frame costs one
// new name among the thousands of frames (Wine reads the whole folder to
// look a new name up) and one move. Short enough that a path in it is never
// longer than a frame's.
inline constexpr const char* kScratchFolderName = "~tmp";

enum class RecordingMemberKind {
  None,      // not the recording's: never touched
  JpgFrame,  // <prefix><7 digits>.jpg
  BmpFrame,  // <prefix><7 digits>.bmp
  Video,     // <prefix><7 digits>.avi, named by its first frame
  TimesCsv,  // times.csv
  Scratch,   // the ~tmp folder
};

struct RecordingMember {
  RecordingMemberKind kind = RecordingMemberKind::None;
  // The 7-digit number of a frame or video; -1 for the others.
  std::int32_t number = -1;
};

// A numbered name split: what comes before the 7 digits, the number, and the
// extension in lower case (".jpg", ".bmp", ".avi"). Empty for any other name.
struct NumberedName {
  std::string_view prefix;
  std::int32_t number = 0;
  std::string extension;
};
std::optional<NumberedName> SplitNumberedName(std::string_view name);

// What `name` (a file when `isFolder` is false) is in a recording whose
// frames carry `prefix`. Extensions are matched without regard to case, as
// Windows does; the prefix and the digits exactly.
RecordingMember ClassifyRecordingEntry(std::string_view name, bool isFolder, std::string_view prefix);

// The name of a video whose first frame is `firstFrame`: prefix + 7 digits + ".avi".
std::string VideoFileName(std::string_view prefix, std::int32_t firstFrame);

}  // namespace lumavex
