#pragma once
// Routes the program's messages to modal Win32 message boxes captioned with
// the application's title, owned by the thread's active window (the main
// window while the program runs).
namespace lumavex {

void UseMessageBoxes();

}  // namespace lumavex
