#include "recording/times_csv.h"

#include <algorithm>
#include <array>

#include "base/text.h"

namespace lumavex {
namespace {

constexpr std::array<const char*, 18> kEventNames{"start",    "frame",    "pause",     "resume", "lost",
                                                  "back",     "reset",    "stop",      "halt",   "pruned",
                                                  "repaired", "hung",     "answering", "hidden", "shown",
                                                  "locked",   "unlocked", "unfinished"};

std::optional<std::int64_t> ParseFrameNumber(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;  // 18 digits cannot overflow
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// One line of RFC 4180 text from `pos`, which it moves past the line end.
struct CsvLine {
  std::vector<std::string> fields{1};
  bool ended = false;      // a line end was reached, not the end of the text
  bool wellFormed = true;  // no quote inside an unquoted field, nothing after a closing quote
};

CsvLine ReadCsvLine(std::string_view text, std::size_t& pos) {
  CsvLine line;
  bool fieldStart = true;
  bool inQuotes = false;
  bool afterQuote = false;
  while (pos < text.size()) {
    const char c = text[pos++];
    std::string& field = line.fields.back();
    if (inQuotes) {
      if (c != '"') {
        field += c;
      } else if (pos < text.size() && text[pos] == '"') {
        field += '"';
        ++pos;
      } else {
        inQuotes = false;
        afterQuote = true;
      }
      continue;
    }
    if (c == '\n' || (c == '\r' && pos < text.size() && text[pos] == '\n')) {
      if (c == '\r') ++pos;
      line.ended = true;
      return line;
    }
    if (c == ',') {
      line.fields.emplace_back();
      fieldStart = true;
      afterQuote = false;
    } else if (c == '"' && fieldStart) {
      inQuotes = true;
      fieldStart = false;
    } else {
      if (c == '"' || afterQuote) line.wellFormed = false;
      field += c;
      fieldStart = false;
    }
  }
  return line;
}

std::optional<TimesRecord> RecordFromFields(const std::vector<std::string>& fields) {
  if (fields.size() != 4) return std::nullopt;
  const std::optional<CalendarTime> time = ParseUtcTime(fields[0]);
  const std::optional<TimesEvent> event = ParseTimesEvent(fields[1]);
  if (!time || !event) return std::nullopt;
  TimesRecord record;
  record.time = *time;
  record.event = *event;
  if (!fields[2].empty()) {
    record.frame = ParseFrameNumber(fields[2]);
    if (!record.frame) return std::nullopt;
  }
  record.detail = fields[3];
  return record;
}

}  // namespace

bool operator==(const TimesRecord& a, const TimesRecord& b) {
  return a.time == b.time && a.event == b.event && a.frame == b.frame && a.detail == b.detail;
}

const char* TimesEventName(TimesEvent event) {
  const auto index = static_cast<std::size_t>(event);
  return index < kEventNames.size() ? kEventNames[index] : "";
}

std::optional<TimesEvent> ParseTimesEvent(std::string_view name) {
  for (std::size_t i = 0; i < kEventNames.size(); ++i) {
    if (name == kEventNames[i]) return static_cast<TimesEvent>(i);
  }
  return std::nullopt;
}

std::string QuoteCsvField(std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
  std::string quoted;
  quoted.reserve(field.size() + 2);
  quoted += '"';
  for (const char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string FormatTimesLine(const TimesRecord& record) {
  std::string line = FormatUtcTime(record.time);
  line += ',';
  line += TimesEventName(record.event);
  line += ',';
  if (record.event == TimesEvent::Frame && record.frame) line += std::to_string(*record.frame);
  line += ',';
  line += QuoteCsvField(record.detail);
  line += "\r\n";
  return line;
}

TimesCsvContents ParseTimesCsv(std::string_view text) {
  TimesCsvContents contents;
  text = StripUtf8Bom(text);
  std::size_t pos = 0;
  bool firstLine = true;
  while (pos < text.size()) {
    const CsvLine line = ReadCsvLine(text, pos);
    if (!line.ended) {
      contents.tornLastLine = true;
      break;
    }
    const bool isFirst = firstLine;
    firstLine = false;
    if (isFirst && line.wellFormed && line.fields.size() == 4 && line.fields[0] == "time_utc" &&
        line.fields[1] == "event" && line.fields[2] == "frame" && line.fields[3] == "detail") {
      contents.header = true;
      continue;
    }
    if (line.fields.size() == 1 && line.fields[0].empty() && line.wellFormed) continue;
    std::optional<TimesRecord> record;
    if (line.wellFormed) record = RecordFromFields(line.fields);
    if (record) {
      contents.records.push_back(std::move(*record));
    } else {
      ++contents.malformedLines;
    }
  }
  return contents;
}

bool TimesCsvWriter::Open(const std::string& path) {
  Close();
  try {
    UniqueStdFile file(OpenFileUtf8(path, "a+b"));
    if (!file) return false;
    std::FILE* f = file.get();
    // Reading in append-update mode starts where the C library likes; the
    // beginning is asked for, and writes go to the end whatever the position.
    if (std::fseek(f, 0, SEEK_SET) != 0) return false;
    char start[64] = {};
    const std::size_t got = std::fread(start, 1, sizeof start, f);
    if (std::ferror(f)) return false;
    if (got == 0) {
      const std::string header = std::string(kTimesCsvHeader) + "\r\n";
      if (std::fwrite(header.data(), 1, header.size(), f) != header.size() || std::fflush(f) != 0)
        return false;
    } else {
      std::string_view head(start, got);
      head = StripUtf8Bom(head);
      if (head.substr(0, kTimesCsvHeader.size()) != kTimesCsvHeader) return false;
      head.remove_prefix(kTimesCsvHeader.size());
      if (head.substr(0, 1) != "\n" && head.substr(0, 2) != "\r\n") return false;
      // One read through: the last byte tells whether the last line was
      // ended, the count of quotes whether it was cut inside a quoted field.
      // A cut line is ended now, so the next one starts whole.
      if (std::fseek(f, 0, SEEK_SET) != 0) return false;
      char buffer[4096];
      char last = 0;
      bool inQuotes = false;
      for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) {
        if (std::count(buffer, buffer + n, '"') % 2 != 0) inQuotes = !inQuotes;
        last = buffer[n - 1];
      }
      if (std::ferror(f) || std::fseek(f, 0, SEEK_END) != 0) return false;
      std::string_view end;
      if (inQuotes) {
        end = "\"\r\n";
      } else if (last == '\r') {
        end = "\n";  // cut between its CR and LF: whole already
      } else if (last != '\n') {
        end = "\r\n";
      }
      if (!end.empty() && (std::fwrite(end.data(), 1, end.size(), f) != end.size() || std::fflush(f) != 0))
        return false;
    }
    file_ = std::move(file);
    lineOpen_ = false;
    return true;
  } catch (...) {
    Close();
    return false;
  }
}

bool TimesCsvWriter::Write(const TimesRecord& record) {
  if (!file_) return false;
  try {
    return WriteText(FormatTimesLine(record));
  } catch (...) {
    return false;
  }
}

// After a failed line its start may have reached the file; the next line
// must not be glued to it. An extra blank line is harmless.
bool TimesCsvWriter::EndOpenLine() {
  if (!lineOpen_) return true;
  std::FILE* f = file_.get();
  if (std::fwrite("\r\n", 1, 2, f) != 2 || std::fflush(f) != 0) {
    std::clearerr(f);
    return false;
  }
  lineOpen_ = false;
  return true;
}

bool TimesCsvWriter::WriteText(std::string_view text) {
  if (!EndOpenLine()) return false;
  std::FILE* f = file_.get();
  if (std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fflush(f) != 0) {
    std::clearerr(f);
    lineOpen_ = true;
    return false;
  }
  return true;
}

void TimesCsvWriter::Close() {
  file_.reset();
  lineOpen_ = false;
}

}  // namespace lumavex
