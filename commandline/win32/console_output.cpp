#include "commandline/win32/console_output.h"

#include "base/utf8.h"

namespace lumavex {
namespace {

bool LeadsSomewhere(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

ConsoleOutput::ConsoleOutput()
    : out_(::GetStdHandle(STD_OUTPUT_HANDLE)), err_(::GetStdHandle(STD_ERROR_HANDLE)) {
  if (LeadsSomewhere(out_) && LeadsSomewhere(err_)) return;
  // Started from a console without handles of its own: write to that
  // console (the one of cmd.exe or of a batch file).
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!LeadsSomewhere(out_)) out_ = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (!LeadsSomewhere(err_)) err_ = ::GetStdHandle(STD_ERROR_HANDLE);
}

void ConsoleOutput::Write(HANDLE handle, const std::string& text) {
  if (!LeadsSomewhere(handle) || text.empty()) return;
  DWORD mode = 0;
  if (::GetConsoleMode(handle, &mode)) {
    const std::wstring wide = Widen(text);
    DWORD written = 0;
    ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  DWORD written = 0;
  ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace lumavex
