#include "support/win_test_support.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/gdi.h"
#include "platform/kernel.h"

namespace lumavex::test {

MessageRecorder::MessageRecorder() {
  previous_ = SetMessageHandler([this](const std::string& text, MessageIcon icon) {
    messages_.push_back({text, icon});
    if (onShow) onShow(messages_.back());
  });
}

MessageRecorder::~MessageRecorder() { SetMessageHandler(previous_); }

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

COLORREF ScreenPixel(int x, int y) {
  WindowDc screen(nullptr);
  return ::GetPixel(screen.get(), x, y);
}

std::string TestBinFolder() { return ExecutableFolder(); }

TempFolder::TempFolder() {
  char base[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    path_ = std::string(base) + "lumavex_test_" + std::to_string(::GetCurrentProcessId()) + "_" +
            std::to_string(++counter);
    if (::CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  {
    UniqueFind find(::FindFirstFileA((folder + "\\*").c_str(), &data));
    if (find) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(path);
        else
          ::DeleteFileA(path.c_str());
      } while (::FindNextFileA(find.get(), &data));
    }
  }  // the find handle is closed before the folder itself goes
  ::RemoveDirectoryA(folder.c_str());
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::vector<std::string> FilesIn(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names = ListFileNames(folder, pattern);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace lumavex::test
