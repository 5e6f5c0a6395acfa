#pragma once
// What the "Write Avi" tests share: COM and the AVI services for the test
// program, frame files with known pictures, a summary of a written AVI file
// read back through the AVI services, and the folder whose AVI files the
// outside checker (tests/tools/check_avi.py) decodes with ffmpeg.
#include <windows.h>
#include <ole2.h>
#include <vfw.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "writeavi/win32/frame_folder.h"
#include "platform/avi_handles.h"
#include "writeavi/win32/convert_folder.h"
#include "base/utf8.h"
#include "imaging/bmp_writer.h"
#include "imaging/jpeg/jpeg_library.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "support/win_test_support.h"

namespace lumavex::test {

// COM and the AVI services for the whole test program, as the program's
// start-up provides them.
class AviEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ::OleInitialize(nullptr);
    ::AVIFileInit();
  }
  void TearDown() override {
    ::AVIFileExit();
    ::OleUninitialize();
  }
};
// Both output types, for the tests that run on each, named in test names.
inline const auto kBothOutputs = ::testing::Values(AviOutput::Compressed, AviOutput::MotionJpegCopy);
inline std::string OutputTestName(const ::testing::TestParamInfo<AviOutput>& info) {
  return info.param == AviOutput::Compressed ? "Compressed" : "MotionJpeg";
}

// A conversion's view that only passes its messages on to the program's
// (recorded) message boxes.
struct MessagesOnlyView : ConversionView {
  void Frames(std::shared_ptr<const FrameNames>) override {}
  void Current(int) override {}
  void Preview(const Image&) override {}
  void Message(const std::string& text, MessageIcon icon) override { ShowMessage(text, icon); }
};

// Registered once in every test program that includes this header.
inline const ::testing::Environment* const kAviEnvironment =
    ::testing::AddGlobalTestEnvironment(new AviEnvironment);

// A picture that differs clearly from every other seed's, smooth as a
// camera picture is (hard saturated edges would measure the decoders'
// chroma upsampling rather than the conversion): three waves whose phases
// follow the seed and a soft bright disc whose place does. Blue-green-red
// rows, top row first.
inline std::vector<std::uint8_t> FramePixels(int width, int height, int seed) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
  const double pi = 3.14159265358979;
  const double cx = width * (0.25 + 0.5 * ((seed * 37) % 11) / 10.0);
  const double cy = height * (0.25 + 0.5 * ((seed * 53) % 7) / 6.0);
  const double radius = (width < height ? width : height) / 3.0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double d = std::hypot(x - cx, y - cy) / radius;
      const double disc = d < 1 ? 50 * (1 + std::cos(pi * d)) / 2 : 0;
      const double b = 120 + 70 * std::sin(2 * pi * x / width + seed * 0.9) + disc;
      const double g = 120 + 70 * std::sin(2 * pi * y / height + seed * 1.7) + disc;
      const double r = 120 + 70 * std::sin(2 * pi * (x + y) / (width + height) + seed * 2.3) + disc;
      std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
      p[0] = static_cast<std::uint8_t>(std::clamp(b, 0.0, 255.0));
      p[1] = static_cast<std::uint8_t>(std::clamp(g, 0.0, 255.0));
      p[2] = static_cast<std::uint8_t>(std::clamp(r, 0.0, 255.0));
    }
  }
  return pixels;
}

// Writes a JPG frame with the project's JPEG library (quality 90).
inline bool WriteJpegFrame(const std::string& path, int width, int height, int seed, bool grey = false) {
  const std::vector<std::uint8_t> pixels = FramePixels(width, height, seed);
  JpegCoreProperties props{};
  jpegInit(&props);
  props.DIBBytes = pixels.data();
  props.DIBWidth = width;
  props.DIBHeight = height;
  props.DIBPadBytes = 0;
  props.DIBChannels = 3;
  props.DIBColor = JPEG_COLOR_BGR;
  props.JPGFile = path.c_str();
  props.JPGWidth = width;
  props.JPGHeight = height;
  if (grey) {
    props.JPGChannels = 1;
    props.JPGColor = JPEG_COLOR_GRAYSCALE;
  }
  props.jquality = 90;
  const int result = jpegWrite(&props, JPEG_JFILE_WRITEWHOLEIMAGE);
  jpegFree(&props);
  return result == JPEG_OK;
}

// Writes the same picture as a 24-bit BMP file (whatever the name says).
inline bool WriteBmpFrame(const std::string& path, int width, int height, int seed) {
  std::vector<std::uint8_t> pixels = FramePixels(width, height, seed);
  // The BMP stores the bottom row first.
  std::vector<std::uint8_t> bottomUp(pixels.size());
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  for (int y = 0; y < height; ++y)
    std::copy_n(&pixels[static_cast<std::size_t>(height - 1 - y) * row], row, &bottomUp[y * row]);
  const std::vector<std::uint8_t> file = EncodeBmp24(width, height, bottomUp.data(), row);
  return WriteWholeFile(path, {{file.data(), file.size()}});
}

inline bool WriteTextFile(const std::string& path, const std::string& text) {
  return WriteWholeFile(path, {{text.data(), text.size()}});
}

// The video stream of an AVI file as the AVI services read it back.
struct AviSummary {
  bool read = false;
  DWORD rate = 0, scale = 0, length = 0;
  DWORD handler = 0;  // of the stream header: 'MJPG' for a Motion JPEG stream
  LONG width = 0, height = 0;
  int videoStreams = 0;
};

