#pragma once
// "Write Avi": turns the JPG frames of the folder in txtPath into an AVI file,
// one key frame per file in name order, through the platform's AVI services.
#include <windows.h>
#include <vfw.h>

#include <functional>
#include <string>

namespace lumavex {

class Form1;
class AviCompressOptions;

// The two questions a conversion asks. The button asks the user through the
// platform's dialogs; the benchmark answers them itself.
struct AviChoices {
  // The target file: `target` comes in as the proposed name and leaves as
  // the chosen full path. False when the user cancelled.
  std::function<bool(HWND owner, std::string& target)> target;
  // The compressor for the stream: fills `options` and returns what the
  // compression dialog returns (1 when the user confirmed).
  std::function<INT_PTR(HWND owner, PAVISTREAM* stream, AviCompressOptions& options)> compression;
};

// The save dialog and the compression dialog, owned by `Form1`.
AviChoices UserAviChoices();

void ConvertFolderToAvi(Form1& form);
void ConvertFolderToAvi(Form1& form, const AviChoices& choices);

}  // namespace lumavex
