#pragma once
// The two ways a listed folder becomes a video, after the target is chosen:
// one loop (ConvertFrames) lists, checks, fits, shows and sums up the frames;
// an output reads each frame its way and writes it. Each output reports its
// own failures through the view and leaves either a whole video at `target`
// or, after a failure it has reported, nothing it wrote.
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/image.h"
#include "writeavi/frame_names.h"
#include "writeavi/win32/convert_folder.h"

namespace lumavex {

struct ConversionInput {
  const ConversionRequest& request;
  const FrameNames& frames;
  const std::string& target;
  ConversionView& view;
};

// What became of one frame file.
enum class FrameFate {
  Kept,          // the frame as it is (the Motion JPEG type: its bytes copied)
  Fitted,        // another size: fitted into the video's
  EncodedAgain,  // a JPEG kind not every player reads: decoded, encoded again
  Unreadable,    // the frame before it stays the one written
  Failed,        // the output cannot go on (it has said why)
};

enum class FrameWrite {
  Written,
  Full,    // the video holds no more: it ends before this frame, and is kept
  Failed,  // the video is broken (the output says so when it ends)
};

// How the loop ended, for the output to finish with.
enum class LoopEnd {
  Complete,   // every frame was written
  CutShort,   // the output was full
  Failed,     // a frame could not be loaded or written
  Cancelled,  // the user cancelled: leave nothing, say nothing
  NoFrame,    // no frame could be read (said so)
  Stopped,    // Open or Prepare said no (and why)
};

class FrameOutput {
 public:
  virtual ~FrameOutput() = default;
  // Before any frame is read: false when the video cannot be written (said so).
  virtual bool Open() = 0;
  // Reads the frame file at `path` as the frame to write next. Before
  // Prepare the first readable frame is looked for: nothing is fitted.
  virtual FrameFate Load(const std::string& path) = 0;
  // The video's size, once Prepare has set it.
  virtual int width() const = 0;
  virtual int height() const = 0;
  // The first readable frame, `first`, sets the video's size: frames of
  // another size are fitted into it from here on. Asks what must be asked
  // and makes the video; false when it cannot be (said so, or cancelled).
  virtual bool Prepare(int first) = 0;
  // Writes the frame loaded last (the one before it when that was unreadable).
  virtual FrameWrite Write() = 0;
  // The picture of the frame written last, for the preview; null when none.
  virtual const Image* Picture() = 0;
  // Closes the video and puts it in place: the frames of the whole video
  // it put at the target, 0 when none (then it has said why, unless
  // cancelled). `lead` gets what is to be said before the loop's summary.
  virtual std::uint32_t Finish(LoopEnd end, std::string& lead) = 0;
};

// The one conversion loop; returns the frames the output put at the target.
std::uint32_t ConvertFrames(const ConversionInput& in, FrameOutput& output);

// Through the platform's AVI services: each frame decoded, saved as the
// temporary BMP file, read back and written to the compressed stream.
std::unique_ptr<FrameOutput> AviServicesOutput(const ConversionInput& in, const AviChoices& choices);

// Each JPG copied as one key frame of a Motion JPEG AVI.
std::unique_ptr<FrameOutput> MotionJpegOutput(const ConversionInput& in);

}  // namespace lumavex
