// Times one recording tick of the main window against the still demo
// conversation window, and in the same run the screen copy alone, and prints
// the medians and their ratio. A tick here is the real Timer1 handler with
// "Save as JPG" on: schedule, window checks, topmost, pane rectangle, screen
// copy into the frame's section, preview in Picture1 and Image1, JPEG
// encode and file write, its line in times.csv. The recording's steady
// clock is moved to each frame's time before its tick, so every tick takes
// a frame however long the last one took. Then the same ticks with "Save
// into a video" on and both boxes off, and what the video's index refreshes
// cost.
//
//   tickbench [ticks] [--prune SAVE]   (default 1000 ticks)
//
// With --prune, SAVE holds a recording 10 days old (bench-tick.sh makes it,
// 100,000 frames): ticks of a recording into SAVE with "Keep recordings: 1
// day" are timed while its sweep deletes that recording on its worker, and
// then as many again without a sweep.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "recording/frame_naming.h"
#include "app/recording_view.h"
#include "discovery/win32/discovery.h"
#include "imaging/win32/capture.h"
#include "imaging/jpeg/jpeg_encoder.h"
#include "recording/capture_route.h"
#include "recording/win32/frame_outputs.h"
#include "recording/win32/pane_capture.h"
#include "recording/win32/pane_surroundings.h"
#include "recording/win32/session_lock.h"
#include "platform/com_scope.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/foreign_window.h"
#include "platform/gdi.h"
#include "base/message.h"
#include "platform/picture_view.h"
#include "base/utf8.h"
#include "imaging/win32/screen_frame.h"
#include "avi/mjpeg_avi_writer.h"
#include "avi/output_file.h"
#include "base/file.h"
#include "recording/recording_settings.h"
#include "recording/times_csv.h"
#include "recording/video_segments.h"
#include "recording/win32/locale_clock.h"
#include "tools/democonv/demo_process.h"
#include "tools/democonv/own_conversation.h"
#include "writeavi/win32/frame_folder.h"

namespace lumavex::bench {
namespace {

class Stopwatch {
 public:
  Stopwatch() { ::QueryPerformanceFrequency(&frequency_); }
  // Milliseconds that `work` takes.
  double Time(const std::function<void()>& work) const {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    work();
    ::QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_;
};

struct Summary {
  double median, p10, p90;
};

Summary Summarise(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  auto at = [&](double q) { return ms[static_cast<std::size_t>(q * static_cast<double>(ms.size() - 1))]; };
  return {at(0.5), at(0.1), at(0.9)};
}

void PrintLine(const char* what, const Summary& s) {
  std::printf("  %-44s median %7.3f ms   (p10 %.3f, p90 %.3f)\n", what, s.median, s.p10, s.p90);
}

std::vector<double> Repeat(int n, const Stopwatch& clock, const std::function<void()>& work) {
  std::vector<double> ms;
  ms.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) ms.push_back(clock.Time(work));
  return ms;
}

// As Repeat, with the thread's messages handled between the runs, as a
// recording's ticks have them: a window of this thread that went 5 s without
// them would count as not answering.
std::vector<double> RepeatAnswering(int n, const Stopwatch& clock, const std::function<void()>& work) {
  std::vector<double> ms;
  ms.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    ms.push_back(clock.Time(work));
  }
  return ms;
}

void RemoveFolder(const std::string& folder) {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::u8path(folder), ignored);
}

