// The second output type: each JPG file becomes one key frame of a Motion
// JPEG AVI as it is, without decoding. Only frames that need it are touched:
// one that cannot be read is replaced by the frame before it, one of another
// size is decoded, fitted and encoded again.
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "writeavi/win32/output_types.h"
#include "writeavi/conversion_summary.h"
#include "writeavi/encoding_display.h"
#include "imaging/fit_picture.h"
#include "imaging/image.h"
#include "imaging/image_jpeg.h"
#include "imaging/win32/frame_decoder.h"
#include "imaging/jpeg_frame_check.h"
#include "avi/mjpeg_avi_writer.h"
#include "base/part_file.h"
#include "base/path.h"
#include "imaging/jpeg/jpeg_output_buffer.h"
#include "platform/files.h"

namespace lumavex {
namespace {

constexpr int kRefitQuality = 90;

// Decodes, fits and encodes again a frame of another size; false when it
// cannot be decoded or encoded.
class Refitter {
 public:
  Refitter(FrameDecoder& decoder, int width, int height)
      : decoder_(decoder), width_(width), height_(height) {}

  bool Refit(const std::vector<std::uint8_t>& jpeg, std::vector<std::uint8_t>& out) {
    try {
      if (!decoder_.DecodeJpeg(jpeg.data(), jpeg.size(), decoded_) ||
          !FitImage(decoded_, width_, height_, fitted_))
        return false;
    } catch (const std::bad_alloc&) {
      return false;
    }
    encoded_.Clear();
    if (!EncodeImageJpeg(fitted_, kRefitQuality, encoded_)) return false;
    out.assign(encoded_.data(), encoded_.data() + encoded_.size());
    return true;
  }

 private:
  FrameDecoder& decoder_;
  int width_, height_;
  Image decoded_, fitted_;
  jpeg::JpegOutputBuffer encoded_;
};

// Shows frame `index`, decoding it for the preview.
void ShowFrame(EncodingDisplay& display, FrameDecoder& decoder, int index,
               const std::vector<std::uint8_t>& jpeg, Image& picture) {
  if (decoder.DecodeJpeg(jpeg.data(), jpeg.size(), picture)) display.Show(index, picture);
}

}  // namespace

void WriteMotionJpeg(const ConversionInput& in) {
  ConversionView& view = in.view;
  const int count = static_cast<int>(in.frames.size());
  // Made when needed: a list of every path would grow with the frames.
  const auto pathOf = [&in](int i) { return JoinPath(in.request.folder, in.frames[i].name); };

  // The first frame that can be read sets the video's size; the frames
  // before it become that one.
  std::vector<std::uint8_t> bytes, previous;
  JpegFrameInfo first;
  for (int i = 0; i < count && !first.readable; ++i) {
    if (ReadWholeFile(pathOf(i), bytes)) first = CheckJpegFrame(bytes.data(), bytes.size());
  }
  if (!first.readable) {
    view.Message("Could not load first bitmap file in list!", MessageIcon::Exclamation);
    return;
  }
  previous.swap(bytes);

  // Copied frames take what their files take (the listing knows it), so the
  // file's size is known before anything is written.
  std::uint64_t frameBytes = 0;
  for (const FrameFile& frame : in.frames) frameBytes += frame.size;
  const std::uint64_t needed =
      MjpegAviWriter::ExpectedFileSize(frameBytes, static_cast<std::uint32_t>(count));
  if (const std::optional<std::uint64_t> free = FreeSpaceOfVolume(ParentFolder(in.target));
      free && needed > *free) {
    view.Message(NoRoomText(in.target, needed, *free), MessageIcon::Exclamation);
    return;
  }

  ConversionSummary summary;
  bool written = false;
  {
    MjpegAviSettings settings;
    settings.width = static_cast<std::uint32_t>(first.width);
    settings.height = static_cast<std::uint32_t>(first.height);
    settings.framesPerSecond = static_cast<std::uint32_t>(in.request.frameRate);
    // The video goes to "<target>.part" and is put in place only when finished.
    PartFile part(in.target);
    const bool opened = part.Open();
    OutputFile out(part.stream());
    MjpegAviWriter writer(out, settings);
    if (!opened || !writer.Start()) {
      view.Message("Can't open File to write, try to use different name to save.", MessageIcon::None);
      view.Message("There was an error writing the file.", MessageIcon::Information);
      return;
    }
    FrameDecoder decoder;
    Refitter refitter(decoder, first.width, first.height);
    EncodingDisplay display(view);
    std::vector<std::uint8_t> refitted;
    Image preview;
    written = true;
    for (int i = 0; i < count && written; ++i) {
      std::vector<std::uint8_t>* frame = &previous;
      // Read here, not on a second thread: under Wine the hand-over between
      // threads cost more than the overlap gained (bench-avi.sh).
      const std::string path = pathOf(i);
      const JpegFrameInfo info =
          ReadWholeFile(path, bytes) ? CheckJpegFrame(bytes.data(), bytes.size()) : JpegFrameInfo{};
      if (!info.readable) {
        summary.Replaced(path);
      } else if (info.width == first.width && info.height == first.height) {
        frame = &bytes;
      } else if (refitter.Refit(bytes, refitted)) {
        frame = &refitted;
        summary.Fitted(path);
      } else {
        summary.Replaced(path);
      }
      display.Encoding(i);
      if (display.Due()) ShowFrame(display, decoder, i, *frame, preview);
      written = writer.AddFrame(frame->data(), frame->size());
      if (!written) display.Select(i);
      if (frame != &previous) previous.swap(*frame);
    }
    if (display.Behind()) ShowFrame(display, decoder, display.latest(), previous, preview);
    // Without Commit the part file is removed.
    written = part.Commit(!written || !writer.Finish());
  }
  if (!written) {
    view.Message(WriteFailureText(in.target, FreeSpaceOfVolume(ParentFolder(in.target))),
                 MessageIcon::Information);
    return;
  }
  const std::string changes = summary.Text(first.width, first.height);
  if (!changes.empty()) view.Message(changes, MessageIcon::Information);
}

}  // namespace lumavex
