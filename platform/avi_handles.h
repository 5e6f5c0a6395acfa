#pragma once
// Owners for what the AVI file services hand out: the file and stream
// interfaces (released with their own release calls) and the compression
// options record, whose format and parameter blocks the compression dialog
// allocates and AVISaveOptionsFree gives back.
#include <windows.h>
#include <vfw.h>

#include <atomic>

#include "base/unique_handle.h"

namespace lumavex {

// The AVI file services for the life of the object: AVIFileInit when made,
// AVIFileExit when it goes.
class AviFileServices {
 public:
  AviFileServices() { ::AVIFileInit(); }
  ~AviFileServices() { ::AVIFileExit(); }
  AviFileServices(const AviFileServices&) = delete;
  AviFileServices& operator=(const AviFileServices&) = delete;
};

struct AviFileTraits {
  using type = PAVIFILE;
  static PAVIFILE invalid() { return nullptr; }
  // Releasing the last reference writes the index and closes the file.
  static void close(PAVIFILE file) { ::AVIFileRelease(file); }
};
using UniqueAviFile = UniqueHandle<AviFileTraits>;

struct AviStreamTraits {
  using type = PAVISTREAM;
  static PAVISTREAM invalid() { return nullptr; }
  static void close(PAVISTREAM stream) { ::AVIStreamRelease(stream); }
};
using UniqueAviStream = UniqueHandle<AviStreamTraits>;

// One compression options record and the one-element array of its address
// that the compression dialog takes. After the dialog has run, whatever it
// put into the record is owned here until Free (or the end of the object).
class AviCompressOptions {
 public:
  AviCompressOptions() = default;
  ~AviCompressOptions() { Free(); }
  AviCompressOptions(const AviCompressOptions&) = delete;
  AviCompressOptions& operator=(const AviCompressOptions&) = delete;

  // Clears the record and shows the platform's compression dialog for one
  // stream. Returns the dialog's result: 1 when the user confirmed.
  INT_PTR Choose(HWND owner, UINT flags, PAVISTREAM* stream);

  // Takes a record filled by other means (e.g. a preset compressor); its
  // blocks, if any, must come from the same allocator the dialog uses.
  void Adopt(const AVICOMPRESSOPTIONS& options);

  // AVISaveOptionsFree when something is held; a second call does nothing.
  void Free();

  AVICOMPRESSOPTIONS* record() { return &options_; }

  // Records holding dialog allocations right now, for the leak checks.
  static long live() { return Live().load(); }

 private:
  static std::atomic<long>& Live();
  void Hold();

  AVICOMPRESSOPTIONS options_{};
  LPAVICOMPRESSOPTIONS array_[1] = {&options_};
  bool held_ = false;
};

}  // namespace lumavex
