#include "writeavi/win32/temp_frame_file.h"

#include <windows.h>

#include "platform/file_write.h"
#include "base/utf8.h"

namespace lumavex {

bool TempFrameFile::Write(const std::vector<std::uint8_t>& bytes) {
  if (!file_) {
    file_.reset(::CreateFileW(Widen(path_).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) return false;
    length_ = 0;
  }
  // From the start each time: no separate seek per frame.
  if (!WriteFileAt(file_.get(), 0, bytes.data(), bytes.size())) {
    file_.reset();  // the next write starts over with a fresh file
    return false;
  }
  // A smaller frame than the last leaves no tail of the old one behind.
  if (bytes.size() < length_) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(bytes.size());
    if (!::SetFileInformationByHandle(file_.get(), FileEndOfFileInfo, &end, sizeof end)) {
      file_.reset();
      return false;
    }
  }
  length_ = bytes.size();
  return true;
}

}  // namespace lumavex