// The first `ticks` ticks of a new recording into `save` without a limit,
// then those of another one while its sweep deletes the old recording: both
// folders start empty, as Wine's cost of a new name grows with the folder.
void TimePruning(Form1& form, const std::string& save, int ticks, const Stopwatch& clock,
                 const std::function<void()>& frameTick) {
  SetControlText(form.txtPath, save);
  const auto record = [&](int keepDays) {
    RecordingSettings settings;
    settings.keepDays = keepDays;
    form.captureMenu.UseForThisRun(settings);
    ::SendMessageW(form.Start, BM_CLICK, 0, 0);
    return Repeat(ticks, clock, frameTick);
  };
  const std::vector<double> without = record(0);
  ::SendMessageW(form.btstop, BM_CLICK, 0, 0);
  LARGE_INTEGER begin, end, frequency;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&begin);
  const std::vector<double> during = record(1);
  const bool allDuring = form.recorder.Pruning();
  form.recorder.WaitForPruning();
  ::QueryPerformanceCounter(&end);
  ::SendMessageW(form.btstop, BM_CLICK, 0, 0);
  form.captureMenu.UseForThisRun(RecordingSettings{});
  std::printf(
      "Keep recordings: 1 day, with a recording of 100,000 frames 10 days old (deleted on a worker):\n");
  std::printf("  the sweep took %.1f s from Start%s\n",
              static_cast<double>(end.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart),
              allDuring ? "; every tick below ran while it did" : " (it ended before the last tick below)");
  PrintLine("tick while the sweep runs", Summarise(during));
  PrintLine("tick without a sweep", Summarise(without));
  std::printf("  old recording %s\n", PathExists(save + "\\old") ? "still there (FAILED)" : "gone");
}

