#include "writeavi/win32/frame_through_disk.h"

#include <utility>

#include "imaging/cdib.h"
#include "writeavi/win32/convert_folder.h"
#include "imaging/fitted_frame.h"

namespace lumavex {

FrameThroughDisk::FrameThroughDisk(ConversionView& view, std::string tempPath)
    : view_(view), display_(view), temp_(std::move(tempPath)) {}

void FrameThroughDisk::DecodeAhead(std::vector<std::string> paths) {
  ahead_ = std::make_unique<FramePrefetcher>(std::move(paths));
}

void FrameThroughDisk::FitInto(int width, int height) {
  width_ = width;
  height_ = height;
}

void FrameThroughDisk::ShowLatest() {
  if (display_.Behind()) display_.Show(display_.latest(), frame_);
}

FrameThroughDisk::FitResult FrameThroughDisk::Fit() {
  int width = 0, height = 0;
  if (width_ <= 0 || (BmpSize(frame_, width, height) && width == width_ && height == height_))
    return FitResult::SameSize;
  return FitBmp24(frame_, width_, height_, frame_) ? FitResult::Fitted : FitResult::Unfit;
}

FrameLoad FrameThroughDisk::Load(int index, const std::string& framePath, cDib& dib, bool show) {
  // What the other thread could not decode is tried here, with every kind of
  // picture file the platform reads.
  const bool decoded = (ahead_ && ahead_->Take(index, scratch_)) || decoder_.Decode(framePath, scratch_);
  if (!decoded) return FrameLoad::Unreadable;
  frame_.swap(scratch_);
  const FitResult fit = Fit();
  // A picture that cannot be fitted (far too large) is no frame of this video.
  if (fit == FitResult::Unfit) {
    frame_.swap(scratch_);  // the display may still need the frame before
    return FrameLoad::Unreadable;
  }
  if (show) display_.Frame(index, frame_);
  // Without a fresh temporary file the reader would hand back an older frame.
  if (!temp_.Write(frame_)) {
    ShowLatest();
    view_.Message("Could not write the temporary frame file:\r\n" + temp_.path(), MessageIcon::Exclamation);
    return FrameLoad::Failed;
  }
  if (!dib.CreateFromFile(temp_.path())) {
    ShowLatest();
    return FrameLoad::Failed;
  }
  return fit == FitResult::Fitted ? FrameLoad::Fitted : FrameLoad::Loaded;
}

}  // namespace lumavex
