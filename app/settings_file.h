#pragma once
// Where the recording choices are kept between runs:
// %APPDATA%\Lumavex\settings.ini (its text: recording/recording_settings.h).
#include <string>

#include "recording/recording_settings.h"

namespace lumavex {

// Empty when the user has no application data folder.
std::string SettingsFilePath();

// The kept choices; a missing or unreadable file, or a key missing or out of
// range in it, gives the default for that key, silently.
RecordingSettings LoadRecordingSettings();

// Keeps the choices, changing only their two keys and keeping every other
// line of the file. Written beside it and put in place in one step, so the
// file is always either the old one or the new one whole. False when it
// cannot be written (the choices then hold for this run only).
bool StoreRecordingSettings(const RecordingSettings& settings);

}  // namespace lumavex
