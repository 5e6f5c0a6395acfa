// A stand-in for the messenger's conversation window: a normal top-level
// window with a caption and a one-line menu bar, titled "<name> - Conversation"
// (in any script: the command line is read wide),
// that paints the webcam pane's two sample colours and an animated picture in
// the 163 x 123 pane, at the places discovery and recording compute.
//
//   democonv [name] [--title TEXT] [--bad-second] [--pos X Y] [--size W H]
//            [--minimized] [--still] [--reversed]
//
// --reversed paints the pane's colour bands bottom to top, so that frames
// of two demo windows with the same title can be told apart.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "discovery/fingerprints.h"
#include "discovery/pane_geometry.h"
#include "discovery/win32/system_frame_metrics.h"
#include "platform/gdi.h"
#include "tools/democonv/demo_process.h"
#include "base/utf8.h"

namespace {

using namespace lumavex;

struct Options {
  std::string title = "Demo Contact - Conversation";
  bool badSecond = false;
  bool minimized = false;
  bool still = false;     // no animation: the pane keeps one picture
  bool reversed = false;  // the colour bands in the other order
  int x = 60, y = 60, width = 420, height = 330;
};

Options g_options;
unsigned g_frame = 0;

ScreenRect WindowRectOf(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  return {r.left, r.top, r.right, r.bottom};
}

POINT ToClient(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ::ScreenToClient(hwnd, &p);
  return p;
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  UniqueBrush brush(::CreateSolidBrush(colour));
  ::FillRect(dc, &r, brush.get());
}

// The pane's picture: a fixed backdrop with bands of colour, a moving ball and
// a frame counter, so consecutive captures differ visibly.
void PaintPane(HDC dc, const RECT& pane, unsigned frame) {
  const int w = pane.right - pane.left, h = pane.bottom - pane.top;
  for (int band = 0; band < 4; ++band) {
    RECT r{pane.left, pane.top + band * h / 4, pane.right, pane.top + (band + 1) * h / 4};
    static const COLORREF kBands[4] = {RGB(30, 150, 90), RGB(40, 120, 170), RGB(170, 120, 40),
                                       RGB(120, 40, 150)};
    Fill(dc, r, kBands[g_options.reversed ? 3 - band : band]);
  }
  const int travel = w - 24;
  const int pos = static_cast<int>(frame * 7 % static_cast<unsigned>(2 * travel));
  const int bx = pane.left + (pos < travel ? pos : 2 * travel - pos);
  const int by = pane.top + h / 2 - 12;
  {
    UniqueBrush brush(::CreateSolidBrush(RGB(250, 250, 250)));
    SelectedObject selectedBrush(dc, brush.get());
    SelectedObject selectedPen(dc, ::GetStockObject(NULL_PEN));
    ::Ellipse(dc, bx, by, bx + 24, by + 24);
  }

  char text[32];
  std::snprintf(text, sizeof text, "%u", frame);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(255, 255, 0));
  const std::wstring wide = Widen(text);
  ::TextOutW(dc, pane.left + 4, pane.top + 2, wide.c_str(), static_cast<int>(wide.size()));
}

void Paint(HWND hwnd, HDC target) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  // Drawn off-screen first, so a capture never sees half a picture.
  UniqueMemoryDc memory(::CreateCompatibleDC(target));
  UniqueBitmap bitmap(::CreateCompatibleBitmap(target, client.right, client.bottom));
  if (!memory || !bitmap) return;
  SelectedObject selected(memory.get(), bitmap.get());
  HDC dc = memory.get();

  Fill(dc, client, RGB(236, 233, 216));
  const ScreenRect r = WindowRectOf(hwnd);
  const FrameMetrics m = SystemFrameMetrics();

  auto patch = [&](ScreenPoint at, COLORREF colour) {
    const POINT c = ToClient(hwnd, at.x, at.y);
    Fill(dc, RECT{c.x - 4, c.y - 4, c.x + 5, c.y + 5}, colour);
  };
  const Rgb first = kFirstSampleColour;
  const Rgb second = g_options.badSecond ? Rgb{200, 60, 60} : kSecondSampleColour;
  patch(FirstSamplePoint(r, m), RGB(first.r, first.g, first.b));
  patch(SecondSamplePoint(r, m), RGB(second.r, second.g, second.b));

  const PaneRect pane = WebcamPaneRect(r, m);
  const POINT topLeft = ToClient(hwnd, pane.left, pane.top);
  PaintPane(dc, RECT{topLeft.x, topLeft.y, topLeft.x + pane.width, topLeft.y + pane.height}, g_frame);

  ::BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintScope paint(hwnd);
      Paint(hwnd, paint.dc());
      return 0;
    }
    case WM_TIMER:
      ++g_frame;
      ::InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_MOVE:
    case WM_SIZE:
      ::InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case kDemoHangMessage:
      ::Sleep(static_cast<DWORD>(wparam));
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

Options ParseOptions(int argc, wchar_t** wideArgv) {
  std::vector<std::string> argv;
  for (int i = 0; i < argc; ++i) argv.push_back(Narrow(wideArgv[i]));
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--title" && i + 1 < argc) {
      o.title = argv[++i];
    } else if (a == "--bad-second") {
      o.badSecond = true;
    } else if (a == "--minimized") {
      o.minimized = true;
    } else if (a == "--still") {
      o.still = true;
    } else if (a == "--reversed") {
      o.reversed = true;
    } else if (a == "--pos" && i + 2 < argc) {
      o.x = std::atoi(argv[++i].c_str());
      o.y = std::atoi(argv[++i].c_str());
    } else if (a == "--size" && i + 2 < argc) {
      o.width = std::atoi(argv[++i].c_str());
      o.height = std::atoi(argv[++i].c_str());
    } else if (a.rfind("--", 0) != 0) {
      o.title = a + " - Conversation";
    }
  }
  return o;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  g_options = ParseOptions(argc, argv);

  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = L"LumavexDemoConversation";
  ::RegisterClassW(&wc);

  HMENU menu = ::CreateMenu();
  ::AppendMenuW(menu, MF_STRING, 1, L"File");
  ::AppendMenuW(menu, MF_STRING, 2, L"Edit");
  ::AppendMenuW(menu, MF_STRING, 3, L"Actions");
  ::AppendMenuW(menu, MF_STRING, 4, L"Help");

  HWND hwnd =
      ::CreateWindowExW(0, wc.lpszClassName, Widen(g_options.title).c_str(), WS_OVERLAPPEDWINDOW, g_options.x,
                        g_options.y, g_options.width, g_options.height, nullptr, menu, wc.hInstance, nullptr);
  if (!hwnd) return 1;
  ::ShowWindow(hwnd, g_options.minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
  ::UpdateWindow(hwnd);
  if (!g_options.still) ::SetTimer(hwnd, 1, 100, nullptr);

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
