#pragma once
// What Lumavex.exe returns when it was started with a command.

namespace lumavex {

// Every video was written, or the recording ran its course; also after --help.
inline constexpr int kExitDone = 0;
// A video could not be written, or no window with the title appeared.
inline constexpr int kExitFailed = 1;
// The command line was wrong; the usage goes to standard error.
inline constexpr int kExitBadCommandLine = 2;

}  // namespace lumavex
