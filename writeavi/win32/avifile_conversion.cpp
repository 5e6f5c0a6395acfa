// The first output type: every frame decoded, saved as the temporary BMP
// file, read back by the BMP reader and written through the platform's AVI
// services with the compressor the user picked.
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
  Written,     // every listed file became a frame
  CutShort,    // ended before the size limit; the file plays as far as it goes
  NoFrame,     // no frame could be read (said so): nothing is left
  Declined,    // the compression dialog was cancelled (said so)
  Cancelled,   // the user cancelled the conversion: nothing is left, nothing said
  OpenFailed,  // the target could not be opened (said so): nothing was written
  Failed,      // an AVI call or the temporary file failed: the file is broken
  Refused,     // the pre-check said no (its message shown): the file is empty
};

struct Progress {
  LONG frames = 0;            // samples written
  std::uint64_t bytes = 0;    // data bytes written
  int width = 0, height = 0;  // of the video
  ConversionSummary summary;
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

// Steps from opening the target to the last frame.
Outcome WriteFrames(const ConversionInput& in, const std::string& path, const AviChoices& choices,
                    AviSession& avi, cDib& dib, Progress& progress) {
  ConversionView& view = in.view;
  PAVIFILE file = nullptr;
  // A target that cannot be replaced is said before anything is written.
  std::optional<std::string> refusal = TargetRefusal(in.target);
  HRESULT last = refusal ? AVIERR_FILEOPEN : S_OK;
  // The handler is named: the part file's name does not end in ".avi".
  if (SUCCEEDED(last)) last = ::AVIFileOpenW(&file, Widen(path).c_str(), kCreateForWriting, AviFileHandler());
  avi.file.reset(file);
  if (FAILED(last)) {
    if (!refusal && path != in.target) refusal = PartRefusal(path);
    SayCannotWrite(view, in.target, refusal);
    return Outcome::OpenFailed;
  }

  // The first frame that can be read sets the video's size.
  const int count = static_cast<int>(in.frames.size());
  // Paths are made when needed: one copy of them per frame is what the
  // decoding thread holds.
  const auto pathOf = [&in](int i) { return JoinPath(in.request.folder, in.frames[i].name); };
  FrameThroughDisk frames(view, JoinPath(in.request.folder, kTempName));
  FrameLoad first = FrameLoad::Unreadable;
  int firstIndex = 0;
  // Shown when the loop below comes to it: the frames are shown as they are written.
  for (; firstIndex < count && first == FrameLoad::Unreadable; ++firstIndex) {
    if (in.request.Cancelled()) return Outcome::Cancelled;
    first = frames.Load(firstIndex, pathOf(firstIndex), dib, false);
  }
  --firstIndex;
  if (first != FrameLoad::Loaded) {
    view.Message("Could not load first bitmap file in list!", MessageIcon::Exclamation);
    return Outcome::NoFrame;
  }
  const std::string firstPath = pathOf(firstIndex);
  progress.width = dib.Width();
  progress.height = dib.Height();
  frames.FitInto(progress.width, progress.height);

  AVISTREAMINFOW header{};
  header.fccType = ::mmioStringToFOURCCA("vids", 0);
  header.fccHandler = 0;
  header.dwScale = 1;
  header.dwRate = static_cast<DWORD>(in.request.frameRate);
  header.dwSuggestedBufferSize = static_cast<DWORD>(dib.SizeImage());
  ::SetRect(&header.rcFrame, 0, 0, dib.Width(), dib.Height());

  PAVISTREAM stream = nullptr;
  last = ::AVIFileCreateStreamW(avi.file.get(), &stream, &header);
  avi.uncompressed.reset(stream);
  if (FAILED(last)) {
    view.Message("Error in Creating  Avi file Stream", MessageIcon::None);
    return Outcome::Failed;
  }

  const INT_PTR chosen =
      choices.compression ? choices.compression(in.request.owner, &stream, avi.options) : 0;
  if (chosen != 1) {
    avi.options.Free();
    view.Message("Error in getting Avi Save options", MessageIcon::None);
    return chosen != 0 ? Outcome::Failed : Outcome::Declined;
  }
  if (in.request.Cancelled()) return Outcome::Cancelled;

  PAVISTREAM compressed = nullptr;
  last = ::AVIMakeCompressedStream(&compressed, avi.uncompressed.get(), avi.options.record(), nullptr);
  avi.compressed.reset(compressed);
  if (FAILED(last)) {
    view.Message("Error in making Compressed Avi, Try with uncompressed avi", MessageIcon::None);
    return Outcome::Failed;
  }
  last = ::AVIStreamSetFormat(avi.compressed.get(), 0, dib.PointerToBitmapInfo(), dib.SizeBitmapInfo());
  if (FAILED(last)) {
    view.Message("Error setting Avi stream format", MessageIcon::None);
    return Outcome::Failed;
  }

  const bool uncompressed = IsUncompressed(*avi.options.record());
  if (uncompressed && !FitsBeforehand(in, path, static_cast<std::uint64_t>(dib.SizeImage())))
    return Outcome::Refused;

  {
    std::vector<std::string> paths;
    paths.reserve(in.frames.size());
    for (int i = 0; i < count; ++i) paths.push_back(pathOf(i));
    frames.DecodeAhead(std::move(paths));
  }
  for (int i = 0; i < count; ++i) {
    if (in.request.Cancelled()) return Outcome::Cancelled;
    const std::string framePath = pathOf(i);
    // An unreadable frame leaves the reader holding the frame before it
    // (before the first readable frame: that one), which is written again.
    switch (frames.Load(i, framePath, dib)) {
      case FrameLoad::Unreadable:
        if (i < firstIndex)
          progress.summary.ReplacedByFirst(framePath, firstPath);
        else
          progress.summary.Replaced(framePath);
        break;
      case FrameLoad::Fitted:
        progress.summary.Fitted(framePath);
        break;
      case FrameLoad::Failed:
        frames.Select(i);
        return Outcome::Failed;
      case FrameLoad::Loaded:
        break;
    }
    // A compressor's output is not known in advance; the uncompressed frame
    // bounds it.
    if (!uncompressed && NextFramePassesLimit(progress.bytes, progress.frames,
                                              static_cast<std::uint64_t>(dib.SizeImage()), kAvi1SizeLimit)) {
      frames.ShowLatest();
      return Outcome::CutShort;
    }
    LONG bytes = 0;
    last = ::AVIStreamWrite(avi.compressed.get(), i, 1, dib.PointerToBits(), dib.SizeImage(), AVIIF_KEYFRAME,
                            nullptr, &bytes);
    if (FAILED(last)) {
      frames.ShowLatest();
      view.Message("Error writing Avi stream", MessageIcon::None);
      return Outcome::Failed;
    }
    ++progress.frames;
    progress.bytes += static_cast<std::uint64_t>(bytes > 0 ? bytes : dib.SizeImage());
  }
  frames.ShowLatest();
  return Outcome::Written;
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

}  // namespace

std::uint32_t WriteThroughAviServices(const ConversionInput& in, const AviChoices& choices) {
  // Before anything is asked or written: tmp.bmp is this folder's one.
  const FrameFolderClaim claim(in.request.folder);
  if (!claim.held()) {
    in.view.Message(FolderHeldText(in.request.folder), MessageIcon::Exclamation);
    return 0;
  }
  const std::string path = WritingPath(in.target);
  const bool targetExisted = ::GetFileAttributesW(Widen(in.target).c_str()) != INVALID_FILE_ATTRIBUTES;
  Progress progress;
  Outcome outcome;
  {
    AviSession avi;
    cDib dib;  // dropped before the session releases anything
    outcome = WriteFrames(in, path, choices, avi, dib, progress);
  }
  // Everything is released here: the file is complete and closed.
  switch (outcome) {
    case Outcome::Declined:
      // A target that did not exist is left as the empty video made so far;
      // a file the user had there stays as it was.
      if (targetExisted || !PutInPlace(path, in.target)) RemovePart(path, in.target);
      return 0;
    case Outcome::NoFrame:
    case Outcome::Cancelled:
    case Outcome::Refused:
      RemovePart(path, in.target);
      return 0;
    case Outcome::OpenFailed:  // said; what is at the part may be another conversion's
      return 0;
    case Outcome::Failed:
      RemoveBrokenFile(in, path);
      return 0;
    case Outcome::Written:
    case Outcome::CutShort:
      break;
  }
  if (!WrittenFileHolds(path, progress) || !PutInPlace(path, in.target)) {
    RemoveBrokenFile(in, path);
    return 0;
  }
  std::string text;
  if (outcome == Outcome::CutShort)
    text = CutShortText(in.target, kAvi1SizeLimit, static_cast<std::uint32_t>(progress.frames),
                        static_cast<std::uint32_t>(in.frames.size()));
  const std::string changes = progress.summary.Text(progress.width, progress.height);
  if (!changes.empty()) text += (text.empty() ? "" : "\r\n\r\n") + changes;
  if (!text.empty()) in.view.Message(text, MessageIcon::Information);
  return static_cast<std::uint32_t>(progress.frames);
}

}  // namespace lumavex
