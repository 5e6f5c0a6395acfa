#include "writeavi/win32/frame_folder.h"

#include <windows.h>

#include <algorithm>

#include "base/path.h"
#include "writeavi/frame_list.h"
#include "platform/kernel.h"
#include "base/utf8.h"

namespace lumavex {

std::vector<FrameFile> ListFrameFolder(const std::string& folder) {
  std::vector<FrameFile> files;
  WIN32_FIND_DATAW data;
  // The platform's wildcard also takes long names whose short form matches
  // (such as "*.jpeg"); the exact pattern is applied below.
  UniqueFind find(::FindFirstFileExW(Widen(JoinPath(folder, kFramePattern)).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return files;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    FrameFile file;
    file.name = Narrow(data.cFileName);
    if (!MatchesFilePattern(file.name, kFramePattern)) continue;
    file.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    files.push_back(std::move(file));
  } while (::FindNextFileW(find.get(), &data));
  std::sort(files.begin(), files.end(),
            [](const FrameFile& a, const FrameFile& b) { return FileNameLess(a.name, b.name); });
  return files;
}

}  // namespace lumavex
