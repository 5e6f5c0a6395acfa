#include "recording/recording_folder_facts.h"

#include "recording/frame_naming.h"
#include "recording/recording_members.h"
#include "recording/times_csv.h"

namespace lumavex {
namespace {

constexpr std::string_view kWindowField = "window=";

std::string TitleOf(const std::string& startDetail) {
  // "interval_ms=1000; window=<title>": the title may hold "; " itself.
  const std::size_t at = startDetail.find(kWindowField);
  return at == std::string::npos ? std::string() : startDetail.substr(at + kWindowField.size());
}

}  // namespace

RecordingLogFacts ReadRecordingLogFacts(std::string_view head, std::string_view tail, bool tailIsWhole) {
  RecordingLogFacts facts;
  const TimesCsvContents first = ParseTimesCsv(head);
  if (!first.header) return facts;
  for (const TimesRecord& record : first.records) {
    if (record.event != TimesEvent::Start) continue;
    facts.recording = true;
    facts.title = TitleOf(record.detail);
    break;
  }
  if (!facts.recording) return facts;
  // The tail starts inside a line: its first line end begins the whole ones.
  if (!tailIsWhole) {
    const std::size_t end = tail.find('\n');
    tail = end == std::string_view::npos ? std::string_view() : tail.substr(end + 1);
  }
  const TimesCsvContents last = ParseTimesCsv(tail);
  // A `repaired` line is written by a later Start, long after the recording
  // ended: it must not make an old recording look young.
  const auto lastOfRecording = [](const std::vector<TimesRecord>& records) -> const TimesRecord* {
    for (auto it = records.rbegin(); it != records.rend(); ++it)
      if (it->event != TimesEvent::Repaired) return &*it;
    return nullptr;
  };
  const TimesRecord* lastRecord = lastOfRecording(last.records);
  if (!lastRecord) lastRecord = lastOfRecording(first.records);
  if (!lastRecord) lastRecord = last.records.empty() ? &first.records.back() : &last.records.back();
  facts.lastLineMs = UtcMilliseconds(lastRecord->time);
  return facts;
}

std::string RecordingPrefixAmong(const std::vector<std::string>& names, const std::string& title) {
  const std::string full = FramePrefix(title);
  std::string_view best;
  for (const std::string& name : names) {
    const std::optional<NumberedName> split = SplitNumberedName(name);
    if (!split || split->prefix.empty() || split->prefix.size() <= best.size()) continue;
    if (std::string_view(full).substr(0, split->prefix.size()) == split->prefix) best = split->prefix;
  }
  return best.empty() ? full : std::string(best);
}

}  // namespace lumavex
