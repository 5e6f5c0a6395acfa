#include "support/win_test_support.h"

#include <algorithm>
#include <cstdlib>

#include "base/file.h"
#include "base/path.h"
#include "platform/files.h"
#include "platform/gdi.h"
#include "platform/kernel.h"
#include "base/utf8.h"

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
  wchar_t base[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, base);
  static int counter = 0;
  for (;;) {
    path_ = Narrow(base) + "lumavex_test_" + std::to_string(::GetCurrentProcessId()) + "_" +
            std::to_string(++counter);
    if (::CreateDirectoryW(Widen(path_).c_str(), nullptr)) break;
  }
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAW data;
  {
    UniqueFind find(::FindFirstFileW(Widen(folder + "\\*").c_str(), &data));
    if (find) {
      do {
        const std::string name = Narrow(data.cFileName);
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(path);
        else
          RemoveFileUtf8(path);
      } while (::FindNextFileW(find.get(), &data));
    }
  }  // the find handle is closed before the folder itself goes
  ::RemoveDirectoryW(Widen(folder).c_str());
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::vector<std::string> FilesIn(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileW(Widen(JoinPath(folder, pattern)).c_str(), &data));
  if (find) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Narrow(data.cFileName));
    } while (::FindNextFileW(find.get(), &data));
  }
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

struct PrivateAppData {
  PrivateAppData() { ::SetEnvironmentVariableW(L"APPDATA", Widen(folder.path()).c_str()); }
  TempFolder folder;
};

const PrivateAppData& TheAppData() {
  static const PrivateAppData appData;
  return appData;
}

// Set up before main, so that no test can open a window first.
const PrivateAppData& g_appData = TheAppData();

}  // namespace

std::string AppDataFolder() { return TheAppData().folder.path(); }

std::string FixtureVolume(const char* variable, std::string& why) {
  const char* env = std::getenv(variable);
  if (!env || !*env) {
    why = std::string(variable) + " is not set (a ctest fixture mounts the volume)";
    return {};
  }
  std::string volume = env;
  for (char& c : volume)
    if (c == '/') c = '\\';
  volume = "Z:" + volume;
  if (!FileExistsUtf8(volume + "\\lumavex-full-volume")) {
    std::vector<std::uint8_t> reason;
    ReadWholeFile(volume + "\\skip-reason.txt", reason);
    why = "no small volume at " + volume + ": " +
          (reason.empty() ? std::string("the fixture did not mount it")
                          : std::string(reason.begin(), reason.end()));
    return {};
  }
  return volume;
}

}  // namespace lumavex::test
