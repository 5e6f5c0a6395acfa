#include "writeavi/win32/frame_folder_claim.h"

#include <windows.h>

#include "platform/folder_marks.h"

namespace lumavex {

FrameFolderClaim::FrameFolderClaim(const std::string& folder) {
  const std::wstring name = FolderObjectName(L"FrameFolder", folder);
  // Made by this call: nobody else holds it. Opened: another conversion does.
  ::SetLastError(ERROR_SUCCESS);
  name_.reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
  held_ = !name_ || ::GetLastError() != ERROR_ALREADY_EXISTS;
}

std::string FolderHeldText(const std::string& folder) {
  return "Another Lumavex is writing a video of the frames in this folder:\r\n" + folder +
         "\r\nTry again when it has finished.";
}

}  // namespace lumavex
