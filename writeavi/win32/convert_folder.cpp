#include "writeavi/win32/convert_folder.h"

#include <memory>
#include <string>

#include "platform/folder_marks.h"
#include "writeavi/win32/output_types.h"
#include "writeavi/win32/frame_folder.h"

namespace lumavex {
namespace {

constexpr const char* kProposedName = "MyAVI.avi";

}  // namespace

ConversionResult ConvertFolderToAvi(const ConversionRequest& request, ConversionView& view,
                                    const AviChoices& choices) {
  ConversionResult result;
  // From before the frames are listed to the end: recordings that make
  // room for new frames leave this folder alone meanwhile.
  const ConvertingFolderMark converting(request.folder);
  // One list for the conversion and the view that shows it.
  const auto frames = std::make_shared<const FrameNames>(ListFrameFolder(request.folder));
  view.Frames(frames);
  if (frames->empty()) {
    view.Message("No files to convert, Please choose the correct folder.", MessageIcon::None);
    return result;
  }

  std::string target = kProposedName;
  AviOutput output = request.output;
  if (!choices.target || !choices.target(request.owner, target, output)) return result;

  result.target = target;
  const ConversionInput input{request, *frames, target, view};
  const std::unique_ptr<FrameOutput> writing =
      output == AviOutput::MotionJpegCopy ? MotionJpegOutput(input) : AviServicesOutput(input, choices);
  result.frames = ConvertFrames(input, *writing);
  result.written = result.frames > 0;
  return result;
}

}  // namespace lumavex
