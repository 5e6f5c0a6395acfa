#pragma once
// Names of recording folders and frame files. All text is UTF-8, exactly as
// the window title was read; every character a Windows file name allows is
// kept, in any script.
#include <string>

#include "base/path.h"
#include "recording/timestamp.h"

namespace lumavex {

// Replaces every character Windows refuses in a file name
// (< > : " / \ | ? * and control characters 0-31) with "_". All of them are
// ASCII, so the bytes of other characters are never touched.
std::string ReplaceForbiddenFileNameChars(std::string text);

// ReplaceForbiddenFileNameChars, then drops trailing dots and spaces, which
// Windows would strip silently (the folder made would not have the name the
// frame paths use). For a whole file or folder name, not a part of one.
std::string SanitiseFileName(std::string name);

// The title without its last 15 characters (" - Conversation"; characters,
// not bytes), with forbidden characters replaced. A title of 15 characters or
// fewer gives an
// empty prefix. Trailing dots and spaces are kept: the prefix is always
// followed by a time stamp or a frame number, so they never end a name.
std::string FramePrefix(const std::string& title);

// The largest frame number: seven digits, about 11.5 days at ten frames a
// second, 115 days at one.
inline constexpr int kMaxFrameNumber = 9'999'999;

// The counter in decimal, zero-filled to 7 digits (0 to kMaxFrameNumber
// always give 7 characters, so frames sort by name).
std::string FrameNumberText(int counter);

// prefix + time stamp, as one sanitised folder name.
std::string RecordingFolderName(const std::string& prefix, const CalendarTime& time,
                                const LocaleNames& names);

// savePath\recordingFolder\prefix + FrameNumberText(counter) + extension
// (".jpg" or ".bmp").
std::string FrameFilePath(const std::string& savePath, const std::string& recordingFolder,
                          const std::string& prefix, int counter, const std::string& extension);

}  // namespace lumavex
