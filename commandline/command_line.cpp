#include "commandline/command_line.h"

#include <array>
#include <map>
#include <string_view>

#include "base/text.h"
#include "writeavi/frame_rate.h"
#include "commandline/avi_target.h"
#include "commandline/time_arguments.h"

namespace lumavex {
namespace {

enum class Option {
  WriteAvi,
  Record,
  Help,
  Out,
  Type,
  Fps,
  Overwrite,
  SaveTo,
  For,
  Interval,
  Bmp,
  NoJpg,
  Stamp,
  Video,
  Repair
};
constexpr std::size_t kOptionCount = 15;

enum class ValueForm {
  None,        // a switch
  Next,        // the next argument, whatever it looks like, or joined with "="
  JoinedOnly,  // only joined with "=" (--write-avi=FOLDER)
};

enum class Belongs { Any, WriteAvi, Record };

struct OptionInfo {
  std::string_view name;
  Option option;
  ValueForm value;
  Belongs belongs;
  const char* valueName;
};

constexpr OptionInfo kOptions[] = {
    {"write-avi", Option::WriteAvi, ValueForm::JoinedOnly, Belongs::Any, "FOLDER"},
    {"record", Option::Record, ValueForm::Next, Belongs::Any, "TITLE"},
    {"help", Option::Help, ValueForm::None, Belongs::Any, ""},
    {"?", Option::Help, ValueForm::None, Belongs::Any, ""},
    {"out", Option::Out, ValueForm::Next, Belongs::WriteAvi, "TARGET"},
    {"type", Option::Type, ValueForm::Next, Belongs::WriteAvi, "mjpeg or avi"},
    {"fps", Option::Fps, ValueForm::Next, Belongs::WriteAvi, "N"},
    {"overwrite", Option::Overwrite, ValueForm::None, Belongs::WriteAvi, ""},
    {"save-to", Option::SaveTo, ValueForm::Next, Belongs::Record, "DIR"},
    {"for", Option::For, ValueForm::Next, Belongs::Record, "DURATION"},
    {"interval", Option::Interval, ValueForm::Next, Belongs::Record, "SECONDS"},
    {"bmp", Option::Bmp, ValueForm::None, Belongs::Record, ""},
    {"no-jpg", Option::NoJpg, ValueForm::None, Belongs::Record, ""},
    {"stamp", Option::Stamp, ValueForm::None, Belongs::Record, ""},
    {"video", Option::Video, ValueForm::None, Belongs::Record, ""},
    {"repair", Option::Repair, ValueForm::Next, Belongs::Any, "FILE.avi"},
};

const OptionInfo* FindOption(std::string_view lowerName) {
  for (const OptionInfo& info : kOptions)
    if (info.name == lowerName) return &info;
  return nullptr;
}

// Every argument that begins with "-" (but is not "-" alone) is an option; one
// that begins with "/" is as well, unless its name holds a further "/" or "\":
// then it is a path such as "/rec/Alice01" or "//server/share".
bool LooksLikeOption(const std::string& arg) {
  if (arg.size() < 2) return false;
  if (arg[0] == '-') return true;
  if (arg[0] != '/') return false;
  const std::string_view name = std::string_view(arg).substr(1, arg.find('=') - 1);
  return name.find_first_of("/\\") == std::string_view::npos;
}

// What FrameRateFromText reads as a number; a value without one is far more
// likely a forgotten value than a wish for the slowest rate.
bool BeginsWithNumber(std::string_view text) {
  text = Trim(text);
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i < text.size() && text[i] == '.') ++i;
  return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A path with a quote in it (which Windows names never hold) is what the
// Windows rules make of `"C:\rec\Alice01\" --fps 5`: the "\" before the
// closing quote keeps the quote, and the rest of the line joins the path.
bool HoldsQuote(const std::string& path) { return path.find('"') != std::string::npos; }

std::string QuoteInPathError(const std::string& what, const std::string& path) {
  return what + " " + Quoted(path) +
         " holds a quote: a \\ before a closing quote keeps the quote in the path; leave that \\ out";
}

// Folders that name the same video, as Windows compares paths (ASCII letters
// in either case, either separator).
std::string ComparableTarget(const std::string& target) {
  std::string comparable = AsciiLower(target);
  for (char& c : comparable)
    if (c == '/') c = '\\';
  return comparable;
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  CommandLine Run() {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args_.size(); ++i) {
      const std::string& arg = args_[i];
      if (optionsEnded || !LooksLikeOption(arg)) {
        TakePlain(arg);
      } else if (arg == "--") {
        optionsEnded = true;
      } else {
        TakeOption(arg, i);
      }
    }
    if (!help_) Finish();

    CommandLine line;
    if (help_) {
      line.kind = CommandKind::Help;
    } else if (!error_.empty()) {
      line.kind = CommandKind::Invalid;
      line.error = error_;
    } else if (command_) {
      line.kind = *command_ == Option::WriteAvi ? CommandKind::WriteAvi
                  : *command_ == Option::Repair ? CommandKind::Repair
                                                : CommandKind::Record;
      line.writeAvi = std::move(writeAvi_);
      line.record = std::move(record_);
      line.repairFile = std::move(repairFile_);
    }
    return line;
  }

