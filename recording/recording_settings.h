#pragma once
// The recording choices kept between runs, as the text of settings.ini:
//   [Recording]
//   IntervalMs=1000
//   StampTime=0
//   Video=0
//   SegmentSeconds=3600   (read only: kept as the user wrote it)
//   KeepDays=0
//   KeepMegabytes=0
// Read as liberally as Windows reads ini files: names in any case, spaces
// around names and values, ';' comment lines, CR LF or LF, a UTF-8 byte
// order mark; a file in UTF-16 (with its byte order mark, either byte
// order), as Notepad saves "Unicode", is read too and written back in
// UTF-16. Finding and storing the file is the caller's.
#include <string>
#include <string_view>

#include "recording/capture_schedule.h"
#include "recording/prune_plan.h"

namespace lumavex {

// The longest time one video of a recording covers.
inline constexpr int kDefaultSegmentSeconds = 3600;
inline constexpr int kMinSegmentSeconds = 5;
inline constexpr int kMaxSegmentSeconds = 86400;

struct RecordingSettings {
  int intervalMs = kDefaultCaptureIntervalMs;
  bool stampTime = false;
  bool video = false;  // "Save into a video"
  int segmentSeconds = kDefaultSegmentSeconds;
  int keepDays = 0;       // 0 keeps every recording
  int keepMegabytes = 0;  // 0: no disk budget
  KeepLimits Keep() const { return KeepLimits{keepDays, keepMegabytes}; }
};

// Each key on its own: a missing section or key, or a value that is no plain
// decimal number or is out of range (IntervalMs 100-60000, StampTime and
// Video 0 or 1, SegmentSeconds 5-86400, KeepDays 0-3650, KeepMegabytes
// 0-100000000),
// gives that key's default, silently. A value inside the range but not one
// of kCaptureIntervalsMs is kept. Of repeated sections or keys the first
// counts, as with Windows.
RecordingSettings ParseRecordingSettings(std::string_view iniText);

// `existing` with the menu's keys set (not SegmentSeconds, which only the
// file sets; KeepDays and KeepMegabytes only when present or not 0): each is replaced where the reader finds
// it, or added at the end of the [Recording] section, or the section is
// added at the end of the text. Every other line stays as it was, byte for
// byte. Added lines end as the text's lines do (CR LF for a new file).
std::string UpdateRecordingSettings(std::string_view existing, const RecordingSettings& settings);

// How the file's bytes are encoded: by its byte order mark, UTF-8 otherwise.
enum class SettingsEncoding { Utf8, Utf16Le, Utf16Be };

struct SettingsText {
  std::string utf8;  // a UTF-8 byte order mark stays; a UTF-16 one is dropped
  SettingsEncoding encoding = SettingsEncoding::Utf8;
};

// The file's bytes as the UTF-8 text the functions above take. An odd last
// byte or an unpaired surrogate in UTF-16 becomes U+FFFD.
SettingsText DecodeSettingsFile(std::string_view bytes);

// The text as the file's bytes in `encoding`, UTF-16 with its byte order
// mark: a file is written back whole in the encoding it was read in, never
// with lines of another.
std::string EncodeSettingsFile(std::string_view utf8, SettingsEncoding encoding);

}  // namespace lumavex
