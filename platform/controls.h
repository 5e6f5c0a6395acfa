#pragma once
// Thin helpers over the standard window controls the main window uses. Text
// is UTF-8 here and goes to the controls through the wide (UTF-16) calls.
#include <windows.h>

#include <string>

namespace lumavex {

HWND CreateControl(HWND parent, const char* windowClass, const char* text, DWORD style, const RECT& bounds,
                   int id, DWORD exStyle = 0);

// The text of a control, or the title of any window (also another
// process's), exactly as the window holds it.
std::string ControlText(HWND window);
void SetControlText(HWND control, const std::string& text);

bool IsChecked(HWND checkBox);
// The value of a check box as the form reads it: 1 checked, 0 unchecked.
int CheckValue(HWND checkBox);
void SetChecked(HWND checkBox, bool checked);

bool IsControlEnabled(HWND control);
void EnableControl(HWND control, bool enabled);

// List boxes.
void ListClear(HWND list);
int ListAdd(HWND list, const std::string& text);
void ListSetData(HWND list, int index, LPARAM data);
LPARAM ListData(HWND list, int index);
int ListCount(HWND list);
int ListSelected(HWND list);
void ListSelect(HWND list, int index);
std::string ListText(HWND list, int index);

// A list box that holds no rows of its own: it is told how many there are
// (ListSetCount) and its parent draws each row it shows when asked
// (WM_DRAWITEM, with DrawListRow), so a list of a million rows costs the
// control nothing per row. Selection and count work as in any list box;
// ListText does not.
HWND CreateRowlessList(HWND parent, const RECT& bounds, int id, DWORD style = 0,
                       DWORD exStyle = WS_EX_CLIENTEDGE);
void ListSetCount(HWND list, int count);
// Draws one row of such a list: `text`, highlighted when selected.
void DrawListRow(const DRAWITEMSTRUCT& item, const std::string& text);

// Combo boxes.
int ComboAdd(HWND combo, const std::string& text);
void ComboSelect(HWND combo, int index);
int ComboSelected(HWND combo);
std::string ComboText(HWND combo, int index);

}  // namespace lumavex
