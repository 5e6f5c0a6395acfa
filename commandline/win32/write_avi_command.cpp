#include "commandline/win32/write_avi_command.h"

#include <memory>
#include <string>
#include <vector>

#include "base/message.h"
#include "commandline/exit_codes.h"
#include "platform/avi_handles.h"
#include "platform/files.h"
#include "writeavi/conversion_summary.h"
#include "writeavi/win32/convert_folder.h"
#include "writeavi/win32/preset_choices.h"

namespace lumavex {
namespace {

// What a conversion says, kept for the one line the command prints.
class KeptMessages : public ConversionView {
 public:
  void Frames(std::shared_ptr<const FrameNames>) override {}
  void Current(int) override {}
  void Preview(const Image&) override {}
  void Message(const std::string& text, MessageIcon) override { messages_.push_back(OneLine(text)); }

  std::string Joined() const {
    std::string text;
    for (const std::string& m : messages_) text += (text.empty() ? "" : " ") + m;
    return text;
  }

 private:
  std::vector<std::string> messages_;
};

bool Convert(const AviJob& job, const WriteAviCommand& command, const ConsoleOutput& console) {
  if (!DirectoryExists(job.folder)) {
    console.Err(job.folder + ": no such folder\n");
    return false;
  }
  if (!command.overwrite && PathExists(job.target)) {
    console.Err(job.target + ": exists already; --overwrite replaces it\n");
    return false;
  }
  ConversionRequest request;
  request.folder = job.folder;
  request.frameRate = command.frameRate;
  const AviOutput output =
      command.type == AviType::Compressed ? AviOutput::Compressed : AviOutput::MotionJpegCopy;
  request.output = output;
  KeptMessages messages;
  const ConversionResult result = ConvertFolderToAvi(request, messages, PresetAviChoices(job.target, output));
  const std::string said = messages.Joined();
  if (!result.written) {
    console.Err(job.folder + ": " + (said.empty() ? "no video was written" : said) + "\n");
    return false;
  }
  console.Out(job.target + ": " + Grouped(result.frames) + (result.frames == 1 ? " frame" : " frames") +
              (said.empty() ? "" : ". " + said) + "\n");
  return true;
}

}  // namespace

int RunWriteAvi(const WriteAviCommand& command, const ConsoleOutput& console) {
  const AviFileServices services;
  bool all = true;
  for (const AviJob& job : command.jobs) all = Convert(job, command, console) && all;
  return all ? kExitDone : kExitFailed;
}

}  // namespace lumavex
