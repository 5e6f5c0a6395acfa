#include "writeavi/win32/target_check.h"

#include <windows.h>

#include "base/utf8.h"
#include "platform/kernel.h"

namespace lumavex {

std::optional<std::string> TargetRefusal(const std::string& target) {
  const std::wstring wide = Widen(target);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "A folder of that name is in the way.";
  if (attributes & FILE_ATTRIBUTE_READONLY) return "The file is read-only.";
  // The finished video replaces it, which needs it open by nobody else.
  UniqueFile probe(::CreateFileW(wide.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (probe) return std::nullopt;
  const DWORD error = ::GetLastError();
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
    return "Another program is using the file.";
  return "The file cannot be changed (error " + std::to_string(error) + ").";
}

std::optional<std::string> PartRefusal(const std::string& partPath) {
  UniqueFile probe(::CreateFileW(Widen(partPath).c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (probe || ::GetLastError() != ERROR_SHARING_VIOLATION) return std::nullopt;
  return "Another conversion is writing this video now (" + partPath + ").";
}

std::string CannotOpenText(const std::string& target, const std::optional<std::string>& reason) {
  std::string text = "Can't open File to write, try to use different name to save.\r\n" + target;
  if (reason) text += "\r\n" + *reason;
  return text;
}

void SayCannotWrite(ConversionView& view, const std::string& target,
                    const std::optional<std::string>& reason) {
  view.Message(CannotOpenText(target, reason), MessageIcon::None);
  view.Message("There was an error writing the file.", MessageIcon::Information);
}

}  // namespace lumavex
