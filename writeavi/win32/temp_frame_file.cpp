#include "writeavi/win32/temp_frame_file.h"

#include <windows.h>

#include "imaging/bmp_writer.h"
#include "platform/file_write.h"
#include "base/utf8.h"

namespace lumavex {

bool TempFrameFile::Write(const Image& picture) {
  // The picture's rows are already those of a bottom-up 24-bit file: only
  // the headers go in front of them.
  const std::vector<std::uint8_t> headers = Bmp24Headers(picture.width(), picture.height());
  if (headers.empty()) return false;
  const std::uint64_t size = headers.size() + picture.pixels().size();
  if (!file_) {
    file_.reset(::CreateFileW(Widen(path_).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) return false;
    length_ = 0;
  }
  // From the start each time: no separate seek per frame.
  if (!WriteFileAt(file_.get(), 0, headers.data(), headers.size()) ||
      !WriteFileAt(file_.get(), headers.size(), picture.data(), picture.pixels().size())) {
    file_.reset();  // the next write starts over with a fresh file
    return false;
  }
  // A smaller frame than the last leaves no tail of the old one behind.
  if (size < length_) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFileInformationByHandle(file_.get(), FileEndOfFileInfo, &end, sizeof end)) {
      file_.reset();
      return false;
    }
  }
  length_ = size;
  return true;
}

}  // namespace lumavex
