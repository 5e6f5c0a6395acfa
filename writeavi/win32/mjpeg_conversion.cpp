// The second output type: each JPG file becomes one key frame of a Motion
// JPEG AVI as it is, without decoding. Only frames that need it are touched:
// one that cannot be read is replaced by the frame before it; one of another
// size, or of a JPEG kind that not every player reads (progressive,
// arithmetic, lossless, CMYK), is decoded, fitted if need be, and encoded
// again as a baseline frame.
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "avi/mjpeg_avi_writer.h"
#include "base/part_file.h"
#include "base/release_if_large.h"
#include "base/path.h"
#include "imaging/fit_picture.h"
#include "imaging/image.h"
#include "imaging/image_jpeg.h"
#include "imaging/jpeg/jpeg_output_buffer.h"
#include "imaging/jpeg_frame_check.h"
#include "imaging/win32/frame_decoder.h"
#include "platform/files.h"
#include "writeavi/conversion_summary.h"
#include "writeavi/encoding_display.h"
#include "writeavi/win32/output_types.h"
#include "writeavi/win32/target_check.h"

namespace lumavex {
namespace {

constexpr int kEncodeAgainQuality = 90;

// What becomes of one frame file.
enum class Fate {
  Copied,        // its image bytes go into the video as they are
  Fitted,        // another size: decoded, fitted, encoded again
  EncodedAgain,  // a JPEG kind not every player reads: decoded, encoded again
  Unreadable,    // replaced by the frame before it
};

// Reads and checks frame files, and makes the frames that cannot be copied.
class FrameMaker {
 public:
  explicit FrameMaker(FrameDecoder& decoder) : decoder_(decoder) {}

  // From here on, frames of another size are fitted into this one.
  void FitInto(int width, int height) {
    width_ = width;
    height_ = height;
  }

  // Makes the frame of the file at `path` in `frame` (its bytes, or the
  // bytes encoded again), unless it is unreadable.
  Fate Make(const std::string& path, std::vector<std::uint8_t>& frame) {
    const Fate fate = MakeFrame(path, frame);
    ReleaseIfLarge(bytes_);
    ReleaseIfLarge(decoded_);
    return fate;
  }

  // The size of the last frame Make found readable.
  int width() const { return info_.width; }
  int height() const { return info_.height; }

 private:
  Fate MakeFrame(const std::string& path, std::vector<std::uint8_t>& frame) {
    if (!ReadWholeFile(path, bytes_, FrameDecoder::kMaxFileBytes)) return Fate::Unreadable;
    info_ = CheckJpegFrame(bytes_.data(), bytes_.size());
    if (!info_.readable) return Fate::Unreadable;
    const bool sameSize = width_ == 0 || (info_.width == width_ && info_.height == height_);
    if (sameSize && EveryMotionJpegPlayerReads(info_)) {
      // Only the image: what follows its end marker is no part of the frame.
      frame.assign(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(info_.length));
      return Fate::Copied;
    }
    try {
      if (!decoder_.Decode(bytes_.data(), bytes_.size(), decoded_)) return Fate::Unreadable;
      const Image* picture = &decoded_;
      if (!sameSize) {
        if (!FitImage(decoded_, width_, height_, fitted_)) return Fate::Unreadable;
        picture = &fitted_;
      }
      encoded_.Clear();
      if (!EncodeImageJpeg(*picture, kEncodeAgainQuality, encoded_)) return Fate::Unreadable;
      frame.assign(encoded_.data(), encoded_.data() + encoded_.size());
    } catch (const std::bad_alloc&) {
      return Fate::Unreadable;
    }
    return sameSize ? Fate::EncodedAgain : Fate::Fitted;
  }

