#pragma once
// Lumavex.exe --record TITLE: the main window opens and records the window
// whose title is exactly TITLE (and which passes the webcam test), as if it
// had been picked in the list and Start pressed, so a person can still Pause
// or Stop it. Nothing modal blocks the run: what the window would say in a
// message box goes to standard error (and the recording's times.csv).
#include "commandline/command_line.h"
#include "commandline/win32/console_output.h"

namespace lumavex {

// How long a run without --for looks for its window before it gives up.
inline constexpr int kFindWindowMs = 60000;

// Returns the exit code: kExitDone when the recording ran its course (its
// time was over, Stop was pressed or the window closed), kExitFailed when no
// such window appeared in time or the recording ended by itself.
int RunRecord(const RecordCommand& command, const ConsoleOutput& console);

}  // namespace lumavex
