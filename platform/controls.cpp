#include "platform/controls.h"

#include "base/utf8.h"

namespace lumavex {
namespace {

// A list or combo box row's text through the given length and text messages.
std::string RowText(HWND box, UINT lengthMessage, UINT textMessage, int index, LRESULT error) {
  const LRESULT n = ::SendMessageW(box, lengthMessage, index, 0);
  if (n == error || n <= 0) return {};
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const LRESULT got = ::SendMessageW(box, textMessage, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == error ? 0 : static_cast<std::size_t>(got));
  return Narrow(text);
}

}  // namespace

HWND CreateControl(HWND parent, const char* windowClass, const char* text, DWORD style, const RECT& r, int id,
                   DWORD exStyle) {
  HWND control =
      ::CreateWindowExW(exStyle, Widen(windowClass).c_str(), Widen(text).c_str(),
                        WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        ::GetModuleHandleW(nullptr), nullptr);
  if (control)
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return control;
}

std::string ControlText(HWND window) {
  // The length may be given too large (never too small); the text read is what counts.
  const int n = ::GetWindowTextLengthW(window);
  if (n <= 0) return {};
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const int got = ::GetWindowTextW(window, text.data(), n + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return Narrow(text);
}

void SetControlText(HWND control, const std::string& text) { ::SetWindowTextW(control, Widen(text).c_str()); }

bool IsChecked(HWND box) { return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
int CheckValue(HWND box) { return IsChecked(box) ? 1 : 0; }
void SetChecked(HWND box, bool checked) {
  ::SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsControlEnabled(HWND control) { return ::IsWindowEnabled(control) != 0; }
void EnableControl(HWND control, bool enabled) {
  // Every recording tick writes the buttons' states back; most ticks change
  // none, and an unchanged state costs nothing this way.
  if ((::IsWindowEnabled(control) != 0) != enabled) ::EnableWindow(control, enabled ? TRUE : FALSE);
}

HWND CreateRowlessList(HWND parent, const RECT& bounds, int id, DWORD style, DWORD exStyle) {
  HWND list = CreateControl(parent, "LISTBOX", "",
                            LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | style,
                            bounds, id, exStyle);
  if (!list) return nullptr;
  // Rows as high as the font's text; the parent is not asked (WM_MEASUREITEM).
  HDC dc = ::GetDC(list);
  if (dc) {
    HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    if (::GetTextMetricsW(dc, &metrics))
      ::SendMessageW(list, LB_SETITEMHEIGHT, 0, MAKELPARAM(metrics.tmHeight, 0));
    ::SelectObject(dc, old);
    ::ReleaseDC(list, dc);
  }
  return list;
}

void ListSetCount(HWND list, int count) {
  ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
  ::SendMessageW(list, LB_SETCOUNT, static_cast<WPARAM>(count), 0);
}

void DrawListRow(const DRAWITEMSTRUCT& item, const std::string& text) {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  RECT row = item.rcItem;
  ::FillRect(item.hDC, &row, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID != static_cast<UINT>(-1) && !text.empty()) {
    const int oldMode = ::SetBkMode(item.hDC, TRANSPARENT);
    const COLORREF oldColor =
        ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring wide = Widen(text);
    row.left += 2;
    ::DrawTextW(item.hDC, wide.c_str(), static_cast<int>(wide.size()), &row,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    ::SetTextColor(item.hDC, oldColor);
    ::SetBkMode(item.hDC, oldMode);
  }
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
}

void ListClear(HWND list) { ::SendMessageW(list, LB_RESETCONTENT, 0, 0); }
int ListAdd(HWND list, const std::string& text) {
  const std::wstring wide = Widen(text);
  return static_cast<int>(::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}
void ListSetData(HWND list, int index, LPARAM data) { ::SendMessageW(list, LB_SETITEMDATA, index, data); }
LPARAM ListData(HWND list, int index) { return ::SendMessageW(list, LB_GETITEMDATA, index, 0); }
int ListCount(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0)); }
int ListSelected(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0)); }
void ListSelect(HWND list, int index) { ::SendMessageW(list, LB_SETCURSEL, index, 0); }
std::string ListText(HWND list, int index) { return RowText(list, LB_GETTEXTLEN, LB_GETTEXT, index, LB_ERR); }

int ComboAdd(HWND combo, const std::string& text) {
  const std::wstring wide = Widen(text);
  return static_cast<int>(::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}
void ComboSelect(HWND combo, int index) { ::SendMessageW(combo, CB_SETCURSEL, index, 0); }
int ComboSelected(HWND combo) { return static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0)); }
std::string ComboText(HWND combo, int index) {
  return RowText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, index, CB_ERR);
}

}  // namespace lumavex
