// Lumavex: records the webcam pane of a messenger's conversation windows and
// turns folders of frames into videos; from its window, or from a command
// line (see commandline/usage.cpp).
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/form1.h"
#include "app/record_command.h"
#include "base/message.h"
#include "base/utf8.h"
#include "commandline/command_line.h"
#include "commandline/exit_codes.h"
#include "commandline/usage.h"
#include "commandline/win32/console_output.h"
#include "commandline/win32/repair_command.h"
#include "commandline/win32/write_avi_command.h"
#include "platform/com_scope.h"
#include "platform/message_box.h"

namespace {

// The arguments as the wide command line holds them, in UTF-8, without the
// program's name: whole in any script.
std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(lumavex::Narrow(wide[i]));
  ::LocalFree(wide);
  return args;
}

int RunWindow() {
  lumavex::UseMessageBoxes();
  auto form = lumavex::Form1::Create(true);
  if (!form) {
    lumavex::ShowMessage("Lumavex could not open its main window.", lumavex::MessageIcon::Error);
    return 1;
  }
  return lumavex::RunMessageLoop();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Pictures, the shell's dialogs and the AVI services are COM objects.
  const lumavex::OleScope ole;
  const lumavex::CommandLine line = lumavex::ParseCommandLine(Arguments());
  if (line.kind == lumavex::CommandKind::None) return RunWindow();

  const lumavex::ConsoleOutput console;
  // Nothing modal on a command line: what would be a message box is a line
  // on standard error.
  lumavex::SetMessageHandler(
      [&console](const std::string& text, lumavex::MessageIcon) { console.Err(text + "\n"); });
  switch (line.kind) {
    case lumavex::CommandKind::Help:
      console.Out(lumavex::UsageText());
      return lumavex::kExitDone;
    case lumavex::CommandKind::WriteAvi:
      return lumavex::RunWriteAvi(line.writeAvi, console);
    case lumavex::CommandKind::Record:
      return lumavex::RunRecord(line.record, console);
    case lumavex::CommandKind::Repair:
      return lumavex::RunRepair(line.repairFile, console);
    default:
      console.Err(line.error + "\n\n" + lumavex::UsageText());
      return lumavex::kExitBadCommandLine;
  }
}
