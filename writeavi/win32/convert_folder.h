#pragma once
// "Write Avi": turns the JPG frames of a folder into an AVI file, one key
// frame per file in name order. Two output types: through the platform's
// AVI services with a compressor the user picks (each frame decoded), or a
// Motion JPEG AVI whose frames are the JPG files copied as they are.
//
// The conversion is handed everything it needs and reports through a view,
// so the main window, the benchmark and the tests drive it alike.
#include <windows.h>
#include <vfw.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "writeavi/conversion_view.h"

namespace lumavex {

class AviCompressOptions;

enum class AviOutput {
  Compressed,      // the platform's AVI services and compressors
  MotionJpegCopy,  // the JPG files copied into an 'MJPG' stream
};

struct ConversionRequest {
  std::string folder;  // UTF-8
  int frameRate = 3;   // frames per second, 1..30
  // What the save dialog proposes; the user's choice there replaces it.
  AviOutput output = AviOutput::Compressed;
  HWND owner = nullptr;  // of the dialogs
  // Set from another thread to stop the conversion between two frames: it
  // then leaves no file (an older target as it was) and says nothing.
  const std::atomic<bool>* cancel = nullptr;

  bool Cancelled() const { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }
};

// The questions a conversion asks. The button asks the user through the
// platform's dialogs; the benchmark and tests may answer them themselves.
struct AviChoices {
  // The target file and output type: `target` comes in as the proposed
  // name and leaves as the chosen full path (UTF-8). False when cancelled.
  std::function<bool(HWND owner, std::string& target, AviOutput& output)> target;
  // The compressor for the stream: fills `options` and returns what the
  // compression dialog returns (1 when the user confirmed).
  std::function<INT_PTR(HWND owner, PAVISTREAM* stream, AviCompressOptions& options)> compression;
  // True when the answers show no window (they are given in advance): a
  // conversion on a worker thread then asks them there, without waiting
  // for the window's thread.
  bool windowless = false;
};

// What became of a conversion, for callers that go on without a user (the
// command line): the view has been told everything already.
struct ConversionResult {
  bool written = false;      // a whole video is at `target`
  std::uint32_t frames = 0;  // the frames it holds
  std::string target;        // as chosen; empty when none was
};

ConversionResult ConvertFolderToAvi(const ConversionRequest& request, ConversionView& view,
                                    const AviChoices& choices);

}  // namespace lumavex
