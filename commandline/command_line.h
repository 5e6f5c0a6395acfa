#pragma once
// What Lumavex.exe was asked to do by its arguments (UTF-8, without the
// program's name). The Win32 side reads the line and carries the work out;
// this only decides what the line means or why it is wrong. See UsageText()
// for the syntax and how an argument that begins with - or / is read.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumavex {

enum class CommandKind {
  None,      // no arguments: the main window as usual
  Help,      // --help or /? anywhere: the usage on standard output, kExitDone
  WriteAvi,  // see CommandLine::writeAvi
  Record,    // see CommandLine::record
  Repair,    // see CommandLine::repairFile
  Invalid,   // see CommandLine::error; the usage on standard error, kExitBadCommandLine
};

enum class AviType {
  MotionJpeg,  // --type mjpeg: the JPG files copied as frames
  Compressed,  // --type avi: through the platform's AVI services
};

inline constexpr int kDefaultCommandFrameRate = 3;

struct AviJob {
  std::string folder;  // as given
  std::string target;  // --out, else AviTargetBesideFolder(folder)
};

struct WriteAviCommand {
  std::vector<AviJob> jobs;  // in the order the folders were given, at least one
  AviType type = AviType::MotionJpeg;
  int frameRate = kDefaultCommandFrameRate;  // 1..30, by FrameRateFromText
  bool overwrite = false;                    // an existing target may be replaced
};

struct RecordCommand {
  std::string title;                       // the exact window title, not empty
  std::optional<std::string> saveTo;       // nothing: the main window's save folder
  std::optional<std::int64_t> durationMs;  // nothing: until the window closes
  std::optional<int> intervalMs;           // kMin/kMaxCaptureIntervalMs; nothing: 1 s, not settings.ini
  bool jpg = true;                         // at least one of jpg, bmp and video is on
  bool bmp = false;
  bool stamp = false;
  bool video = false;  // --video: "Save into a video" for this run
};

struct CommandLine {
  CommandKind kind = CommandKind::None;
  WriteAviCommand writeAvi;  // filled when kind is WriteAvi
  RecordCommand record;      // filled when kind is Record
  std::string repairFile;    // when kind is Repair: the video to rebuild
  std::string error;         // when kind is Invalid: one line naming the argument at fault
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);

}  // namespace lumavex
