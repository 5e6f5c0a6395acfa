#include "avi/temp_frame_file.h"

#include <windows.h>

#include "platform/wide.h"

namespace lumavex {

bool TempFrameFile::Write(const std::vector<std::uint8_t>& bytes) {
  if (!file_) {
    file_.reset(::CreateFileW(Widen(path_).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) return false;
    length_ = 0;
  }
  // Positioned writes from the start: no separate seek per frame.
  std::uint64_t offset = 0;
  while (offset < bytes.size()) {
    const std::uint64_t left = bytes.size() - offset;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    if (!::WriteFile(file_.get(), bytes.data() + offset, chunk, &written, &at) || written != chunk) {
      file_.reset();  // the next write starts over with a fresh file
      return false;
    }
    offset += chunk;
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
