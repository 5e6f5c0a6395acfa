#pragma once
// Where the recording choices are kept between runs:
// %APPDATA%\Lumavex\settings.ini (its text: recording/recording_settings.h).
#include <optional>
#include <string>

#include "recording/recording_settings.h"

namespace lumavex {

// Empty when the user has no application data folder.
std::string SettingsFilePath();

// The kept choices; a missing or unreadable file (or one over 1 MB, which is
// no settings file and is not read), or a key missing or out of range in
// it, gives the default for that key, silently.
RecordingSettings LoadRecordingSettings();

// Why the choices could not be kept: the file (or the folder) concerned and
// the reason, for the user.
struct SettingsNotKept {
  std::string path;
  std::string reason;
};

// Keeps the choices, changing only their two keys and keeping every other
// line of the file, in the file's own encoding. Written beside it and put in
// place in one step, so the file is always either the old one or the new one
// whole. The Lumavex folder is made when the application data folder exists.
// Nothing when kept; otherwise why not (the choices then hold for this run
// only, and the file is left as it was).
std::optional<SettingsNotKept> StoreRecordingSettings(const RecordingSettings& settings);

}  // namespace lumavex
