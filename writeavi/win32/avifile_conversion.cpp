// The first output type: every frame decoded, saved as the temporary BMP
// file, read back by the BMP reader and written through the platform's AVI
// services with the compressor the user picked.
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "avi/avi_size.h"
#include "imaging/cdib.h"
#include "writeavi/win32/output_types.h"
#include "writeavi/conversion_summary.h"
#include "writeavi/win32/frame_folder_claim.h"
#include "writeavi/win32/frame_through_disk.h"
#include "writeavi/win32/target_check.h"
#include "base/file.h"
#include "base/path.h"
#include "platform/avi_handles.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "base/utf8.h"

namespace lumavex {
namespace {

constexpr const char* kTempName = "tmp.bmp";
// Creates the file or truncates an existing one; while it is written no
// other conversion (another Lumavex with the same target) can write it too.
constexpr UINT kCreateForWriting = OF_CREATE | OF_WRITE | OF_SHARE_DENY_WRITE;

// What the AVI file services handed out. The clean-up releases them in this
// order: uncompressed stream, compressed stream, file (which completes and
// closes it), then what the compression dialog allocated.
struct AviSession {
  UniqueAviFile file;
  UniqueAviStream uncompressed;
  UniqueAviStream compressed;
  AviCompressOptions options;

  AviSession() = default;
  AviSession(const AviSession&) = delete;
  AviSession& operator=(const AviSession&) = delete;
  ~AviSession() {
    uncompressed.reset();
    compressed.reset();
    file.reset();
    options.Free();
  }
};

enum class Outcome {
  Written,   // every listed file became a frame
  CutShort,  // ended before the size limit; the file plays as far as it goes
  Declined,  // the compression dialog was cancelled (said so)
  Removed,   // cancelled, no frame, or refused by the pre-check: nothing is left
  Failed,    // an AVI call or the temporary file failed: the file is broken
};

struct Progress {
  LONG frames = 0;            // samples written
  std::uint64_t bytes = 0;    // data bytes written
  int width = 0, height = 0;  // of the video
};

// The AVI services' own handler for AVI files, named because the part
// file's extension does not tell it (the services take it as writable).
CLSID* AviFileHandler() {
  // CLSID_AVIFile, which the import libraries do not define.
  static CLSID handler = {0x00020000, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  return &handler;
}

bool IsUncompressed(const AVICOMPRESSOPTIONS& options) {
  return options.fccHandler == 0 || options.fccHandler == comptypeDIB ||
         options.fccHandler == mmioFOURCC('d', 'i', 'b', ' ');
}

bool SpelledByCodePage(const std::string& path) {
  const std::wstring wide = Widen(path);
  BOOL lost = FALSE;
  const int n =
      ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lost);
  return n > 0 && !lost;
}

// Where the video is written: the part file beside the target, put in place
// once complete, so that the target is a whole video or stays as it was.
// The AVI services reach their files through the multimedia I/O's 8-bit
// file calls (Wine's do), so for a name the code page cannot spell (or one
// too long) the part file is written in the temporary folder instead.
std::string WritingPath(const std::string& target) {
  const std::string beside = PartPathOf(target);
  if (SpelledByCodePage(beside) && Widen(beside).size() < MAX_PATH) return beside;
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, folder);
  if (n == 0 || n > MAX_PATH) return target;
  const std::string path = Narrow(folder) + "lumavex-" + std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(::GetTickCount64()) + kPartSuffix;
  return SpelledByCodePage(path) ? path : target;
}

// The pre-check of an uncompressed video, whose size is known now: false
// (after saying why) when it would pass the format's limit or not fit.
bool FitsBeforehand(const ConversionInput& in, const std::string& path, std::uint64_t frameBytes) {
  const std::uint64_t needed = UncompressedAviSize(in.frames.size(), frameBytes);
  if (needed > kAvi1SizeLimit) {
    in.view.Message(TooLargeText(in.target, needed, kAvi1SizeLimit), MessageIcon::Exclamation);
    return false;
  }
  // The file made so far is tiny; the volume's free space is what counts
  // (on both volumes when the video is written elsewhere first).
  for (const std::string& folder : {ParentFolder(in.target), ParentFolder(path)}) {
    if (const std::optional<std::uint64_t> free = FreeSpaceOfVolume(folder); free && needed > *free) {
      in.view.Message(NoRoomText(in.target, needed, *free, VolumeOf(folder)), MessageIcon::Exclamation);
      return false;
    }
  }
  return true;
}

// The closed file read back: its size holds the frames' data, and the AVI
// services find every frame, the last one readable. Under Wine the writes
// report success even when nothing reached a full disk.
bool WrittenFileHolds(const std::string& path, const Progress& progress) {
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &attributes)) return false;
  const std::uint64_t size =
      (static_cast<std::uint64_t>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
  if (size < progress.bytes) return false;
  PAVIFILE raw = nullptr;
  if (FAILED(::AVIFileOpenW(&raw, Widen(path).c_str(), OF_READ | OF_SHARE_DENY_WRITE, AviFileHandler())))
    return false;
  UniqueAviFile file(raw);
  PAVISTREAM rawStream = nullptr;
  if (FAILED(::AVIFileGetStream(file.get(), &rawStream, streamtypeVIDEO, 0))) return false;
  UniqueAviStream stream(rawStream);
  if (::AVIStreamLength(stream.get()) != progress.frames) return false;
  LONG bytes = 0;
  return progress.frames == 0 ||
         (SUCCEEDED(::AVIStreamRead(stream.get(), progress.frames - 1, 1, nullptr, 0, &bytes, nullptr)) &&
          bytes > 0);
}

