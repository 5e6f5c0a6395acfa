#pragma once
// Routes the program's messages to modal Win32 message boxes captioned with
// the application's title, owned by the given window.
#include <windows.h>

namespace lumavex {

void UseMessageBoxes(HWND owner);

}  // namespace lumavex
