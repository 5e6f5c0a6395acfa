#pragma once
// Routes the program's messages to modal Win32 message boxes captioned with
// the application's title, owned by the main window so that the window takes
// no clicks while a box is up.
#include <windows.h>

namespace lumavex {

void UseMessageBoxes();

// The window that owns the boxes (the main window); without one, the
// thread's active window does.
void SetMessageBoxOwner(HWND owner);

}  // namespace lumavex
