#pragma once
// Marks that a program holds on a folder while it works in it, seen by
// every process of the session: named kernel objects, so a mark ends with
// its process however that ends. One name for every spelling of the
// folder's path.
#include <string>

#include "platform/kernel.h"

namespace lumavex {

// "Local\Lumavex.<kind>.<hash of the folder's full path, upper case>".
std::wstring FolderObjectName(const wchar_t* kind, const std::string& folder);

// Held by Write Avi for the whole conversion of a folder (any number of
// conversions may hold it at once), so recordings that make room leave the
// folder alone.
class ConvertingFolderMark {
 public:
  explicit ConvertingFolderMark(const std::string& folder);

 private:
  UniqueKernelObject name_;
};

// True while some conversion holds a ConvertingFolderMark on `folder`.
bool FolderBeingConverted(const std::string& folder);

}  // namespace lumavex
