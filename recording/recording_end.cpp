#include "recording/recording_end.h"

#include "recording/times_csv.h"

namespace lumavex {

bool TimesTailEnded(std::string_view tail, bool whole) {
  if (!whole) {
    const std::size_t lf = tail.find('\n');
    tail = lf == std::string_view::npos ? std::string_view() : tail.substr(lf + 1);
  }
  // The parser wants the header first; a cut tail has none of its own.
  std::string text(kTimesCsvHeader);
  text += "\r\n";
  const std::string_view header = kTimesCsvHeader;
  if (tail.substr(0, header.size()) == header) {
    text.clear();
  } else if (tail.substr(0, 3) == "\xEF\xBB\xBF" && tail.substr(3, header.size()) == header) {
    text.clear();
  }
  text.append(tail.data(), tail.size());
  const TimesCsvContents contents = ParseTimesCsv(text);
  if (contents.records.empty()) return true;
  const TimesEvent last = contents.records.back().event;
  if (last == TimesEvent::Repaired) return true;
  if (last != TimesEvent::Stop && last != TimesEvent::Halt) return false;
  // A video that could not be ended is named just before the end line.
  for (auto record = contents.records.rbegin(); record != contents.records.rend(); ++record) {
    if (record->event == TimesEvent::Repaired) break;
    if (record->event == TimesEvent::Unfinished) return false;
  }
  return true;
}

}  // namespace lumavex
