#pragma once
// Lumavex.exe --repair FILE.avi: rebuilds a video of a recording from its
// chunks (avi/mjpeg_avi_repair.h), so that every whole frame in it plays.
#include <string>

#include "commandline/win32/console_output.h"

namespace lumavex {

// One line on standard output, "FILE.avi: N frames", and kExitDone; for a
// file it cannot read as a video of ours, the file and the reason on
// standard error, and kExitFailed.
int RunRepair(const std::string& file, const ConsoleOutput& console);

}  // namespace lumavex
