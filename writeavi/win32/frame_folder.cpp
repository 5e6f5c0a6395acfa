#include "writeavi/win32/frame_folder.h"

#include <windows.h>

#include <cstdint>

#include "base/path.h"
#include "writeavi/frame_list.h"
#include "platform/kernel.h"
#include "base/utf8.h"

namespace lumavex {

FrameNames ListFrameFolder(const std::string& folder) {
  FrameNames files;
  WIN32_FIND_DATAW data;
  std::string name;
  // The platform's wildcard also takes long names whose short form matches
  // (such as "*.jpeg"); the exact pattern is applied below.
  UniqueFind find(::FindFirstFileExW(Widen(JoinPath(folder, kFramePattern)).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return files;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    Narrow(data.cFileName).swap(name);
    if (!MatchesFilePattern(name, kFramePattern)) continue;
    files.Add(name, (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  } while (::FindNextFileW(find.get(), &data));
  files.Sort();
  return files;
}

}  // namespace lumavex
