#include "app/settings_file.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "base/part_file.h"
#include "base/path.h"
#include "platform/files.h"

namespace lumavex {
namespace {

// A settings file is a few lines; anything far larger is no settings file.
constexpr std::size_t kLargestSettingsFile = 1 << 20;

std::string SettingsFolder() {
  const std::string appData = RoamingAppDataFolder();
  return appData.empty() ? std::string() : JoinPath(appData, "Lumavex");
}

// The file's text; nothing when there is a file that cannot be read (or is
// far too large to be one), which must then not be written over either.
std::optional<std::string> ReadSettingsText() {
  const std::string path = SettingsFilePath();
  if (path.empty() || !PathExists(path)) return std::string();
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes) || bytes.size() > kLargestSettingsFile) return std::nullopt;
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

std::string SettingsFilePath() {
  const std::string folder = SettingsFolder();
  return folder.empty() ? std::string() : JoinPath(folder, "settings.ini");
}

RecordingSettings LoadRecordingSettings() { return ParseRecordingSettings(ReadSettingsText().value_or("")); }

bool StoreRecordingSettings(const RecordingSettings& settings) {
  const std::string folder = SettingsFolder();
  if (folder.empty() || !MakeDirectory(folder)) return false;
  // Read again now: another instance may have changed other lines since.
  const std::optional<std::string> existing = ReadSettingsText();
  if (!existing) return false;
  const std::string text = UpdateRecordingSettings(*existing, settings);
  PartFile file(SettingsFilePath());
  return file.Open() && file.Write(text.data(), text.size()) && file.Commit();
}

}  // namespace lumavex
