// Lumavex: records the webcam pane of a messenger's conversation window.
#include <windows.h>

#include "app/form1.h"
#include "platform/com_scope.h"
#include "base/message.h"
#include "platform/message_box.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Pictures, the shell's dialogs and the AVI services are COM objects.
  const lumavex::OleScope ole;
  int exitCode = 1;
  lumavex::UseMessageBoxes();
  {
    auto form = lumavex::Form1::Create(true);
    if (form)
      exitCode = lumavex::RunMessageLoop();
    else
      lumavex::ShowMessage("Lumavex could not open its main window.", lumavex::MessageIcon::Error);
  }
  return exitCode;
}
