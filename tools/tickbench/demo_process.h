#pragma once
// The demo conversation window in a process of its own, for the benchmark:
// started beside the benchmark's executable, ended with the object.
#include <windows.h>

#include <string>

namespace lumavex::bench {

class DemoProcess {
 public:
  // Starts democonv.exe with `args` and waits (up to 10 s) until its window
  // titled `title` is visible and has painted `paneColour` at `probe`, given
  // in pane coordinates.
  DemoProcess(const std::string& args, const std::string& title, POINT probe, COLORREF paneColour);
  ~DemoProcess();
  DemoProcess(const DemoProcess&) = delete;
  DemoProcess& operator=(const DemoProcess&) = delete;

  HWND hwnd() const { return hwnd_; }

 private:
  PROCESS_INFORMATION process_{};
  HWND hwnd_ = nullptr;
};

}  // namespace lumavex::bench
