#include "recording/recording_settings.h"

#include <optional>
#include <vector>

#include "base/text.h"
#include "base/utf8.h"

namespace lumavex {
namespace {

constexpr std::string_view kSection = "Recording";
// The keys, in the order missing ones are added.
enum Key : std::size_t { kInterval, kStamp, kVideo, kSegment, kKeepDays, kKeepMegabytes, kKeyCount };
constexpr std::string_view kKeyNames[kKeyCount] = {"IntervalMs",     "StampTime", "Video",
                                                   "SegmentSeconds", "KeepDays",  "KeepMegabytes"};

// An ini file's blanks: a CR before its LF is the line end's, any other CR
// is part of the value.
constexpr std::string_view kIniBlanks = " \t";

// A line without its end, and the end (CR LF, LF or nothing on the last).
struct IniLine {
  std::string_view content;
  std::string_view ending;
};

std::vector<IniLine> SplitLines(std::string_view text) {
  std::vector<IniLine> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t lf = text.find('\n', pos);
    if (lf == std::string_view::npos) {
      lines.push_back({text.substr(pos), {}});
      break;
    }
    std::size_t end = lf;
    if (end > pos && text[end - 1] == '\r') --end;
    lines.push_back({text.substr(pos, end - pos), text.substr(end, lf + 1 - end)});
    pos = lf + 1;
  }
  return lines;
}

enum class LineKind { Blank, Comment, Section, Key, Other };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;  // of a section or key
  std::string_view value;
};

ParsedLine ParseLine(std::string_view content) {
  const std::string_view text = Trim(content, kIniBlanks);
  ParsedLine line;
  if (text.empty()) {
    line.kind = LineKind::Blank;
  } else if (text.front() == ';') {
    line.kind = LineKind::Comment;
  } else if (text.front() == '[') {
    line.kind = LineKind::Section;
    line.name = Trim(text.substr(1, text.find(']') - 1), kIniBlanks);
  } else if (const std::size_t eq = text.find('='); eq != std::string_view::npos) {
    line.kind = LineKind::Key;
    line.name = Trim(text.substr(0, eq), kIniBlanks);
    line.value = Trim(text.substr(eq + 1), kIniBlanks);
    // Windows drops one pair of enclosing quotes.
    if (line.value.size() >= 2 && (line.value.front() == '"' || line.value.front() == '\'') &&
        line.value.back() == line.value.front())
      line.value = line.value.substr(1, line.value.size() - 2);
  }
  return line;
}

// Where the reader finds the section and its keys; npos when absent.
struct SettingsPlace {
  std::size_t section = std::string_view::npos;
  std::size_t sectionEnd = 0;  // the next section's line, or the line count
  std::size_t keys[kKeyCount] = {std::string_view::npos, std::string_view::npos, std::string_view::npos,
                                 std::string_view::npos, std::string_view::npos, std::string_view::npos};
};

SettingsPlace Locate(const std::vector<IniLine>& lines) {
  SettingsPlace place;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ParsedLine line = ParseLine(lines[i].content);
    if (line.kind == LineKind::Section) {
      if (place.section != std::string_view::npos) {
        place.sectionEnd = i;
        return place;
      }
      if (EqualsIgnoringAsciiCase(line.name, kSection)) place.section = i;
    } else if (line.kind == LineKind::Key && place.section != std::string_view::npos) {
      for (std::size_t key = 0; key < kKeyCount; ++key)
        if (place.keys[key] == std::string_view::npos && EqualsIgnoringAsciiCase(line.name, kKeyNames[key]))
          place.keys[key] = i;
    }
  }
  place.sectionEnd = lines.size();
  return place;
}

std::optional<int> ParsePlainNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    // Anything this large is out of every range; stop before it overflows.
    if (value < 1000000000) value = value * 10 + (c - '0');
  }
  return value > 1000000000 ? 1000000000 : static_cast<int>(value);
}

std::optional<int> ValueAt(const std::vector<IniLine>& lines, std::size_t index) {
  if (index == std::string_view::npos) return std::nullopt;
  return ParsePlainNumber(ParseLine(lines[index].content).value);
}

}  // namespace

