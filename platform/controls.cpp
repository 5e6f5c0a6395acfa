#include "platform/controls.h"

namespace lumavex {

HWND CreateControl(HWND parent, const char* windowClass, const char* text, DWORD style, const RECT& r, int id,
                   DWORD exStyle) {
  HWND control = ::CreateWindowExA(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                   r.right - r.left, r.bottom - r.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                   nullptr);
  if (control) ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return control;
}

std::string ControlText(HWND control) {
  const int n = ::GetWindowTextLengthA(control);
  if (n <= 0) return {};
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  const int got = ::GetWindowTextA(control, text.data(), n + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

void SetControlText(HWND control, const std::string& text) { ::SetWindowTextA(control, text.c_str()); }

bool IsChecked(HWND box) { return ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
int CheckValue(HWND box) { return IsChecked(box) ? 1 : 0; }
void SetChecked(HWND box, bool checked) {
  ::SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsControlEnabled(HWND control) { return ::IsWindowEnabled(control) != 0; }
void EnableControl(HWND control, bool enabled) {
  // Every recording tick writes the buttons' states back; most ticks change
  // none, and an unchanged state costs nothing this way.
  if ((::IsWindowEnabled(control) != 0) != enabled) ::EnableWindow(control, enabled ? TRUE : FALSE);
}

void ListClear(HWND list) { ::SendMessageA(list, LB_RESETCONTENT, 0, 0); }
int ListAdd(HWND list, const std::string& text) {
  return static_cast<int>(::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
void ListSetData(HWND list, int index, LPARAM data) { ::SendMessageA(list, LB_SETITEMDATA, index, data); }
LPARAM ListData(HWND list, int index) { return ::SendMessageA(list, LB_GETITEMDATA, index, 0); }
int ListCount(HWND list) { return static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0)); }
int ListSelected(HWND list) { return static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0)); }
void ListSelect(HWND list, int index) { ::SendMessageA(list, LB_SETCURSEL, index, 0); }
std::string ListText(HWND list, int index) {
  const LRESULT n = ::SendMessageA(list, LB_GETTEXTLEN, index, 0);
  if (n == LB_ERR || n <= 0) return {};
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  const LRESULT got = ::SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
  return text;
}

int ComboAdd(HWND combo, const std::string& text) {
  return static_cast<int>(::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
void ComboSelect(HWND combo, int index) { ::SendMessageA(combo, CB_SETCURSEL, index, 0); }
int ComboSelected(HWND combo) { return static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0)); }
std::string ComboText(HWND combo, int index) {
  const LRESULT n = ::SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
  if (n == CB_ERR || n <= 0) return {};
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  const LRESULT got = ::SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == CB_ERR ? 0 : static_cast<std::size_t>(got));
  return text;
}

}  // namespace lumavex
