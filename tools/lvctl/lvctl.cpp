// Drives Lumavex from outside, as a user would.
//
//   lvctl refresh     press "Refresh List" of the running Lumavex, then print
//                     the webcam list
//   lvctl list        print the webcam list
//   lvctl close       close the main window
//   lvctl record TITLE SECONDS SAVE [INTERVAL_MS]
//                     start a Lumavex of its own (its settings.ini in
//                     SAVE\appdata, with the interval given, 100 ms unless
//                     said), record the window TITLE into SAVE for SECONDS,
//                     stop, and print the figures of its times.csv: frames
//                     written against the slots of the schedule, and how far
//                     the capture times lie from their slots
//
// Rows and titles are UTF-8, whatever their script. run.sh uses the first
// three when there is no display to look at; bench-tick.sh --record the
// last.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/form1.h"
#include "base/path.h"
#include "base/utf8.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "recording/times_csv.h"
#include "tools/lvctl/remote_lumavex.h"
#include "tools/lvctl/times_figures.h"

namespace lumavex {
namespace {

HWND WaitForMainWindow() {
  for (int i = 0; i < 600; ++i) {
    // Shown only once start-up (and its first refresh of the list) is done.
    HWND form = ::FindWindowW(kForm1ClassName, Widen(kAppTitle).c_str());
    if (form && ::IsWindowVisible(form)) return form;
    ::Sleep(50);
  }
  return nullptr;
}

void PrintList(HWND form) {
  HWND list = ::GetDlgItem(form, kIdList1);
  const int count = ListCount(list);
  std::printf("webcam list: %d row(s)\n", count < 0 ? 0 : count);
  for (int i = 0; i < count; ++i) std::printf("  [%d] %s\n", i, ListText(list, i).c_str());
}

// The folders directly in `folder`.
std::vector<std::string> Subfolders(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(Widen(JoinPath(folder, "*")).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = Narrow(data.cFileName);
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != ".." &&
        name != "appdata")
      names.push_back(name);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return names;
}

std::size_t CountFiles(const std::string& folder, const char* pattern) {
  std::size_t n = 0;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW(Widen(JoinPath(folder, pattern)).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return n;
}

int Record(const std::string& title, int seconds, const std::string& save, int intervalMs) {
  const std::string appData = JoinPath(save, "appdata");
  MakeDirectory(save);
  MakeDirectory(appData);
  MakeDirectory(JoinPath(appData, "Lumavex"));
  const std::string ini = "[Recording]\r\nIntervalMs=" + std::to_string(intervalMs) + "\r\nStampTime=0\r\n";
  if (!WriteWholeFile(JoinPath(appData, "Lumavex\\settings.ini"), {{ini.data(), ini.size()}})) {
    std::printf("cannot write the settings file under %s\n", appData.c_str());
    return 1;
  }
  RemoteLumavex lumavex(appData);
  if (!lumavex.ok()) {
    std::printf("Lumavex's main window did not appear\n");
    return 1;
  }
  lumavex.MoveTo(600, 470);  // off the demo window's pane
  lumavex.SetSavePath(save);
  // The demo window may still be starting: refresh the list until it shows.
  bool selected = false;
  for (int i = 0; i < 40 && !(selected = lumavex.SelectRow(title)); ++i) ::Sleep(250);
  if (!selected) {
    std::printf("no row titled %s in the webcam list\n", title.c_str());
    return 1;
  }
  lumavex.Click(kIdStart);
  ::Sleep(static_cast<DWORD>(seconds) * 1000);
  lumavex.Click(kIdBtStop);
  lumavex.Close();

  const std::vector<std::string> folders = Subfolders(save);
  if (folders.size() != 1) {
    std::printf("%zu recording folders in %s, 1 expected\n", folders.size(), save.c_str());
    return 1;
  }
  const std::string folder = JoinPath(save, folders[0]);
  std::vector<std::uint8_t> bytes;
  ReadWholeFile(JoinPath(folder, "times.csv"), bytes);
  const TimesCsvContents contents = ParseTimesCsv(std::string(bytes.begin(), bytes.end()));
  const std::int64_t expected = seconds * 1000LL / intervalMs;
  const ScheduleFigures f = FiguresOf(contents, expected);
  if (!f.ok) {
    std::printf("no start line with an interval in %s\\times.csv\n", folder.c_str());
    return 1;
  }
  const std::size_t files = CountFiles(folder, "*.jpg");
  std::printf("Recording of %d s at %d ms: %s\n", seconds, f.intervalMs, folder.c_str());
  std::printf("  frames written: %zu JPG files, %lld frame lines in times.csv\n", files,
              static_cast<long long>(f.frames));
  std::printf("  frames for the %lld slots of %d s: %lld (%lld expected)\n", static_cast<long long>(expected),
              seconds, static_cast<long long>(f.framesInFirstSlots), static_cast<long long>(expected));
  std::printf("  slots from start to stop: %lld, taken %lld, missed %lld\n", static_cast<long long>(f.slots),
              static_cast<long long>(f.framesInSlots), static_cast<long long>(f.missed));
  std::printf("  capture time after its slot: p50 %.0f ms, p95 %.0f ms, max %.0f ms\n", f.p50Ms, f.p95Ms,
              f.maxMs);
  std::printf("  lost %lld, back %lld, halt %lld, malformed lines %zu, torn last line %s\n",
              static_cast<long long>(f.lost), static_cast<long long>(f.back), static_cast<long long>(f.halts),
              contents.malformedLines, contents.tornLastLine ? "yes" : "no");
  return files == static_cast<std::size_t>(f.frames) && f.halts == 0 ? 0 : 1;
}

}  // namespace
}  // namespace lumavex

int main(int argc, char** argv) {
  using namespace lumavex;
  const std::string command = argc > 1 ? argv[1] : "list";
  if (command == "record") {
    if (argc < 5) {
      std::printf("usage: lvctl record TITLE SECONDS SAVE [INTERVAL_MS]\n");
      return 2;
    }
    const int interval = argc > 5 ? std::atoi(argv[5]) : 100;
    const int code = Record(argv[2], std::atoi(argv[3]), argv[4], interval);
    std::fflush(stdout);
    return code;
  }
  HWND form = WaitForMainWindow();
  if (!form) {
    std::printf("Lumavex's main window did not appear\n");
    return 1;
  }
  if (command == "refresh") {
    ::SendMessageW(::GetDlgItem(form, kIdCommand1), BM_CLICK, 0, 0);
  } else if (command == "close") {
    ::SendMessageW(form, WM_CLOSE, 0, 0);
    return 0;
  }
  PrintList(form);
  std::fflush(stdout);
  return 0;
}
