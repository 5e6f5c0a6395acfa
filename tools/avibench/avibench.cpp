// Times "Write Avi" on a folder of JPG frames: the real conversion of the
// main window (listing, per-frame decode, temporary BMP, reader, AVI writes),
// with the two dialogs answered in advance: the given target file and the
// uncompressed compressor, as a user choosing "Full Frames (Uncompressed)"
// would. Prints one line per run and the best rate.
//
//   avibench.exe <frame folder> <target.avi> [runs] [frame rate text]
#include <windows.h>
#include <ole2.h>
#include <vfw.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/form1.h"
#include "platform/avi_handles.h"
#include "avi/convert_folder.h"
#include "platform/controls.h"
#include "platform/message.h"

namespace {

// What the compression dialog hands back for "Full Frames (Uncompressed)".
lumavex::AviChoices PresetChoices(const std::string& target) {
  lumavex::AviChoices choices;
  choices.target = [target](HWND, std::string& chosen) {
    chosen = target;
    return true;
  };
  choices.compression = [](HWND, PAVISTREAM*, lumavex::AviCompressOptions& options) -> INT_PTR {
    AVICOMPRESSOPTIONS uncompressed{};
    uncompressed.fccType = streamtypeVIDEO;
    uncompressed.fccHandler = comptypeDIB;
    uncompressed.dwQuality = static_cast<DWORD>(ICQUALITY_DEFAULT);
    uncompressed.dwFlags = AVICOMPRESSF_VALID;
    options.Adopt(uncompressed);
    return 1;
  };
  return choices;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: avibench <frame folder> <target.avi> [runs] [frame rate text]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const std::string target = argv[2];
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  const std::string rate = argc > 4 ? argv[4] : "3";

  const HRESULT com = ::OleInitialize(nullptr);
  int failures = 0;
  lumavex::SetMessageHandler([&failures](const std::string& text, lumavex::MessageIcon) {
    ++failures;
    std::fprintf(stderr, "message: %s\n", text.c_str());
  });
  {
    // Shown, so that every frame's preview repaint is real work.
    auto form = lumavex::Form1::Create(true);
    if (!form) {
      std::fprintf(stderr, "could not create the main window\n");
      return 1;
    }
    lumavex::SetControlText(form->txtPath, folder);
    lumavex::SetControlText(form->txtFPS, rate);
    const lumavex::AviChoices choices = PresetChoices(target);
    double best = 0;
    for (int run = 1; run <= runs && failures == 0; ++run) {
      LARGE_INTEGER start, end;
      ::QueryPerformanceCounter(&start);
      lumavex::ConvertFolderToAvi(*form, choices);
      ::QueryPerformanceCounter(&end);
      const int frames = lumavex::ListCount(form->File1);
      const double seconds = Seconds(start, end);
      const double fps = seconds > 0 ? frames / seconds : 0;
      if (fps > best) best = fps;
      std::printf("run %d: %d frames in %.3f s = %.1f frames/s\n", run, frames, seconds, fps);
    }
    if (failures == 0) std::printf("best: %.1f frames/s\n", best);
  }
  if (SUCCEEDED(com)) ::OleUninitialize();
  return failures == 0 ? 0 : 1;
}
