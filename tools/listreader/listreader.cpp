// Holds another program's window thread the way a screen reader does: it
// reads every row of every list box of the window, over and over, with
// messages sent across the processes, so the window's thread spends its
// time answering them. bench-avi.sh runs it beside avibench to see whether
// the conversion keeps its pace while the window is busy.
//
//   listreader.exe <window title> [seconds to wait for the window]
//
// Reads until the window is gone; prints the rows it read.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

BOOL CALLBACK CollectLists(HWND child, LPARAM lparam) {
  wchar_t name[32] = {};
  ::GetClassNameW(child, name, 32);
  if (::lstrcmpiW(name, L"ListBox") == 0) reinterpret_cast<std::vector<HWND>*>(lparam)->push_back(child);
  return TRUE;
}

// Every row of `list`: its text where the list holds text, its data and the
// selection otherwise (a list that draws its rows holds no text).
long long ReadRows(HWND list) {
  const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
  const bool text = (::GetWindowLongW(list, GWL_STYLE) & LBS_NODATA) == 0;
  std::wstring row;
  long long read = 0;
  for (LRESULT i = 0; i < count && ::IsWindow(list); ++i) {
    if (text) {
      const LRESULT n = ::SendMessageW(list, LB_GETTEXTLEN, i, 0);
      row.assign(n > 0 ? static_cast<std::size_t>(n) + 1 : 1, L'\0');
      if (n > 0) ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()));
    } else {
      ::SendMessageW(list, LB_GETITEMDATA, i, 0);
      ::SendMessageW(list, LB_GETCURSEL, 0, 0);
    }
    ++read;
  }
  return read;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: listreader <window title> [seconds to wait]\n");
    return 2;
  }
  const std::string narrow = argv[1];
  const std::wstring title(narrow.begin(), narrow.end());  // the benchmark's title is ASCII
  const int waitMs = (argc > 2 ? std::atoi(argv[2]) : 60) * 1000;
  HWND window = nullptr;
  for (int waited = 0; !window && waited < waitMs; waited += 20) {
    window = ::FindWindowW(nullptr, title.c_str());
    if (!window) ::Sleep(20);
  }
  if (!window) {
    std::fprintf(stderr, "no window \"%s\"\n", narrow.c_str());
    return 1;
  }
  long long rows = 0;
  while (::IsWindow(window)) {
    std::vector<HWND> lists;
    ::EnumChildWindows(window, CollectLists, reinterpret_cast<LPARAM>(&lists));
    for (HWND list : lists) rows += ReadRows(list);
    if (lists.empty()) ::Sleep(1);
  }
  std::printf("rows_read=%lld\n", rows);
  return 0;
}
