#include "platform/picture_view.h"

#include <memory>

#include "platform/gdi.h"
#include "base/utf8.h"

namespace lumavex {
namespace {

struct ViewState {
  PictureFit fit;
  Picture picture;
  bool showsText = false;
};

ViewState* StateOf(HWND view) {
  return reinterpret_cast<ViewState*>(::GetWindowLongPtrW(view, GWLP_USERDATA));
}

// The view's text, centred and wrapped between the words.
void PaintText(HWND view, HDC dc, const RECT& client) {
  const int n = ::GetWindowTextLengthW(view);
  if (n <= 0) return;
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(view, text.data(), n + 1)));
  SelectedObject font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;
  RECT box{client.left + 4, 0, client.right - 4, 0};
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format | DT_CALCRECT);
  const int height = box.bottom - box.top;
  box = RECT{client.left + 4, (client.bottom - height) / 2, client.right - 4, (client.bottom + height) / 2};
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
}

void Paint(HWND view, HDC dc) {
  RECT client;
  ::GetClientRect(view, &client);
  ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
  ViewState* state = StateOf(view);
  if (state && state->showsText) PaintText(view, dc, client);
  if (!state || !state->picture) return;
  HBITMAP bitmap = PictureBitmap(state->picture.get());
  const SIZE size = PictureSizePixels(state->picture.get());
  if (!bitmap || size.cx <= 0 || size.cy <= 0) return;
  UniqueMemoryDc memory(::CreateCompatibleDC(dc));
  if (!memory) return;
  SelectedObject selected(memory.get(), bitmap);
  if (state->fit == PictureFit::Stretch) {
    ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::StretchBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, size.cx, size.cy, SRCCOPY);
  } else {
    ::BitBlt(dc, 0, 0, size.cx, size.cy, memory.get(), 0, 0, SRCCOPY);
  }
}

LRESULT CALLBACK ViewProc(HWND view, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
      auto fit = static_cast<PictureFit>(reinterpret_cast<INT_PTR>(create->lpCreateParams));
      // The window holds its state from here until WM_NCDESTROY takes it back.
      auto state = std::make_unique<ViewState>(ViewState{fit, {}});
      ::SetWindowLongPtrW(view, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));
      break;
    }
    case WM_NCDESTROY: {
      const std::unique_ptr<ViewState> state(StateOf(view));
      ::SetWindowLongPtrW(view, GWLP_USERDATA, 0);
      break;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PaintScope paint(view);
      Paint(view, paint.dc());
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcW(view, message, wparam, lparam);
}

}  // namespace

const char* PictureViewClass() {
  static const char* name = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ViewProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = L"LumavexPictureView";
    ::RegisterClassW(&wc);
    return "LumavexPictureView";
  }();
  return name;
}

HWND CreatePictureView(HWND parent, int id, const RECT& r, PictureFit fit, DWORD extraStyle) {
  return ::CreateWindowExW(0, Widen(PictureViewClass()).c_str(), L"", WS_CHILD | WS_VISIBLE | extraStyle,
                           r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                           reinterpret_cast<void*>(static_cast<INT_PTR>(fit)));
}

void SetViewPicture(HWND view, Picture picture, Repaint when) {
  ViewState* state = StateOf(view);
  if (!state) return;
  if (state->showsText) {
    state->showsText = false;
    ::SetWindowTextW(view, L"");
  }
  state->picture = std::move(picture);
  ::InvalidateRect(view, nullptr, FALSE);
  if (when == Repaint::Now) ::UpdateWindow(view);
}

void SetViewText(HWND view, const std::string& text) {
  ViewState* state = StateOf(view);
  if (!state) return;
  state->picture = Picture{};
  state->showsText = !text.empty();
  ::SetWindowTextW(view, Widen(text).c_str());
  ::InvalidateRect(view, nullptr, FALSE);
}

Picture ViewPicture(HWND view) {
  ViewState* state = StateOf(view);
  return state ? state->picture : Picture{};
}

}  // namespace lumavex
