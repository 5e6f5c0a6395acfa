// Drives a running Lumavex from outside, as a user would: waits for its main
// window, presses "Refresh List" and prints the rows of the webcam list.
// Used by run.sh when there is no display to look at.
//
//   lvctl refresh     press "Refresh List", then print the webcam list
//   lvctl list        print the webcam list
//   lvctl close       close the main window
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/form1.h"
#include "platform/message.h"

namespace {

HWND WaitForMainWindow() {
  for (int i = 0; i < 600; ++i) {
    if (HWND form = ::FindWindowA(lumavex::kForm1ClassName, lumavex::kAppTitle)) return form;
    ::Sleep(50);
  }
  return nullptr;
}

void PrintList(HWND form) {
  HWND list = ::GetDlgItem(form, lumavex::kIdList1);
  const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
  std::printf("webcam list: %d row(s)\n", count < 0 ? 0 : count);
  for (int i = 0; i < count; ++i) {
    // Across processes the wide form is the one whose text is carried whole.
    wchar_t wide[1024] = {};
    char text[2048] = {};
    const LRESULT n = ::SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (n > 0 && n < 1024) ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    std::printf("  [%d] %s\n", i, text);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "list";
  HWND form = WaitForMainWindow();
  if (!form) {
    std::printf("Lumavex's main window did not appear\n");
    return 1;
  }
  if (command == "refresh") {
    ::SendMessageA(::GetDlgItem(form, lumavex::kIdCommand1), BM_CLICK, 0, 0);
  } else if (command == "close") {
    ::SendMessageA(form, WM_CLOSE, 0, 0);
    return 0;
  }
  PrintList(form);
  std::fflush(stdout);
  return 0;
}