RecordingSettings ParseRecordingSettings(std::string_view iniText) {
  iniText = StripUtf8Bom(iniText);
  const std::vector<IniLine> lines = SplitLines(iniText);
  const SettingsPlace place = Locate(lines);
  RecordingSettings settings;
  const std::optional<int> interval = ValueAt(lines, place.keys[kInterval]);
  if (interval && *interval >= kMinCaptureIntervalMs && *interval <= kMaxCaptureIntervalMs)
    settings.intervalMs = *interval;
  const std::optional<int> stamp = ValueAt(lines, place.keys[kStamp]);
  if (stamp && *stamp <= 1) settings.stampTime = *stamp == 1;
  const std::optional<int> video = ValueAt(lines, place.keys[kVideo]);
  if (video && *video <= 1) settings.video = *video == 1;
  const std::optional<int> segment = ValueAt(lines, place.keys[kSegment]);
  if (segment && *segment >= kMinSegmentSeconds && *segment <= kMaxSegmentSeconds)
    settings.segmentSeconds = *segment;
  const std::optional<int> days = ValueAt(lines, place.keys[kKeepDays]);
  if (days && *days <= kMaxKeepDays) settings.keepDays = *days;
  const std::optional<int> megabytes = ValueAt(lines, place.keys[kKeepMegabytes]);
  if (megabytes && *megabytes <= kMaxKeepMegabytes) settings.keepMegabytes = *megabytes;
  return settings;
}

std::string UpdateRecordingSettings(std::string_view existing, const RecordingSettings& settings) {
  const bool bom = StartsWithUtf8Bom(existing);
  existing = StripUtf8Bom(existing);
  const std::vector<IniLine> lines = SplitLines(existing);
  const std::string_view eol =
      !lines.empty() && !lines.front().ending.empty() ? lines.front().ending : "\r\n";
  // SegmentSeconds is the file's own: never written here.
  const std::optional<std::string> keyLines[kKeyCount] = {
      std::string(kKeyNames[kInterval]) + "=" + std::to_string(settings.intervalMs),
      std::string(kKeyNames[kStamp]) + "=" + (settings.stampTime ? "1" : "0"),
      std::string(kKeyNames[kVideo]) + "=" + (settings.video ? "1" : "0"),
      std::nullopt,
      std::string(kKeyNames[kKeepDays]) + "=" + std::to_string(settings.keepDays),
      std::string(kKeyNames[kKeepMegabytes]) + "=" + std::to_string(settings.keepMegabytes)};

  SettingsPlace place = Locate(lines);
  // Missing keys go after the section's last line that is not blank, so the
  // blank lines before the next section stay before it.
  std::size_t insertAt = lines.size();
  if (place.section != std::string_view::npos) {
    insertAt = place.section + 1;
    for (std::size_t i = place.section + 1; i < place.sectionEnd; ++i) {
      if (ParseLine(lines[i].content).kind != LineKind::Blank) insertAt = i + 1;
    }
  }

  std::string out;
  out.reserve(existing.size() + 64);
  if (bom) out += kUtf8Bom;
  const auto addLine = [&](std::string_view content) {
    // The text's last line may have had no end of its own.
    if (!out.empty() && out.back() != '\n' && out.size() > (bom ? kUtf8Bom.size() : 0)) out += eol;
    out += content;
    out += eol;
  };
  const auto addMissing = [&]() {
    if (place.section == std::string_view::npos) {
      if (!lines.empty() && ParseLine(lines.back().content).kind != LineKind::Blank) addLine("");
      addLine("[" + std::string(kSection) + "]");
    }
    for (std::size_t key = 0; key < kKeyCount; ++key) {
      // The limits are written once chosen: a file that never had them keeps
      // its lines.
      const bool unchosenLimit = (key == kKeepDays && settings.keepDays == 0) ||
                                 (key == kKeepMegabytes && settings.keepMegabytes == 0);
      if (place.keys[key] == std::string_view::npos && keyLines[key] && !unchosenLimit)
        addLine(*keyLines[key]);
    }
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == insertAt) addMissing();
    std::string_view content = lines[i].content;
    for (std::size_t key = 0; key < kKeyCount; ++key)
      if (i == place.keys[key] && keyLines[key]) content = *keyLines[key];
    out += content;
    out += lines[i].ending;
  }
  if (insertAt == lines.size()) addMissing();
  return out;
}

SettingsText DecodeSettingsFile(std::string_view bytes) {
  SettingsText text;
  const bool le = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  const bool be = bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF';
  if (!le && !be) {
    text.utf8.assign(bytes);
    return text;
  }
  text.encoding = le ? SettingsEncoding::Utf16Le : SettingsEncoding::Utf16Be;
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(le ? first | second << 8 : first << 8 | second));
  }
  if (bytes.size() % 2 != 0) units.push_back(u'\uFFFD');
  text.utf8 = Utf16ToUtf8(units);
  return text;
}

std::string EncodeSettingsFile(std::string_view utf8, SettingsEncoding encoding) {
  if (encoding == SettingsEncoding::Utf8) return std::string(utf8);
  const bool le = encoding == SettingsEncoding::Utf16Le;
  const std::u16string units = u"\uFEFF" + Utf8ToUtf16(utf8);
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (const char16_t unit : units) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    bytes += le ? low : high;
    bytes += le ? high : low;
  }
  return bytes;
}

}  // namespace lumavex
