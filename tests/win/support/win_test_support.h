#pragma once
// What the Windows tests share: recording the messages shown to the user,
// starting the demo conversation window, and running the message loop until
// a condition holds (never a fixed sleep).
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/message.h"
#include "tools/democonv/demo_process.h"

namespace lumavex::test {

struct ShownMessage {
  std::string text;
  MessageIcon icon;
};

// Records every message instead of showing a box; puts the previous handler
// back when it goes.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  const std::vector<ShownMessage>& messages() const { return messages_; }
  void clear() { messages_.clear(); }
  // Called while a message is "shown", as a modal box would run its loop.
  std::function<void(const ShownMessage&)> onShow;

 private:
  std::vector<ShownMessage> messages_;
  MessageHandler previous_;
};

// The message loop and the demo conversation window are shared with the tick
// benchmark (tools/democonv/demo_process.h).
using lumavex::DemoWindow;
using lumavex::PumpUntil;

// Runs the message loop for the given time (for letting paints settle where no
// condition can be observed).
void PumpFor(int ms);

// The colour of one screen pixel.
COLORREF ScreenPixel(int x, int y);

// Folder of the running test program (where Lumavex.exe and democonv.exe are).
std::string TestBinFolder();

// A fresh empty folder under the temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Deletes a folder with everything in it (best effort: what cannot be
// deleted stays).
void RemoveTree(const std::string& folder);

// The small volume a ctest fixture mounted and named in the environment
// variable `variable` (a Unix path; Wine shows the Unix root as Z:). Empty,
// with the reason in `why`, when there is none, so the test can skip.
std::string FixtureVolume(const char* variable, std::string& why);

// The folder every test program's APPDATA points to, set before any test
// runs: the main window's settings.ini is read and written there, never in
// the user's own folder. Removed when the program ends.
std::string AppDataFolder();

// Names of the files directly in a folder, sorted.
std::vector<std::string> FilesIn(const std::string& folder, const std::string& pattern = "*");

}  // namespace lumavex::test
