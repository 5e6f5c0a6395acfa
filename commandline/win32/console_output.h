#pragma once
// Standard output and error of a program built for the window subsystem:
// the handles it was started with when they lead somewhere (a pipe, a file,
// a console), otherwise the console of the program that started it. Text is
// UTF-8; a console is written through its wide calls, anything else gets
// the UTF-8 bytes, so names in any script come through whole.
#include <windows.h>

#include <string>

namespace lumavex {

class ConsoleOutput {
 public:
  ConsoleOutput();
  ConsoleOutput(const ConsoleOutput&) = delete;
  ConsoleOutput& operator=(const ConsoleOutput&) = delete;

  void Out(const std::string& text) const { Write(out_, text); }
  void Err(const std::string& text) const { Write(err_, text); }

 private:
  static void Write(HANDLE handle, const std::string& text);

  HANDLE out_ = nullptr;  // the process's own handles: not closed here
  HANDLE err_ = nullptr;
};

}  // namespace lumavex
