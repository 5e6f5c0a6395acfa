#include "avi/frame_reader.h"

#include <utility>

#include "platform/files.h"

namespace lumavex {

FrameReader::FrameReader(std::vector<std::string> paths)
    : paths_(std::move(paths)), ahead_(static_cast<int>(paths_.size()), kAhead, [this](const auto& loop) {
        loop([this](int i, std::vector<std::uint8_t>& bytes) { return ReadWholeFile(paths_[i], bytes); });
      }) {}

bool FrameReader::Take(int index, std::vector<std::uint8_t>& bytes) {
  switch (ahead_.Take(index, bytes)) {
    case WorkAhead::Taken::Made:
      return true;
    case WorkAhead::Taken::Failed:
      return false;
    case WorkAhead::Taken::NotAhead:
      break;
  }
  return index >= 0 && index < count() && ReadWholeFile(paths_[index], bytes);
}

}  // namespace lumavex
