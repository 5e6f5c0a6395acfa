#include "tools/democonv/own_conversation.h"

#include "discovery/win32/window_geometry.h"
#include "platform/gdi.h"
#include "tools/democonv/demo_process.h"

namespace lumavex {
namespace {

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  UniqueBrush brush(::CreateSolidBrush(colour));
  ::FillRect(dc, &r, brush.get());
}

}  // namespace

OwnConversation::OwnConversation(int x, int y) {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LumavexOwnConversation";
    return ::RegisterClassW(&wc);
  }();
  (void)atom;
  window_.reset(::CreateWindowExW(0, L"LumavexOwnConversation", L"Own - Conversation", WS_OVERLAPPEDWINDOW, x,
                                  y, 420, 330, nullptr, nullptr, ::GetModuleHandleW(nullptr), this));
  ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
  ::UpdateWindow(window_.get());
  PumpUntil([] { return false; }, 100);
}

void OwnConversation::SetBlank(bool blank) {
  blank_ = blank;
  ::InvalidateRect(hwnd(), nullptr, FALSE);
  ::UpdateWindow(hwnd());
}

void OwnConversation::Paint(HDC dc) const {
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  Fill(dc, client, RGB(236, 233, 216));
  if (blank_) return;
  RECT r{};
  ::GetWindowRect(hwnd(), &r);
  const PaneRect pane = GeometryOfWindow(hwnd(), r).pane;
  POINT at{pane.left, pane.top};
  ::ScreenToClient(hwnd(), &at);
  const COLORREF bands[4] = {RGB(30, 150, 90), RGB(40, 120, 170), RGB(170, 120, 40), RGB(120, 40, 150)};
  for (int band = 0; band < 4; ++band)
    Fill(dc, RECT{at.x, at.y + band * 123 / 4, at.x + 163, at.y + (band + 1) * 123 / 4}, bands[band]);
  Fill(dc, RECT{at.x + 2, at.y + 51, at.x + 22, at.y + 71}, RGB(250, 250, 250));  // round (12, 61)
}

LRESULT CALLBACK OwnConversation::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto* self = reinterpret_cast<const OwnConversation*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && message == WM_PAINT) {
    PaintScope paint(window);
    self->Paint(paint.dc());
    return 0;
  }
  if (self && message == WM_PRINT) {
    // The whole window's picture: the client area at its place in the
    // window, as the system composes it.
    RECT outer{};
    ::GetWindowRect(window, &outer);
    POINT client{0, 0};
    ::ClientToScreen(window, &client);
    const HDC dc = reinterpret_cast<HDC>(wparam);
    POINT old{};
    ::SetViewportOrgEx(dc, client.x - outer.left, client.y - outer.top, &old);
    self->Paint(dc);
    ::SetViewportOrgEx(dc, old.x, old.y, nullptr);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace lumavex