// Puts the finished video in place; a video written at the target itself
// (when no part file could be named) is there already.
bool PutInPlace(const std::string& path, const std::string& target) {
  return path == target || ReplaceWithFinished(path, target);
}

// Removes what was written, unless it was written at the target itself.
void RemovePart(const std::string& path, const std::string& target) {
  if (path != target) RemoveFileUtf8(path);
}

void RemoveBrokenFile(const ConversionInput& in, const std::string& path) {
  RemoveFileUtf8(path);
  in.view.Message(WriteFailureText(in.target, FreeSpaceOfVolume(ParentFolder(in.target))),
                  MessageIcon::Information);
}

class AviServicesWriting : public FrameOutput {
 public:
  AviServicesWriting(const ConversionInput& in, const AviChoices& choices)
      : in_(in), choices_(choices), claim_(in.request.folder) {}

  bool Open() override {
    // Before anything is asked or written: tmp.bmp is this folder's one.
    if (!claim_.held()) {
      in_.view.Message(FolderHeldText(in_.request.folder), MessageIcon::Exclamation);
      return false;
    }
    path_ = WritingPath(in_.target);
    targetExisted_ = ::GetFileAttributesW(Widen(in_.target).c_str()) != INVALID_FILE_ATTRIBUTES;
    avi_ = std::make_unique<AviSession>();
    dib_ = std::make_unique<cDib>();
    PAVIFILE file = nullptr;
    // A target that cannot be replaced is said before anything is written.
    std::optional<std::string> refusal = TargetRefusal(in_.target);
    HRESULT last = refusal ? AVIERR_FILEOPEN : S_OK;
    // The handler is named: the part file's name does not end in ".avi".
    if (SUCCEEDED(last))
      last = ::AVIFileOpenW(&file, Widen(path_).c_str(), kCreateForWriting, AviFileHandler());
    avi_->file.reset(file);
    if (FAILED(last)) {
      if (!refusal && path_ != in_.target) refusal = PartRefusal(path_);
      SayCannotWrite(in_.view, in_.target, refusal);
      return false;  // what is at the part may be another conversion's
    }
    frames_ = std::make_unique<FrameThroughDisk>(in_.view, JoinPath(in_.request.folder, kTempName));
    return true;
  }

  FrameFate Load(const std::string& path) override {
    switch (frames_->Load(loaded_++, path, *dib_)) {
      case FrameLoad::Loaded:
        return FrameFate::Kept;
      case FrameLoad::Fitted:
        return FrameFate::Fitted;
      case FrameLoad::Unreadable:
        return FrameFate::Unreadable;
      case FrameLoad::Failed:
        break;
    }
    outcome_ = Outcome::Failed;
    return FrameFate::Failed;
  }

  int width() const override { return progress_.width; }
  int height() const override { return progress_.height; }

  bool Prepare(int first) override {
    outcome_ = PrepareStream();
    if (outcome_ != Outcome::Written) return false;
    // Decoded ahead from the first readable frame on, in the loop's order.
    const FrameNames& names = in_.frames;
    const std::string folder = in_.request.folder;
    loaded_ = first;
    frames_->DecodeAhead(first, static_cast<int>(names.size()), [&names, folder](int i) {
      return JoinPath(folder, names.Name(static_cast<std::size_t>(i)));
    });
    return true;
  }

  FrameWrite Write() override {
    cDib& dib = *dib_;
    // A compressor's output is not known in advance; the uncompressed frame
    // bounds it.
    if (!uncompressed_ && NextFramePassesLimit(progress_.bytes, progress_.frames,
                                               static_cast<std::uint64_t>(dib.SizeImage()), kAvi1SizeLimit))
      return FrameWrite::Full;
    LONG bytes = 0;
    const HRESULT last = ::AVIStreamWrite(avi_->compressed.get(), progress_.frames, 1, dib.PointerToBits(),
                                          dib.SizeImage(), AVIIF_KEYFRAME, nullptr, &bytes);
    if (FAILED(last)) {
      in_.view.Message("Error writing Avi stream", MessageIcon::None);
      return FrameWrite::Failed;
    }
    ++progress_.frames;
    progress_.bytes += static_cast<std::uint64_t>(bytes > 0 ? bytes : dib.SizeImage());
    return FrameWrite::Written;
  }

  const Image* Picture() override { return frames_ ? frames_->Latest() : nullptr; }

