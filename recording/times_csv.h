#pragma once
// times.csv, the log of a recording kept in its folder: UTF-8, the header
// line "time_utc,event,frame,detail", then one line per event, each ended
// by CR LF and quoted as RFC 4180 does. Every line reaches the system as
// soon as it is written, so a killed program leaves whole lines and at most
// a torn last one, which the parser leaves out.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file.h"
#include "recording/timestamp.h"

namespace lumavex {

inline constexpr std::string_view kTimesCsvHeader = "time_utc,event,frame,detail";

enum class TimesEvent {
  Start,
  Frame,
  Pause,
  Resume,
  Lost,   // the webcam window went away
  Back,   // a webcam window was found again
  Reset,  // the frame counter was set back to 0
  Stop,   // stopped by the user
  Halt,   // ended by itself; the reason is the detail
  // Files of this or an older recording were deleted to keep the user's
  // limits; the detail says what went and why.
  Pruned,
  // A later Start found the recording unended and repaired its video; the
  // file and its frames are the detail. The recording counts as ended.
  Repaired,
  Hung,       // the recorded window's program stopped answering
  Answering,  // it answers again
  // Slots without a frame while the window is there (recording/capture_gaps.h).
  Hidden,    // neither the screen nor the window gives the pane; why is the detail
  Shown,     // frames come again
  Locked,    // the session is locked, or the screen cannot be copied (the detail)
  Unlocked,  // frames come again
  // A video of the recording whose end could not be written (its file name
  // is the detail): its last frames are on the disk but not in its index,
  // and the recording counts as unended until a Start repairs it.
  Unfinished,
};
// The word in the file: "start", "frame", ...
const char* TimesEventName(TimesEvent event);
std::optional<TimesEvent> ParseTimesEvent(std::string_view name);

struct TimesRecord {
  CalendarTime time;  // UTC
  TimesEvent event = TimesEvent::Frame;
  // Written for frame lines only; the field is empty on the others.
  std::optional<std::int64_t> frame;
  std::string detail;
};
bool operator==(const TimesRecord& a, const TimesRecord& b);

// The field as it goes into the file: in double quotes, with its quotes
// doubled, when it holds a comma, a double quote, CR or LF; as it is
// otherwise.
std::string QuoteCsvField(std::string_view field);

// One whole line, CR LF included.
std::string FormatTimesLine(const TimesRecord& record);

// What a times.csv holds. Blank lines are passed over.
struct TimesCsvContents {
  // The first line is the header (a UTF-8 byte order mark before it is
  // allowed).
  bool header = false;
  std::vector<TimesRecord> records;
  // Text after the last line end: a line cut off as it was written. Left out
  // of the records even when it would parse, as its last field may be short.
  bool tornLastLine = false;
  // Whole lines that are no record (a torn line the writer later ended, a
  // line edited by hand). Left out of the records.
  std::size_t malformedLines = 0;
};
TimesCsvContents ParseTimesCsv(std::string_view text);

// Appends the lines of one recording to its times.csv. Never throws: every
// failure is a false return, and the recording may go on without the log.
class TimesCsvWriter {
 public:
  // Creates the file with its header line, or opens an existing one to add
  // to it (reading it through once). Refuses (false, nothing written) a file
  // that does not begin with the header, which is someone else's. A torn
  // last line is ended first (a quoted field in it closed), so the next line
  // starts whole; what it holds may then read as a record with a short
  // detail, or as a malformed line.
  bool Open(const std::string& path);
  // Writes the line and flushes it to the system. False when the file is not
  // open or the line could not be written whole; a later line then begins
  // on a line of its own.
  bool Write(const TimesRecord& record);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  // The open file, for asking the system where it is now; null when closed.
  std::FILE* stream() const { return file_.get(); }

 private:
  bool EndOpenLine();
  bool WriteText(std::string_view text);

  UniqueStdFile file_;
  bool lineOpen_ = false;
};

}  // namespace lumavex