 private:
  // Only the first fault is told: later ones are often its consequences.
  void Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
  }

  bool Seen(Option option) const { return !spelled_[static_cast<std::size_t>(option)].empty(); }

  // `index` moves past the option's value when that is the next argument.
  void TakeOption(const std::string& arg, std::size_t& index) {
    const bool singleDash = arg[0] == '-' && arg[1] != '-';
    const std::size_t nameStart = arg[0] == '-' && !singleDash ? 2 : 1;
    const std::size_t equals = arg.find('=', nameStart);
    const std::string spelled = arg.substr(0, equals);
    std::optional<std::string> joined;
    if (equals != std::string::npos) joined = arg.substr(equals + 1);

    const OptionInfo* info =
        FindOption(AsciiLower(std::string_view(arg).substr(nameStart, equals - nameStart)));
    if (singleDash) {
      Fail(info ? spelled + " is not an option: write --" + std::string(info->name) + " or /" +
                      std::string(info->name)
                : "unknown option " + spelled + " (options begin with -- or /)");
      return;
    }
    if (!info) {
      Fail("unknown option " + spelled);
      return;
    }
    std::string& seenAs = spelled_[static_cast<std::size_t>(info->option)];
    if (!seenAs.empty()) Fail(spelled + " is given more than once");
    seenAs = spelled;

    std::optional<std::string> value;
    switch (info->value) {
      case ValueForm::None:
        if (joined) Fail(spelled + " takes no value");
        break;
      case ValueForm::JoinedOnly:
        value = joined;
        break;
      case ValueForm::Next:
        if (joined) {
          value = joined;
        } else if (index + 1 < args_.size()) {
          value = args_[++index];
        } else {
          Fail(spelled + " needs a value (" + info->valueName + ") after it");
          return;
        }
        break;
    }
    Apply(*info, spelled, value);
  }

  void Apply(const OptionInfo& info, const std::string& spelled, const std::optional<std::string>& value) {
    switch (info.option) {
      case Option::WriteAvi:
      case Option::Record:
      case Option::Repair:
        if (command_ && *command_ != info.option) Fail("give one of --write-avi, --record and --repair");
        command_ = info.option;
        commandSpelled_ = spelled;
        if (info.option == Option::Repair) {
          TakePath(spelled, *value, "FILE.avi");
          repairFile_ = *value;
        } else if (info.option == Option::Record) {
          if (value->empty()) Fail(spelled + " needs a TITLE, and it is empty");
          record_.title = *value;
        } else if (value) {
          folders_.push_back(*value);
        }
        break;
      case Option::Help:
        help_ = true;
        break;
      case Option::Out:
        TakePath(spelled, *value, "TARGET");
        out_ = *value;
        break;
      case Option::Type: {
        const std::string type = AsciiLower(*value);
        if (type == "mjpeg") {
          writeAvi_.type = AviType::MotionJpeg;
        } else if (type == "avi") {
          writeAvi_.type = AviType::Compressed;
        } else {
          Fail(spelled + " is mjpeg or avi, not " + Quoted(*value));
        }
        break;
      }
      case Option::Fps:
        if (BeginsWithNumber(*value))
          writeAvi_.frameRate = FrameRateFromText(*value);
        else
          Fail(spelled + " needs a number of frames per second, not " + Quoted(*value));
        break;
      case Option::Overwrite:
        writeAvi_.overwrite = true;
        break;
      case Option::SaveTo:
        TakePath(spelled, *value, "DIR");
        record_.saveTo = *value;
        break;
      case Option::For:
        record_.durationMs = DurationMsFromText(*value);
        if (!record_.durationMs)
          Fail(spelled + " needs a DURATION such as 90, 90s, 15m or 2h (above 0, at most 576h), not " +
               Quoted(*value));
        break;
      case Option::Interval:
        record_.intervalMs = IntervalMsFromText(*value);
        if (!record_.intervalMs) Fail(spelled + " needs SECONDS from 0.1 to 60, not " + Quoted(*value));
        break;
      case Option::Bmp:
        record_.bmp = true;
        break;
      case Option::NoJpg:
        record_.jpg = false;
        break;
      case Option::Stamp:
        record_.stamp = true;
        break;
      case Option::Video:
        record_.video = true;
        break;
    }
  }

