// Times "Write Avi" on a folder of JPG frames: the real conversion on its
// worker thread, as the button runs it (listing, reading, and for the first
// output type the per-frame decode, temporary BMP, reader and AVI writes),
// shown in a list box and a picture view as the main window shows it, with
// the questions answered in advance: the given
// target file and output type, and for the first type the uncompressed
// compressor, as a user choosing "Full Frames (Uncompressed)" would. Prints
// each run on stderr, then the best run as one line:
//   frames=N seconds=S fps=F peak_kb=K
//
//   avibench.exe <frame folder> <target.avi> [avi|mjpeg] [runs] [frame rate]
#include <windows.h>
#include <ole2.h>
#include <psapi.h>
#include <vfw.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/control_view.h"
#include "writeavi/win32/convert_folder.h"
#include "writeavi/frame_rate.h"
#include "writeavi/win32/conversion_runner.h"
#include "writeavi/win32/preset_choices.h"
#include "platform/avi_handles.h"
#include "platform/controls.h"
#include "platform/kernel.h"
#include "base/message.h"
#include "platform/picture_view.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The view whose list the window draws.
const lumavex::ControlConversionView* g_view = nullptr;

LRESULT CALLBACK BenchProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DRAWITEM && g_view) {
    g_view->DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
    return TRUE;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

// The list and the preview of the main window, in a window of their own
// (the list draws its rows as File1 does).
struct BenchWindow {
  lumavex::UniqueWindow frame;
  HWND list = nullptr;
  HWND preview = nullptr;

  bool Create() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BenchProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"LumavexAviBench";
    if (!::RegisterClassW(&wc)) return false;
    frame.reset(::CreateWindowExW(0, wc.lpszClassName, L"avibench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  420, 260, nullptr, nullptr, wc.hInstance, nullptr));
    if (!frame) return false;
    // Two lists, as the main window has (the webcam list and File1), for a
    // reader of every list to find.
    list = lumavex::CreateRowlessList(frame.get(), {5, 5, 200, 40}, 1);
    webcams = lumavex::CreateControl(frame.get(), "LISTBOX", "", LBS_NOINTEGRALHEIGHT | WS_VSCROLL,
                                     {5, 50, 200, 130}, 3, WS_EX_CLIENTEDGE);
    for (int i = 0; i < 20; ++i)
      lumavex::ListAdd(webcams, "Contact " + std::to_string(i) + " - Conversation");
    preview = lumavex::CreatePictureView(frame.get(), 2, {210, 5, 322, 128}, lumavex::PictureFit::Stretch);
    return list && preview;
  }
  HWND webcams = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: avibench <frame folder> <target.avi> [avi|mjpeg] [runs] [frame rate]\n");
    return 2;
  }
  lumavex::ConversionRequest request;
  request.folder = argv[1];
  const std::string target = argv[2];
  const lumavex::AviOutput output = argc > 3 && std::strcmp(argv[3], "mjpeg") == 0
                                        ? lumavex::AviOutput::MotionJpegCopy
                                        : lumavex::AviOutput::Compressed;
  const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
  request.frameRate = lumavex::FrameRateFromText(argc > 5 ? argv[5] : "3");

  const HRESULT com = ::OleInitialize(nullptr);
  ::AVIFileInit();
  int failures = 0;
  lumavex::SetMessageHandler([&failures](const std::string& text, lumavex::MessageIcon) {
    ++failures;
    std::fprintf(stderr, "message: %s\n", text.c_str());
  });
  {
    BenchWindow window;
    if (!window.Create()) {
      std::fprintf(stderr, "could not create the window\n");
      return 1;
    }
    request.owner = window.frame.get();
    lumavex::ControlConversionView view(window.list, window.preview);
    g_view = &view;
    const lumavex::AviChoices choices = lumavex::PresetAviChoices(target, output);
    // On a worker thread, as the button runs it, with this thread showing
    // its progress.
    lumavex::ConversionRunner runner;
    double bestSeconds = 0;
    int frames = 0;
    for (int run = 1; run <= runs && failures == 0; ++run) {
      LARGE_INTEGER start, end;
      ::QueryPerformanceCounter(&start);
      const bool started =
          runner.Start(request, view, choices, [](const std::vector<lumavex::UserMessage>& messages, bool) {
            for (const auto& m : messages) lumavex::ShowMessage(m.text, m.icon);
          });
      if (!started) ++failures;
      // Timed to the worker's last step (the video in place): the window's
      // thread shows the progress and hears of the end when it can, which
      // another program holding that thread delays, without delaying the
      // conversion.
      MSG msg;
      HANDLE ended = runner.ended();
      bool done = !started;
      while (started && runner.Running()) {
        const DWORD woken =
            done ? WAIT_OBJECT_0 + 1 : ::MsgWaitForMultipleObjects(1, &ended, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0 && !done) {
          ::QueryPerformanceCounter(&end);
          done = true;
          continue;
        }
        if (done) {
          if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
          ::TranslateMessage(&msg);
          ::DispatchMessageW(&msg);
          continue;
        }
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
          ::TranslateMessage(&msg);
          ::DispatchMessageW(&msg);
        }
      }
      if (!done) ::QueryPerformanceCounter(&end);
      frames = lumavex::ListCount(window.list);
      const double seconds = Seconds(start, end);
      if (run == 1 || seconds < bestSeconds) bestSeconds = seconds;
      std::fprintf(stderr, "run %d: %d frames in %.3f s = %.1f frames/s\n", run, frames, seconds,
                   seconds > 0 ? frames / seconds : 0);
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
    if (failures == 0)
      std::printf("frames=%d seconds=%.3f fps=%.1f peak_kb=%llu\n", frames, bestSeconds,
                  bestSeconds > 0 ? frames / bestSeconds : 0,
                  static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024));
  }
  g_view = nullptr;
  ::AVIFileExit();
  if (SUCCEEDED(com)) ::OleUninitialize();
  return failures == 0 ? 0 : 1;
}