  FrameDecoder& decoder_;
  int width_ = 0, height_ = 0;
  JpegFrameInfo info_;
  std::vector<std::uint8_t> bytes_;
  Image decoded_, fitted_;
  jpeg::JpegOutputBuffer encoded_;
};

// Shows frame `index`, decoding it for the preview.
void ShowFrame(EncodingDisplay& display, FrameDecoder& decoder, int index,
               const std::vector<std::uint8_t>& jpeg, Image& picture) {
  if (decoder.Decode(jpeg.data(), jpeg.size(), picture)) display.Show(index, picture);
}

}  // namespace

std::uint32_t WriteMotionJpeg(const ConversionInput& in) {
  ConversionView& view = in.view;
  const int count = static_cast<int>(in.frames.size());
  // Made when needed: a list of every path would grow with the frames.
  const auto pathOf = [&in](int i) { return JoinPath(in.request.folder, in.frames[i].name); };

  // A target that cannot be replaced is said before anything is read.
  if (const std::optional<std::string> refusal = TargetRefusal(in.target)) {
    SayCannotWrite(view, in.target, refusal);
    return 0;
  }

  // The first frame that can be read sets the video's size; the frames
  // before it become that one.
  FrameDecoder decoder;
  FrameMaker maker(decoder);
  std::vector<std::uint8_t> frame, previous;
  int firstIndex = -1;
  Fate firstFate = Fate::Unreadable;
  for (int i = 0; i < count && firstIndex < 0; ++i) {
    if (in.request.Cancelled()) return 0;
    firstFate = maker.Make(pathOf(i), previous);
    if (firstFate != Fate::Unreadable) firstIndex = i;
  }
  if (firstIndex < 0) {
    view.Message("Could not load first bitmap file in list!", MessageIcon::Exclamation);
    return 0;
  }
  const int width = maker.width(), height = maker.height();
  maker.FitInto(width, height);
  const std::string firstPath = pathOf(firstIndex);

  // Copied frames take what their files take (the listing knows it), so the
  // file's size is known before anything is written.
  std::uint64_t frameBytes = 0;
  for (const FrameFile& file : in.frames) frameBytes += file.size;
  const std::uint64_t needed =
      MjpegAviWriter::ExpectedFileSize(frameBytes, static_cast<std::uint32_t>(count));
  const std::string folder = ParentFolder(in.target);
  if (const std::optional<std::uint64_t> free = FreeSpaceOfVolume(folder); free && needed > *free) {
    view.Message(NoRoomText(in.target, needed, *free, VolumeOf(folder)), MessageIcon::Exclamation);
    return 0;
  }

  ConversionSummary summary;
  bool written = false;
  {
    MjpegAviSettings settings;
    settings.width = static_cast<std::uint32_t>(width);
    settings.height = static_cast<std::uint32_t>(height);
    settings.framesPerSecond = static_cast<std::uint32_t>(in.request.frameRate);
    // The video goes to "<target>.part" and is put in place only when finished.
    PartFile part(in.target);
    const bool opened = part.Open();
    OutputFile out(part.stream());
    MjpegAviWriter writer(out, settings);
    if (!opened || !writer.Start()) {
      SayCannotWrite(view, in.target, PartRefusal(part.PartPath()));
      return 0;
    }
    EncodingDisplay display(view);
    Image preview;
    written = true;
    for (int i = 0; i < count && written; ++i) {
      if (in.request.Cancelled()) return 0;  // the part file goes with `part`
      const std::string path = pathOf(i);
      // Read here, not on a second thread: under Wine the hand-over between
      // threads cost more than the overlap gained (bench-avi.sh).
      const Fate fate = i < firstIndex ? Fate::Unreadable : maker.Make(path, frame);
      switch (fate) {
        case Fate::Unreadable:
          if (i < firstIndex)
            summary.ReplacedByFirst(path, firstPath);
          else
            summary.Replaced(path);
          break;
        case Fate::Fitted:
          summary.Fitted(path);
          break;
        case Fate::EncodedAgain:
          summary.EncodedAgain(path);
          break;
        case Fate::Copied:
          break;
      }
      if (fate != Fate::Unreadable) previous.swap(frame);
      display.Encoding(i);
      if (display.Due()) ShowFrame(display, decoder, i, previous, preview);
      written = writer.AddFrame(previous.data(), previous.size());
      if (!written) display.Select(i);
    }
    if (display.Behind()) ShowFrame(display, decoder, display.latest(), previous, preview);
    if (in.request.Cancelled()) return 0;
    // Without Commit the part file is removed.
    written = part.Commit(!written || !writer.Finish());
  }
  if (!written) {
    view.Message(WriteFailureText(in.target, FreeSpaceOfVolume(folder)), MessageIcon::Information);
    return 0;
  }
  const std::string changes = summary.Text(width, height);
  if (!changes.empty()) view.Message(changes, MessageIcon::Information);
  return static_cast<std::uint32_t>(count);
}

}  // namespace lumavex
