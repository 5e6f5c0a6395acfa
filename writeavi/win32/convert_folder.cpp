#include "writeavi/win32/convert_folder.h"

#include <string>
#include <vector>

#include "writeavi/win32/output_types.h"
#include "writeavi/win32/frame_folder.h"

namespace lumavex {
namespace {

constexpr const char* kProposedName = "MyAVI.avi";

}  // namespace

ConversionResult ConvertFolderToAvi(const ConversionRequest& request, ConversionView& view,
                                    const AviChoices& choices) {
  ConversionResult result;
  const std::vector<FrameFile> frames = ListFrameFolder(request.folder);
  {
    std::vector<std::string> names;
    names.reserve(frames.size());
    for (const FrameFile& frame : frames) names.push_back(frame.name);
    view.Frames(names);
  }
  if (frames.empty()) {
    view.Message("No files to convert, Please choose the correct folder.", MessageIcon::None);
    return result;
  }

  std::string target = kProposedName;
  AviOutput output = request.output;
  if (!choices.target || !choices.target(request.owner, target, output)) return result;

  result.target = target;
  const ConversionInput input{request, frames, target, view};
  result.frames =
      output == AviOutput::MotionJpegCopy ? WriteMotionJpeg(input) : WriteThroughAviServices(input, choices);
  result.written = result.frames > 0;
  return result;
}

}  // namespace lumavex
