#pragma once
// A Lumavex.exe in a process of its own, driven from outside through its
// controls' messages as a user's clicks would drive it. Shared by lvctl
// (the 10-minute recording of bench-tick.sh) and the Windows tests that need
// a second instance, or one they can kill.
#include <windows.h>

#include <string>

#include "base/unique_handle.h"
#include "tools/democonv/demo_process.h"

namespace lumavex {

class RemoteLumavex {
 public:
  // Starts Lumavex.exe from the folder of the running program. Its APPDATA
  // (so its settings.ini) is `appData` when given, this process's otherwise.
  // Waits up to 10 s for its main window.
  explicit RemoteLumavex(const std::string& appData = {});
  // Ends the process if it still runs.
  ~RemoteLumavex();
  RemoteLumavex(const RemoteLumavex&) = delete;
  RemoteLumavex& operator=(const RemoteLumavex&) = delete;

  bool ok() const { return form_ != nullptr; }
  HWND form() const { return form_; }
  HWND Control(int id) const { return ::GetDlgItem(form_, id); }

  // Moves the main window (its top-left corner to screen point x, y), for
  // instance off a pane it would cover.
  void MoveTo(int x, int y) const;
  void SetSavePath(const std::string& path) const;
  // Presses "Refresh List" and selects the row titled `title`; false when
  // there is none.
  bool SelectRow(const std::string& title) const;
  // A click on a button, answered when it returns.
  void Click(int id) const;
  // A menu command of the main window.
  void Menu(int id) const;

  // The process killed at once, as a crash or Task Manager would end it:
  // nothing of it runs on.
  void Kill();
  // The main window closed as by its close box; waits for the process.
  void Close();

 private:
  UniqueHandle<ProcessHandleTraits> process_;
  HWND form_ = nullptr;
};

}  // namespace lumavex
