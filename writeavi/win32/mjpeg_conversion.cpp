// The second output type: each JPG file becomes one key frame of a Motion
// JPEG AVI as it is, without decoding. Only frames that need it are touched:
// one that cannot be read is replaced by the frame before it; one of another
// size, or of a JPEG kind that not every player reads (progressive,
// arithmetic, lossless, CMYK), is decoded, fitted if need be, and encoded
// again as a baseline frame.
#include <cstdint>
#include <memory>
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
  FrameFate Make(const std::string& path, std::vector<std::uint8_t>& frame) {
    const FrameFate fate = MakeFrame(path, frame);
    ReleaseIfLarge(bytes_);
    ReleaseIfLarge(decoded_);
    return fate;
  }

  // The size of the last frame Make found readable.
  int width() const { return info_.width; }
  int height() const { return info_.height; }

 private:
  FrameFate MakeFrame(const std::string& path, std::vector<std::uint8_t>& frame) {
    if (!ReadWholeFile(path, bytes_, FrameDecoder::kMaxFileBytes)) return FrameFate::Unreadable;
    info_ = CheckJpegFrame(bytes_.data(), bytes_.size());
    if (!info_.readable) return FrameFate::Unreadable;
    const bool sameSize = width_ == 0 || (info_.width == width_ && info_.height == height_);
    if (sameSize && EveryMotionJpegPlayerReads(info_)) {
      // Only the image: what follows its end marker is no part of the frame.
      frame.assign(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(info_.length));
      return FrameFate::Kept;
    }
    try {
      if (!decoder_.Decode(bytes_.data(), bytes_.size(), decoded_)) return FrameFate::Unreadable;
      const Image* picture = &decoded_;
      if (!sameSize) {
        if (!FitImage(decoded_, width_, height_, fitted_)) return FrameFate::Unreadable;
        picture = &fitted_;
      }
      encoded_.Clear();
      if (!EncodeImageJpeg(*picture, kEncodeAgainQuality, encoded_)) return FrameFate::Unreadable;
      frame.assign(encoded_.data(), encoded_.data() + encoded_.size());
    } catch (const std::bad_alloc&) {
      return FrameFate::Unreadable;
    }
    return sameSize ? FrameFate::EncodedAgain : FrameFate::Fitted;
  }

  FrameDecoder& decoder_;
  int width_ = 0, height_ = 0;
  JpegFrameInfo info_;
  std::vector<std::uint8_t> bytes_;
  Image decoded_, fitted_;
  jpeg::JpegOutputBuffer encoded_;
};

class MotionJpegWriting : public FrameOutput {
 public:
  explicit MotionJpegWriting(const ConversionInput& in) : in_(in), maker_(decoder_) {}

  bool Open() override {
    // A target that cannot be replaced is said before anything is read.
    if (const std::optional<std::string> refusal = TargetRefusal(in_.target)) {
      SayCannotWrite(in_.view, in_.target, refusal);
      return false;
    }
    return true;
  }

  FrameFate Load(const std::string& path) override {
    // Read here, not on a second thread: under Wine the hand-over between
    // threads cost more than the overlap gained (bench-avi.sh).
    const FrameFate fate = maker_.Make(path, frame_);
    if (fate != FrameFate::Unreadable) previous_.swap(frame_);
    return fate;
  }

  int width() const override { return width_; }
  int height() const override { return height_; }

  bool Prepare(int) override {
    width_ = maker_.width();
    height_ = maker_.height();
    maker_.FitInto(width_, height_);
    // Copied frames take what their files take (the listing knows it), so
    // the file's size is known before anything is written.
    const std::uint64_t needed =
        MjpegAviWriter::ExpectedFileSize(in_.frames.TotalSize(),
                                         static_cast<std::uint32_t>(in_.frames.size()));
    const std::string folder = ParentFolder(in_.target);
    if (const std::optional<std::uint64_t> free = FreeSpaceOfVolume(folder); free && needed > *free) {
      in_.view.Message(NoRoomText(in_.target, needed, *free, VolumeOf(folder)), MessageIcon::Exclamation);
      return false;
    }
    MjpegAviSettings settings;
    settings.width = static_cast<std::uint32_t>(width_);
    settings.height = static_cast<std::uint32_t>(height_);
    settings.framesPerSecond = static_cast<std::uint32_t>(in_.request.frameRate);
    // The video goes to "<target>.part" and is put in place only when finished.
    part_ = std::make_unique<PartFile>(in_.target);
    const bool opened = part_->Open();
    out_ = std::make_unique<OutputFile>(part_->stream());
    writer_ = std::make_unique<MjpegAviWriter>(*out_, settings);
    if (!opened || !writer_->Start()) {
      SayCannotWrite(in_.view, in_.target, PartRefusal(part_->PartPath()));
      return false;
    }
    return true;
  }

  FrameWrite Write() override {
    return writer_->AddFrame(previous_.data(), previous_.size()) ? FrameWrite::Written : FrameWrite::Failed;
  }

  const Image* Picture() override {
    return decoder_.Decode(previous_.data(), previous_.size(), preview_) ? &preview_ : nullptr;
  }

  std::uint32_t Finish(LoopEnd end, std::string&) override {
    if (end != LoopEnd::Complete && end != LoopEnd::Failed) return 0;  // the part file goes with part_
    // Without Commit the part file is removed.
    const bool written = part_->Commit(end == LoopEnd::Failed || !writer_->Finish());
    writer_.reset();
    out_.reset();
    part_.reset();
    if (!written) {
      in_.view.Message(WriteFailureText(in_.target, FreeSpaceOfVolume(ParentFolder(in_.target))),
                       MessageIcon::Information);
      return 0;
    }
    return static_cast<std::uint32_t>(in_.frames.size());
  }

 private:
  const ConversionInput& in_;
  FrameDecoder decoder_;
  FrameMaker maker_;
  int width_ = 0, height_ = 0;
  std::vector<std::uint8_t> frame_, previous_;  // previous_: the frame written next
  Image preview_;
  // Declared in the order they are made; dropped the other way round.
  std::unique_ptr<PartFile> part_;
  std::unique_ptr<OutputFile> out_;
  std::unique_ptr<MjpegAviWriter> writer_;
};

}  // namespace

std::unique_ptr<FrameOutput> MotionJpegOutput(const ConversionInput& in) {
  return std::make_unique<MotionJpegWriting>(in);
}

}  // namespace lumavex
