#include "app/settings_file.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "base/part_file.h"
#include "base/path.h"
#include "base/utf8.h"
#include "platform/files.h"

namespace lumavex {
namespace {

// A settings file is a few lines; anything far larger is no settings file.
constexpr std::uint64_t kLargestSettingsFile = 1 << 20;

std::string SettingsFolder() {
  const std::string appData = RoamingAppDataFolder();
  return appData.empty() ? std::string() : JoinPath(appData, "Lumavex");
}

// The file's text, or why it cannot be read. No file is an empty text; a
// file that cannot be read, or is far too large to be settings, must not be
// written over either.
struct ReadResult {
  SettingsText text;
  std::string failure;
};

ReadResult ReadSettingsText(const std::string& path) {
  ReadResult result;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
      result.failure = "It cannot be read: " + SystemErrorText(error);
    return result;
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    result.failure = "A folder of that name is in the way.";
    return result;
  }
  const std::uint64_t size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  if (size > kLargestSettingsFile) {
    result.failure = "It is larger than 1 MB, too large to be a settings file; it is left as it is.";
    return result;
  }
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, kLargestSettingsFile)) {
    result.failure = "It cannot be read: " + SystemErrorText(::GetLastError());
    return result;
  }
  result.text =
      DecodeSettingsFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return result;
}

}  // namespace

std::string SettingsFilePath() {
  const std::string folder = SettingsFolder();
  return folder.empty() ? std::string() : JoinPath(folder, "settings.ini");
}

RecordingSettings LoadRecordingSettings() {
  const std::string path = SettingsFilePath();
  if (path.empty()) return {};
  const ReadResult read = ReadSettingsText(path);
  return read.failure.empty() ? ParseRecordingSettings(read.text.utf8) : RecordingSettings{};
}

std::optional<SettingsNotKept> StoreRecordingSettings(const RecordingSettings& settings) {
  const std::string appData = RoamingAppDataFolder();
  if (appData.empty()) return SettingsNotKept{"%APPDATA%", "This user has no application data folder."};
  if (!DirectoryExists(appData))
    return SettingsNotKept{appData, "The application data folder does not exist."};
  const std::string folder = SettingsFolder();
  if (!::CreateDirectoryW(Widen(folder).c_str(), nullptr)) {
    const DWORD error = ::GetLastError();
    if (!DirectoryExists(folder)) {
      return SettingsNotKept{folder, PathExists(folder)
                                         ? "A file of that name is in the way of the folder."
                                         : "The folder cannot be made: " + SystemErrorText(error)};
    }
  }
  // Read again now: another instance may have changed other lines since.
  const std::string path = SettingsFilePath();
  const ReadResult existing = ReadSettingsText(path);
  if (!existing.failure.empty()) return SettingsNotKept{path, existing.failure};
  const std::string text =
      EncodeSettingsFile(UpdateRecordingSettings(existing.text.utf8, settings), existing.text.encoding);
  PartFile file(path);
  if (!file.Open())
    return SettingsNotKept{path, "It cannot be written: " + SystemErrorText(::GetLastError())};
  if (!file.Write(text.data(), text.size()) || !file.Commit())
    return SettingsNotKept{path, "It cannot be written: " + SystemErrorText(::GetLastError())};
  return std::nullopt;
}

}  // namespace lumavex
