#pragma once
// The calls Lumavex makes on windows of other programs, none of which waits
// for that program: a hung or stopped program must never hold Lumavex. Titles
// are read from the system's copy, changes are handed to the window's thread
// to make when it next runs, and the one question that waits for an answer
// waits a short, fixed time.
#include <windows.h>

#include <string>

namespace lumavex {

// How long a fence waits for a window's thread to take up what it was asked
// (well below the 5 s after which the system calls a program hung).
inline constexpr UINT kForeignWindowFenceMs = 250;

// The window's title as the system keeps it, in UTF-8; no message is sent
// (GetWindowTextLength would send WM_GETTEXTLENGTH, and wait).
std::string WindowTitle(HWND window);

// Restores a minimised window; its thread does it when it next runs.
void RestoreWithoutWaiting(HWND window);

// Makes a window topmost without moving, sizing or activating it; its thread
// does it when it next runs.
void MakeTopmostWithoutWaiting(HWND window);

// Waits up to `timeoutMs` for the window's thread to take a message, which it
// does only after what it was handed before (a restore, a z-order change).
// False when it did not, or the system calls it hung. Lets no message to this
// thread in meanwhile.
bool TakesMessagesWithin(HWND window, UINT timeoutMs = kForeignWindowFenceMs);

// The system calls the window's program hung: it has not read its messages
// for 5 s while not waiting for them.
bool SystemCallsHung(HWND window);

}  // namespace lumavex
