#include "writeavi/win32/frame_through_disk.h"

#include <new>
#include <utility>

#include "base/release_if_large.h"
#include "imaging/cdib.h"
#include "imaging/fit_picture.h"
#include "writeavi/conversion_view.h"

namespace lumavex {

FrameThroughDisk::FrameThroughDisk(ConversionView& view, std::string tempPath)
    : view_(view), temp_(std::move(tempPath)) {}

void FrameThroughDisk::DecodeAhead(int first, int count, std::function<std::string(int)> pathOf) {
  aheadFrom_ = first;
  ahead_ = std::make_unique<FramePrefetcher>(count - first, [first, pathOf = std::move(pathOf)](int i) {
    return pathOf(first + i);
  });
}

void FrameThroughDisk::FitInto(int width, int height) {
  width_ = width;
  height_ = height;
}

FrameLoad FrameThroughDisk::Load(int index, const std::string& framePath, cDib& dib) {
  const AheadTaken taken = ahead_ ? ahead_->Take(index - aheadFrom_, scratch_) : AheadTaken::NotAhead;
  const bool decoded = taken == AheadTaken::Made ||
                       (taken == AheadTaken::NotAhead && decoder_.DecodeFile(framePath, scratch_));
  if (!decoded) {
    ReleaseIfLarge(scratch_);
    return FrameLoad::Unreadable;
  }
  bool fitted = false;
  if (width_ > 0 && (scratch_.width() != width_ || scratch_.height() != height_)) {
    // A picture that cannot be fitted (far too large) is no frame of this video.
    bool fits = false;
    try {
      fits = FitImage(scratch_, width_, height_, fitted_);
    } catch (const std::bad_alloc&) {
    }
    if (!fits) {
      ReleaseIfLarge(scratch_);
      return FrameLoad::Unreadable;
    }
    scratch_.swap(fitted_);
    ReleaseIfLarge(fitted_);  // the large original
    fitted = true;
  }
  // The frame before stays in frame_ until now: the preview may need it.
  frame_.swap(scratch_);
  // Without a fresh temporary file the reader would hand back an older frame.
  if (!temp_.Write(frame_)) {
    view_.Message("Could not write the temporary frame file:\r\n" + temp_.path(), MessageIcon::Exclamation);
    return FrameLoad::Failed;
  }
  // The reader keeps its own messages; during a conversion the view shows them.
  dib.ReportTo([this](const std::string& text, MessageIcon icon) { view_.Message(text, icon); });
  if (!dib.CreateFromFile(temp_.path())) return FrameLoad::Failed;
  return fitted ? FrameLoad::Fitted : FrameLoad::Loaded;
}

}  // namespace lumavex