  void TakePath(const std::string& spelled, const std::string& path, const char* valueName) {
    if (path.empty())
      Fail(spelled + " needs a " + valueName + ", and it is empty");
    else if (HoldsQuote(path))
      Fail(QuoteInPathError(spelled, path));
  }

  void TakePlain(const std::string& arg) {
    if (command_ == Option::WriteAvi)
      folders_.push_back(arg);
    else if (command_ == Option::Repair)
      Fail("unexpected " + Quoted(arg) + " after the FILE.avi (one file at a time)");
    else if (command_ == Option::Record)
      Fail("unexpected " + Quoted(arg) + " after the TITLE (quote a title that has spaces)");
    else
      Fail("unexpected " + Quoted(arg) + ": FOLDERs come after --write-avi");
  }

  void Finish() {
    if (!command_) {
      if (!args_.empty()) Fail("no command: give --write-avi FOLDER..., --record TITLE or --repair FILE.avi");
      return;
    }
    for (const OptionInfo& info : kOptions) {
      if (!Seen(info.option) || info.belongs == Belongs::Any) continue;
      const Option owner = info.belongs == Belongs::WriteAvi ? Option::WriteAvi : Option::Record;
      if (owner != *command_)
        Fail(spelled_[static_cast<std::size_t>(info.option)] + " goes with " +
             (owner == Option::WriteAvi ? "--write-avi" : "--record") + " only");
    }
    if (*command_ == Option::WriteAvi)
      FinishWriteAvi();
    else if (*command_ == Option::Record && !record_.jpg && !record_.bmp && !record_.video)
      Fail(spelled_[static_cast<std::size_t>(Option::NoJpg)] +
           " without --bmp or --video leaves no frames to save");
  }

  void FinishWriteAvi() {
    if (folders_.empty()) {
      Fail(commandSpelled_ + " needs at least one FOLDER");
      return;
    }
    if (out_ && folders_.size() > 1)
      Fail(spelled_[static_cast<std::size_t>(Option::Out)] + " names the video of one FOLDER only, not of " +
           std::to_string(folders_.size()));
    std::map<std::string, const std::string*> folderOfTarget;
    for (const std::string& folder : folders_) {
      if (folder.empty()) {
        Fail("a FOLDER is empty");
        continue;
      }
      if (HoldsQuote(folder)) {
        Fail(QuoteInPathError("FOLDER", folder));
        continue;
      }
      std::optional<std::string> target = out_;
      if (!target) target = AviTargetBesideFolder(folder);
      if (!target) {
        Fail("FOLDER " + Quoted(folder) + " has no name to give its video; name the video with --out");
        continue;
      }
      const auto [earlier, isNew] = folderOfTarget.emplace(ComparableTarget(*target), &folder);
      if (!isNew)
        Fail("FOLDERs " + Quoted(*earlier->second) + " and " + Quoted(folder) + " would both become " +
             Quoted(*target));
      writeAvi_.jobs.push_back(AviJob{folder, *target});
    }
  }

  const std::vector<std::string>& args_;
  std::string error_;
  bool help_ = false;
  std::optional<Option> command_;
  std::string commandSpelled_;
  // How each option was written, for the messages; empty while not seen.
  std::array<std::string, kOptionCount> spelled_;
  std::vector<std::string> folders_;
  std::optional<std::string> out_;
  WriteAviCommand writeAvi_;
  RecordCommand record_;
  std::string repairFile_;
};

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) { return Parser(args).Run(); }

}  // namespace lumavex
