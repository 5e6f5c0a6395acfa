#pragma once
// Lumavex.exe --write-avi: each folder converted with the same code and the
// same rules as the Write Avi button, asking nobody and showing no window.
// One line per video on standard output (the target, its frames and what
// was changed), one per failure on standard error (the path and why).
#include "commandline/command_line.h"
#include "commandline/win32/console_output.h"

namespace lumavex {

// Returns the exit code: kExitDone when every video was written,
// kExitFailed when any was not (the others are still written).
int RunWriteAvi(const WriteAviCommand& command, const ConsoleOutput& console);

}  // namespace lumavex