  std::uint32_t Finish(LoopEnd end, std::string& lead) override {
    // Everything is released here, the reader and the temporary file first:
    // the file is complete and closed.
    frames_.reset();
    dib_.reset();
    avi_.reset();
    Outcome outcome = outcome_;
    switch (end) {
      case LoopEnd::Complete:
        break;
      case LoopEnd::CutShort:
        outcome = Outcome::CutShort;
        break;
      case LoopEnd::Failed:
        outcome = Outcome::Failed;
        break;
      case LoopEnd::Cancelled:
      case LoopEnd::NoFrame:
        outcome = Outcome::Removed;
        break;
      case LoopEnd::Stopped:
        break;  // as Prepare left it
    }
    switch (outcome) {
      case Outcome::Declined:
        // A target that did not exist is left as the empty video made so far;
        // a file the user had there stays as it was.
        if (targetExisted_ || !PutInPlace(path_, in_.target)) RemovePart(path_, in_.target);
        return 0;
      case Outcome::Removed:
        RemovePart(path_, in_.target);
        return 0;
      case Outcome::Failed:
        RemoveBrokenFile(in_, path_);
        return 0;
      case Outcome::Written:
      case Outcome::CutShort:
        break;
    }
    if (!WrittenFileHolds(path_, progress_) || !PutInPlace(path_, in_.target)) {
      RemoveBrokenFile(in_, path_);
      return 0;
    }
    if (outcome == Outcome::CutShort)
      lead = CutShortText(in_.target, kAvi1SizeLimit, static_cast<std::uint32_t>(progress_.frames),
                          static_cast<std::uint32_t>(in_.frames.size()));
    return static_cast<std::uint32_t>(progress_.frames);
  }

 private:
  // The stream of the first frame's size, compressed as the user picks.
  Outcome PrepareStream() {
    cDib& dib = *dib_;
    progress_.width = dib.Width();
    progress_.height = dib.Height();
    frames_->FitInto(progress_.width, progress_.height);

    AVISTREAMINFOW header{};
    header.fccType = ::mmioStringToFOURCCA("vids", 0);
    header.fccHandler = 0;
    header.dwScale = 1;
    header.dwRate = static_cast<DWORD>(in_.request.frameRate);
    header.dwSuggestedBufferSize = static_cast<DWORD>(dib.SizeImage());
    ::SetRect(&header.rcFrame, 0, 0, dib.Width(), dib.Height());

    PAVISTREAM stream = nullptr;
    HRESULT last = ::AVIFileCreateStreamW(avi_->file.get(), &stream, &header);
    avi_->uncompressed.reset(stream);
    if (FAILED(last)) {
      in_.view.Message("Error in Creating  Avi file Stream", MessageIcon::None);
      return Outcome::Failed;
    }

    const INT_PTR chosen =
        choices_.compression ? choices_.compression(in_.request.owner, &stream, avi_->options) : 0;
    if (chosen != 1) {
      avi_->options.Free();
      in_.view.Message("Error in getting Avi Save options", MessageIcon::None);
      return chosen != 0 ? Outcome::Failed : Outcome::Declined;
    }
    if (in_.request.Cancelled()) return Outcome::Removed;

    PAVISTREAM compressed = nullptr;
    last = ::AVIMakeCompressedStream(&compressed, avi_->uncompressed.get(), avi_->options.record(), nullptr);
    avi_->compressed.reset(compressed);
    if (FAILED(last)) {
      in_.view.Message("Error in making Compressed Avi, Try with uncompressed avi", MessageIcon::None);
      return Outcome::Failed;
    }
    last = ::AVIStreamSetFormat(avi_->compressed.get(), 0, dib.PointerToBitmapInfo(), dib.SizeBitmapInfo());
    if (FAILED(last)) {
      in_.view.Message("Error setting Avi stream format", MessageIcon::None);
      return Outcome::Failed;
    }
    uncompressed_ = IsUncompressed(*avi_->options.record());
    if (uncompressed_ && !FitsBeforehand(in_, path_, static_cast<std::uint64_t>(dib.SizeImage())))
      return Outcome::Removed;
    return Outcome::Written;
  }

  const ConversionInput& in_;
  const AviChoices& choices_;
  const FrameFolderClaim claim_;  // from the first question to the last step
  std::string path_;              // where the video is written
  bool targetExisted_ = false;
  Outcome outcome_ = Outcome::Written;
  bool uncompressed_ = false;
  int loaded_ = 0;  // the index of the next frame loaded
  Progress progress_;
  // Released in the other order: the frames' reader and temporary file,
  // the reader's bitmap, then the AVI services' objects.
  std::unique_ptr<AviSession> avi_;
  std::unique_ptr<cDib> dib_;
  std::unique_ptr<FrameThroughDisk> frames_;
};

}  // namespace

std::unique_ptr<FrameOutput> AviServicesOutput(const ConversionInput& in, const AviChoices& choices) {
  return std::make_unique<AviServicesWriting>(in, choices);
}

}  // namespace lumavex