inline AviSummary ReadAviSummary(const std::string& path) {
  AviSummary summary;
  PAVIFILE rawFile = nullptr;
  if (::AVIFileOpenW(&rawFile, Widen(path).c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr) != 0)
    return summary;
  UniqueAviFile file(rawFile);
  for (LONG i = 0;; ++i) {
    PAVISTREAM raw = nullptr;
    if (::AVIFileGetStream(file.get(), &raw, streamtypeVIDEO, i) != 0) break;
    UniqueAviStream stream(raw);
    ++summary.videoStreams;
    if (i > 0) continue;
    AVISTREAMINFOA info{};
    if (::AVIStreamInfoA(stream.get(), &info, sizeof info) != 0) return summary;
    summary.rate = info.dwRate;
    summary.scale = info.dwScale;
    summary.length = info.dwLength;
    summary.handler = info.fccHandler;
    summary.width = info.rcFrame.right - info.rcFrame.left;
    summary.height = info.rcFrame.bottom - info.rcFrame.top;
  }
  summary.read = summary.videoStreams > 0;
  return summary;
}

// The bytes of one frame of the first video stream; empty when unreadable.
inline std::vector<std::uint8_t> ReadAviFrame(const std::string& path, LONG index) {
  PAVIFILE rawFile = nullptr;
  if (::AVIFileOpenW(&rawFile, Widen(path).c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr) != 0) return {};
  UniqueAviFile file(rawFile);
  PAVISTREAM raw = nullptr;
  if (::AVIFileGetStream(file.get(), &raw, streamtypeVIDEO, 0) != 0) return {};
  UniqueAviStream stream(raw);
  LONG bytes = 0;
  if (::AVIStreamRead(stream.get(), index, 1, nullptr, 0, &bytes, nullptr) != 0 || bytes <= 0) return {};
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(bytes));
  if (::AVIStreamRead(stream.get(), index, 1, frame.data(), bytes, &bytes, nullptr) != 0) return {};
  frame.resize(static_cast<std::size_t>(bytes));
  return frame;
}

// True when nobody holds the file open any more: it can be opened with no
// sharing at all.
inline bool FileIsReleased(const std::string& path) {
  UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.valid();
}

// The whole content of a file on a path in any script; empty when unreadable.
inline std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) bytes.clear();
  return bytes;
}

inline bool PathIsThere(const std::string& path) {
  return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Handles this process holds, as the system lists them (the counting call
// of the process API gives 0 under Wine).
inline long ProcessHandleCount() {
  struct Entry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  struct List {
    ULONG count;
    Entry entries[1];
  };
  using Query = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
  static const auto query =
      reinterpret_cast<Query>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation"));
  constexpr int kSystemHandleInformation = 16;
  std::vector<std::uint8_t> buffer(1 << 20);
  ULONG needed = 0;
  while (query &&
         query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) != 0) {
    if (buffer.size() >= (1u << 28)) return -1;
    buffer.resize(buffer.size() * 4);
  }
  if (!query) return -1;
  const auto* list = reinterpret_cast<const List*>(buffer.data());
  long count = 0;
  for (ULONG i = 0; i < list->count; ++i) count += list->entries[i].ownerPid == ::GetCurrentProcessId();
  return count;
}

inline int ProcessThreadCount() {
  UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return -1;
  THREADENTRY32 thread{};
  thread.dwSize = sizeof thread;
  int count = 0;
  for (BOOL more = ::Thread32First(snapshot.get(), &thread); more;
       more = ::Thread32Next(snapshot.get(), &thread))
    count += thread.th32OwnerProcessID == ::GetCurrentProcessId();
  return count;
}

inline long LiveAviObjects() {
  return UniqueAviFile::live() + UniqueAviStream::live() + AviCompressOptions::live();
}

// The folder, beside the test program, whose cases the outside checker reads:
// each case is a subfolder with the frames, the AVI file and "expect.txt".
inline std::string CheckFolder() { return TestBinFolder() + "\\avi-check"; }

// What the checker (tests/tools/check_avi.py) expects of one frame of a
// case's AVI file: "frame", "fitted", "again" or "trimmed", and the frame
// file whose picture it is.
struct ExpectedFrame {
  std::string kind;
  std::string name;
};

// What the checker expects of a case's AVI file: its frames in order and the
// playback rate; with `copied`, the stream is Motion JPEG.
inline bool WriteExpectedFrames(const std::string& folder, const std::string& avi, int rate, int width,
                                int height, const std::vector<ExpectedFrame>& frames, bool copied) {
  std::string text = "avi " + avi + "\nrate " + std::to_string(rate) + "\nwidth " + std::to_string(width) +
                     "\nheight " + std::to_string(height) + "\n";
  if (copied) text += "codec mjpeg\n";
  for (const ExpectedFrame& frame : frames) text += frame.kind + " " + frame.name + "\n";
  return WriteTextFile(folder + "\\expect.txt", text);
}

// The same for frames that are their files (or, named in `fitted`, their
// pictures fitted into the video's size); with `copied`, every frame not
// fitted is its JPG file byte for byte.
inline bool WriteExpectation(const std::string& folder, const std::string& avi, int rate, int width,
                             int height, const std::vector<std::string>& frames,
                             const std::vector<std::string>& fitted = {}, bool copied = false) {
  std::vector<ExpectedFrame> expected;
  for (const std::string& frame : frames)
    expected.push_back(
        {std::find(fitted.begin(), fitted.end(), frame) != fitted.end() ? "fitted" : "frame", frame});
  return WriteExpectedFrames(folder, avi, rate, width, height, expected, copied);
}

}  // namespace lumavex::test
