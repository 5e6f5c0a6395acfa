// Drives a running Lumavex from outside, as a user would: waits for its main
// window, presses "Refresh List" and prints the rows of the webcam list.
// Used by run.sh when there is no display to look at. Rows are printed in
// UTF-8, whatever their script.
//
//   lvctl refresh     press "Refresh List", then print the webcam list
//   lvctl list        print the webcam list
//   lvctl close       close the main window
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/form1.h"
#include "platform/controls.h"
#include "base/message.h"
#include "base/utf8.h"

namespace {

HWND WaitForMainWindow() {
  for (int i = 0; i < 600; ++i) {
    // Shown only once start-up (and its first refresh of the list) is done.
    HWND form = ::FindWindowW(lumavex::kForm1ClassName, lumavex::Widen(lumavex::kAppTitle).c_str());
    if (form && ::IsWindowVisible(form)) return form;
    ::Sleep(50);
  }
  return nullptr;
}

void PrintList(HWND form) {
  HWND list = ::GetDlgItem(form, lumavex::kIdList1);
  const int count = lumavex::ListCount(list);
  std::printf("webcam list: %d row(s)\n", count < 0 ? 0 : count);
  for (int i = 0; i < count; ++i) std::printf("  [%d] %s\n", i, lumavex::ListText(list, i).c_str());
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
    ::SendMessageW(::GetDlgItem(form, lumavex::kIdCommand1), BM_CLICK, 0, 0);
  } else if (command == "close") {
    ::SendMessageW(form, WM_CLOSE, 0, 0);
    return 0;
  }
  PrintList(form);
  std::fflush(stdout);
  return 0;
}