int Run(int ticks, const std::string& pruneSave) {
  int messages = 0;
  SetMessageHandler([&](const std::string& text, MessageIcon) {
    ++messages;
    std::fprintf(stderr, "message: %s\n", text.c_str());
  });

  // Still, so every tick encodes the same picture and the figures compare.
  DemoWindow demo("Tina --still --pos 60 60", "Tina - Conversation");
  if (!demo.ok()) {
    std::fprintf(stderr, "the demo window did not appear\n");
    return 1;
  }
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  const std::string save = Narrow(temp) + "lumavex_tickbench_" + std::to_string(::GetCurrentProcessId());
  if (!MakeDirectory(save)) {
    std::fprintf(stderr, "cannot make %s\n", save.c_str());
    return 1;
  }

  auto form = Form1::Create(true);
  if (!form) return 1;
  ::SetWindowPos(form->hwnd(), nullptr, 600, 470, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetControlText(form->txtPath, save);
  for (int i = 0; i < ListCount(form->List1); ++i)
    if (reinterpret_cast<HWND>(ListData(form->List1, i)) == demo.hwnd()) ListSelect(form->List1, i);
  if (ListSelected(form->List1) < 0) {
    std::fprintf(stderr, "the demo window is not in the webcam list\n");
    return 1;
  }

  const Stopwatch clock;
  std::int64_t steadyMs = 1'000'000;
  SetSteadyClockForTests([&] { return steadyMs; });
  auto frameTick = [&] {
    const std::optional<std::int64_t> due = form->recorder.State().NextDueMs();
    if (due && *due > steadyMs) steadyMs = *due;
    form->Timer1_Timer();
  };

  // The floor's three parts: the screen copy on the same rectangle, the
  // encoding of one pane, and a plain write of its bytes as a new file in a
  // folder that fills as the recording's does (Wine looks a missing name up
  // by reading the whole folder).
  const PaneRect pane = CurrentPaneRect(demo.hwnd());
  const Picture picture = CaptureWindow(nullptr, pane.left, pane.top, pane.width, pane.height);
  ScreenFrame pane0;
  {
    DWORD error = 0;
    pane0.Grab(pane.left, pane.top, pane.width, pane.height, error);
  }
  const Bgr24Source panePixels = pane0.ConstPixels();
  auto encode = [&](jpeg::JpegOutputBuffer& out) {
    jpeg::SourceImage image;
    image.pixels = panePixels.bits;
    image.width = panePixels.width;
    image.height = panePixels.height;
    image.rowBytes = panePixels.stride;
    image.bottomUp = true;
    jpeg::EncodeSettings settings;
    settings.quality = 70;
    jpeg::EncodeJpeg(image, settings, out);
  };
  jpeg::JpegOutputBuffer encoded(16384);
  encode(encoded);
  const std::vector<std::uint8_t> bytes(encoded.data(), encoded.data() + encoded.size());
  const std::string floorFolder = save + "\\floor";
  MakeDirectory(floorFolder);

  // Each tick is followed at once by one of each part, so that both see the
  // same machine: other work beside the benchmark shifts them alike.
  std::vector<double> tickMs, captureMs, encodeMs, writeMs;
  ::SendMessageW(form->Start, BM_CLICK, 0, 0);
  for (int i = 0; i < 50; ++i) frameTick();  // warm-up
  for (int i = 0; i < ticks; ++i) {
    tickMs.push_back(clock.Time(frameTick));
    captureMs.push_back(clock.Time(
        [&] { Picture p = CaptureWindow(nullptr, pane.left, pane.top, pane.width, pane.height); }));
    encodeMs.push_back(clock.Time([&] {
      jpeg::JpegOutputBuffer out(16384);
      encode(out);
    }));
    writeMs.push_back(clock.Time([&] {
      WriteWholeFile(floorFolder + "\\w" + FrameNumberText(i) + ".jpg", {{bytes.data(), bytes.size()}});
    }));
  }
  // As while recording: the timer armed for the next frame.
  const std::vector<double> controlsMs = Repeat(ticks, clock, [&] { ShowRecordingControls(*form); });
  ::SendMessageW(form->btstop, BM_CLICK, 0, 0);
  const std::string folder = save + "\\" + form->recorder.State().RecordingFolder();
  const std::size_t written = ListFrameFolder(folder).size();
  WindowDc screen(nullptr);
  UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
  UniqueBitmap target(::CreateCompatibleBitmap(screen.get(), pane.width, pane.height));
  std::vector<double> bitBltMs;
  {
    SelectedObject selected(memory.get(), target.get());
    bitBltMs = Repeat(ticks, clock, [&] {
      ::BitBlt(memory.get(), 0, 0, pane.width, pane.height, screen.get(), pane.left, pane.top, SRCCOPY);
      ::GdiFlush();
    });
  }

  // The tick's parts one by one, and what it no longer does.
  const std::vector<double> windowMs = Repeat(ticks, clock, [&] { (void)LookAtWindow(demo.hwnd()); });
  const std::vector<double> topmostMs = Repeat(ticks, clock, [&] { MakeTopmostWithoutWaiting(demo.hwnd()); });
  const std::vector<double> freeSpaceMs = Repeat(ticks, clock, [&] { (void)FreeSpaceOfVolume(save); });
  const std::vector<double> paintMs = Repeat(ticks, clock, [&] {
    SetViewPicture(form->Picture1, picture);
    SetViewPicture(form->Image1, picture);
  });
  ScreenFrame frame;
  const std::vector<double> grabMs = Repeat(ticks, clock, [&] {
    DWORD error = 0;
    frame.Grab(pane.left, pane.top, pane.width, pane.height, error);
  });
  const std::vector<double> previewMs = Repeat(ticks, clock, [&] {
    DWORD error = 0;
    frame.Grab(pane.left, pane.top, pane.width, pane.height, error);
    const Picture shown = frame.TakePicture();
    SetViewPicture(form->Picture1, shown, Repaint::WithNextPaint);
    SetViewPicture(form->Image1, shown, Repaint::WithNextPaint);
  });
  // The two routes of a frame, each with the pane into the frame's section,
  // and the choice between them.
  PaneCapture routes;
  const WindowLook look = LookAtWindow(demo.hwnd());
  const std::vector<double> chooseMs =
      Repeat(ticks, clock, [&] { (void)ChooseCaptureRoute(look.pane, SurroundingsOf(demo.hwnd())); });
  const std::vector<double> screenRouteMs =
      Repeat(ticks, clock, [&] { (void)routes.TakeBy(CaptureRoute::Screen, demo.hwnd(), look); });
  const SessionLockWatch session;
  const std::vector<double> lockMs = Repeat(ticks, clock, [&] { (void)session.Locked(); });
  bool windowGavePicture = false;
  const std::vector<double> windowRouteMs = Repeat(ticks, clock, [&] {
    windowGavePicture = routes.TakeBy(CaptureRoute::Window, demo.hwnd(), look).kind == ShotKind::Taken;
  });
  // A window of this process, which Wine does draw into a capture.
  const OwnConversation own(520, 60);
  const WindowLook ownLook = LookAtWindow(own.hwnd());
  const std::vector<double> ownScreenMs =
      RepeatAnswering(ticks, clock, [&] { (void)routes.TakeBy(CaptureRoute::Screen, own.hwnd(), ownLook); });
  bool ownGavePicture = true;
  const std::vector<double> ownWindowMs = RepeatAnswering(ticks, clock, [&] {
    ownGavePicture &= routes.TakeBy(CaptureRoute::Window, own.hwnd(), ownLook).kind == ShotKind::Taken;
  });
  TimesCsvWriter times;
  times.Open(save + "\\times.csv");
  const std::vector<double> timesMs = Repeat(ticks, clock, [&] {
    times.Write(TimesRecord{CalendarTime{2026, 12, 7, 16, 3, 13, 400}, TimesEvent::Frame, 1234567, {}});
  });
  times.Close();
  // New names in a folder of their own, through a scratch folder, as a
  // recording makes them.
  const std::string parts = save + "\\parts";
  MakeDirectory(parts);
  MakeDirectory(parts + "\\~tmp");
  FramePlacer placer("f.jpg");
  placer.UseScratchFolder(parts + "\\~tmp");
  JpegFrameFiles jpegFiles(placer);
  int n = 0;
  DWORD error = 0;
  frame.Grab(pane.left, pane.top, pane.width, pane.height, error);
  FrameJpegEncoder encoder;
  const std::vector<double> jpegMs = Repeat(ticks, clock, [&] {
    std::uint64_t written = 0;
    UserMessage failure;
    FrameToWrite toWrite{frame.ConstPixels(), {}, false};
    toWrite.paths.jpg = parts + "\\j" + FrameNumberText(++n) + ".jpg";
    encoder.Encode(toWrite, failure);
    jpegFiles.Write(toWrite, written, failure);
  });

  // The same ticks again, into a new recording, with the video on and both
  // boxes off.
  SetChecked(form->cbjpg, false);
  RecordingSettings videoOnly = form->captureMenu.Settings();
  videoOnly.video = true;
  videoOnly.intervalMs = 100;
  form->captureMenu.UseForThisRun(videoOnly);
  SetSteadyClockForTests([&] { return steadyMs; });
  ::SendMessageW(form->Start, BM_CLICK, 0, 0);
  for (int i = 0; i < 50; ++i) frameTick();  // warm-up
  std::vector<double> videoTickMs;
  for (int i = 0; i < ticks; ++i) videoTickMs.push_back(clock.Time(frameTick));
  ::SendMessageW(form->btstop, BM_CLICK, 0, 0);
  SetSteadyClockForTests(nullptr);
  const std::string videoFolder = save + "\\" + form->recorder.State().RecordingFolder();
  const std::uint64_t videoRefreshes = form->recorder.Video().RefreshCount();

  // A frame into a video at 0.1 s, handed to the system: without a
  // refresh, and with one (a standard index of the frames since, the
  // headers patched).
  std::vector<double> plainFrameMs, refreshFrameMs;
  std::uint64_t refreshBytes = 0, refreshCount = 0, videoBytes = 0;
  {
    const VideoSegments at100(100, kDefaultSegmentSeconds);
    UniqueStdFile stream(OpenNewSoleWriterUtf8(save + "\\refresh.avi"));
    OutputFile out(stream.get(), 256 * 1024);
    MjpegAviSettings settings;
    settings.width = static_cast<std::uint32_t>(pane.width);
    settings.height = static_cast<std::uint32_t>(pane.height);
    settings.framesPerSecond = at100.Rate();
    settings.scale = at100.Scale();
    settings.refreshSlots = at100.RefreshSlots();
    settings.superIndexSlots = SuperIndexSlotsFor(36000, settings.refreshSlots, 36000ull * 64 * 1024);
    MjpegAviWriter writer(out, settings);
    writer.Start();
    const int frames = std::max(ticks * 10, 2000);
    for (int i = 0; i < frames; ++i) {
      const std::uint32_t before = writer.RefreshCount();
      // As the recorder does: each frame handed to the system at once.
      const double ms = clock.Time([&] {
        writer.AddFrame(bytes.data(), bytes.size());
        out.Flush();
      });
      (writer.RefreshCount() != before ? refreshFrameMs : plainFrameMs).push_back(ms);
    }
    refreshBytes = writer.RefreshBytes();
    refreshCount = writer.RefreshCount();
    writer.Finish();
    videoBytes = out.Position();
  }

  const Summary tick = Summarise(tickMs);
  const Summary capture = Summarise(captureMs);
  const Summary bitBlt = Summarise(bitBltMs);
  std::printf("Recording tick, %dx%d pane, JPG at quality 70 (%zu bytes), %d ticks, %zu frames written\n",
              pane.width, pane.height, bytes.size(), ticks, written);
  PrintLine("whole tick (Timer1 handler)", tick);
  for (std::size_t from = 0; from + 100 <= tickMs.size(); from += tickMs.size() / 5) {
    const std::vector<double> run(tickMs.begin() + from, tickMs.begin() + from + 100);
    char label[64];
    std::snprintf(label, sizeof label, "  ticks %zu-%zu (folder holds %zu+ frames)", from, from + 99,
                  from + 50);
    PrintLine(label, Summarise(run));
  }
  PrintLine("screen copy alone (CaptureWindow)", capture);
  PrintLine("bare BitBlt from the screen", bitBlt);
  std::printf("  tick / screen copy = %.2f   (tick / bare BitBlt = %.2f)\n", tick.median / capture.median,
              tick.median / bitBlt.median);
  // What a tick cannot do without: take the picture, encode it, write the
  // bytes. Everything else a tick does is overhead on this.
  const Summary encodeAlone = Summarise(encodeMs);
  const Summary plainWrite = Summarise(writeMs);
  const double floor = capture.median + encodeAlone.median + plainWrite.median;
  std::printf("Floor, measured between the ticks:\n");
  PrintLine("JPEG encode alone, into memory", encodeAlone);
  PrintLine("plain write of the same bytes (new file)", plainWrite);
  std::printf("  floor (screen copy + JPEG encode + plain write): %.3f ms\n", floor);
  std::printf("  tick / floor = %.2f\n", tick.median / floor);
  std::printf("Parts of a tick, each on its own:\n");
  PrintLine("window, minimised, topmost, pane (one query)", Summarise(windowMs));
  PrintLine("screen copy into the frame's section", Summarise(grabMs));
  PrintLine("  and the frame handed to both previews", Summarise(previewMs));
  PrintLine("session lock asked (input desktop)", Summarise(lockMs));
  PrintLine("route chosen (monitors, windows above the pane)", Summarise(chooseMs));
  PrintLine("screen copy route (pane into the frame)", Summarise(screenRouteMs));
  PrintLine("window capture route (PrintWindow, pane cropped)", Summarise(windowRouteMs));
  const double routeRatio = Summarise(windowRouteMs).median / Summarise(screenRouteMs).median;
  std::printf("  window capture / screen copy = %.2f%s\n", routeRatio,
              windowGavePicture ? ""
                                : "   (the demo window drew no picture of itself: Wine draws another"
                                  " process's window into no capture)");
  PrintLine("screen copy route, a window of this process", Summarise(ownScreenMs));
  PrintLine("window capture route, a window of this process", Summarise(ownWindowMs));
  std::printf("  window capture / screen copy = %.2f%s\n",
              Summarise(ownWindowMs).median / Summarise(ownScreenMs).median,
              ownGavePicture ? "   (every capture gave the pane)" : "   (some captures gave no picture)");
  PrintLine("JPEG encode and write (scratch file, moved)", Summarise(jpegMs));
  PrintLine("times.csv line, written and flushed", Summarise(timesMs));
  PrintLine("Timer1 armed, buttons, Text1", Summarise(controlsMs));
  std::printf("What a tick now does only when needed, or no longer:\n");
  PrintLine("topmost set (only when the window is not)", Summarise(topmostMs));
  PrintLine("free space (only near the reserve, or 10 s on)", Summarise(freeSpaceMs));
  PrintLine("preview painted (with the next paint, off the tick)", Summarise(paintMs));

  const Summary videoTick = Summarise(videoTickMs);
  std::printf("Save into a video (0.1 s, both boxes off), %d ticks, %llu refreshes:\n", ticks,
              static_cast<unsigned long long>(videoRefreshes));
  PrintLine("whole tick, video only", videoTick);
  PrintLine("whole tick, JPG files (above)", tick);
  std::printf("  video tick / JPG tick = %.2f\n", videoTick.median / tick.median);
  if (!refreshFrameMs.empty() && !plainFrameMs.empty()) {
    const Summary plainFrame = Summarise(plainFrameMs), refreshFrame = Summarise(refreshFrameMs);
    PrintLine("frame written into the video, no refresh", plainFrame);
    PrintLine("frame written with a refresh (index, headers)", refreshFrame);
    const double perHour = 720.0 * (refreshFrame.median - plainFrame.median);
    std::printf("  %llu refreshes of %.0f bytes each; one every %d frames (%d ms of frames)\n",
                static_cast<unsigned long long>(refreshCount),
                static_cast<double>(refreshBytes) /
                    static_cast<double>(std::max<std::uint64_t>(refreshCount, 1)),
                VideoSegments(100, kDefaultSegmentSeconds).RefreshSlots(), kVideoRefreshMs);
    std::printf("  refreshes in an hour at 0.1 s: 720, about %.1f ms of work in all\n", perHour);
  }
  // An hour at 0.1 s: 36000 frames of this size. A file takes whole 4 KB
  // clusters on the disk (NTFS's default), the video one chunk a frame and
  // its index entries.
  const double frameBytes = static_cast<double>(bytes.size());
  const double jpgDisk = 36000.0 * std::ceil(frameBytes / 4096.0) * 4096.0;
  const double videoDisk = static_cast<double>(videoBytes) / std::max(ticks * 10, 2000) * 36000.0;
  std::printf("An hour at 0.1 s (36000 frames of %zu bytes):\n", bytes.size());
  std::printf("  JPG files: %.1f MB on the disk (4 KB clusters), %.1f s of ticks\n", jpgDisk / 1e6,
              36000.0 * tick.median / 1000.0);
  std::printf("  video:     %.1f MB on the disk, %.1f s of ticks\n", videoDisk / 1e6,
              36000.0 * videoTick.median / 1000.0);

  if (!pruneSave.empty()) {
    // Back to JPG files, as the video's ticks above left the boxes.
    SetChecked(form->cbjpg, true);
    SetSteadyClockForTests([&] { return steadyMs; });
    TimePruning(*form, pruneSave, ticks, clock, frameTick);
    SetSteadyClockForTests(nullptr);
  }

  form.reset();
  RemoveFolder(videoFolder);
  RemoveFileUtf8(save + "\\refresh.avi");
  RemoveFolder(floorFolder);
  RemoveFolder(parts);
  RemoveFolder(folder);
  RemoveFolder(save);
  return messages == 0 ? 0 : 1;
}

}  // namespace
}  // namespace lumavex::bench

int main(int argc, char** argv) {
  int ticks = 1000;
  std::string pruneSave;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--prune" && i + 1 < argc) {
      pruneSave = argv[++i];
    } else {
      ticks = std::max(10, std::atoi(argv[i]));
    }
  }
  const lumavex::OleScope ole;
  return lumavex::bench::Run(ticks, pruneSave);
}
