#pragma once
// What makes a folder under the save folder a Lumavex recording, read from
// the beginning and the end of its times.csv (a long recording's log is
// never read whole), and which of its numbered files are the recording's.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumavex {

// How much of times.csv is read: the start line is among the first lines,
// the last whole line within the last bytes.
inline constexpr std::size_t kLogHeadBytes = 64 * 1024;
inline constexpr std::size_t kLogTailBytes = 4 * 1024;

struct RecordingLogFacts {
  // The first line is the header and a `start` line follows among the
  // first kLogHeadBytes.
  bool recording = false;
  // The title on the start line ("interval_ms=...; window=<title>").
  std::string title;
  // The time of the last whole line (UTC ms since 1970).
  std::int64_t lastLineMs = 0;
};

// `head` is the file's first kLogHeadBytes (or all of it), `tail` its last
// kLogTailBytes (or all of it; then `tailIsWhole`).
RecordingLogFacts ReadRecordingLogFacts(std::string_view head, std::string_view tail, bool tailIsWhole);

// The frame prefix a recording's files carry: FramePrefix(title), or the
// longest start of it that numbered names in the folder carry (a prefix
// shortened for a long path). A numbered name with another prefix is the
// user's; in doubt a file is kept.
std::string RecordingPrefixAmong(const std::vector<std::string>& names, const std::string& title);

}  // namespace lumavex
