#include "avi/frame_through_disk.h"

#include <utility>

#include "avi/cdib.h"
#include "platform/message.h"

namespace lumavex {

FrameThroughDisk::FrameThroughDisk(HWND list, HWND preview, std::string tempPath)
    : display_(list, preview), temp_(std::move(tempPath)) {}

void FrameThroughDisk::DecodeAhead(std::vector<std::string> paths) {
  ahead_ = std::make_unique<FramePrefetcher>(std::move(paths));
}

bool FrameThroughDisk::Load(int index, const std::string& framePath, cDib& dib) {
  // What the other thread could not decode is tried here, with every kind of
  // picture file the platform reads.
  const bool decoded = (ahead_ && ahead_->Take(index, scratch_)) || decoder_.Decode(framePath, scratch_);
  if (!decoded) {
    ShowLatest();
    display_.Failed(index);
    ShowMessage("Could not read the frame as a picture:\r\n" + framePath, MessageIcon::Exclamation);
    return false;
  }
  frame_.swap(scratch_);
  display_.Frame(index, frame_);
  // Without a fresh temporary file the reader would hand back an older frame.
  if (!temp_.Write(frame_)) {
    ShowLatest();
    ShowMessage("Could not write the temporary frame file:\r\n" + temp_.path(), MessageIcon::Exclamation);
    return false;
  }
  if (dib.CreateFromFile(temp_.path())) return true;
  ShowLatest();
  return false;
}

}  // namespace lumavex
