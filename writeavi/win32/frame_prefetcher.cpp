#include "writeavi/win32/frame_prefetcher.h"

#include <objbase.h>

#include <utility>

#include "imaging/win32/frame_decoder.h"
#include "platform/com_scope.h"

namespace lumavex {

FramePrefetcher::FramePrefetcher(std::vector<std::string> paths)
    : paths_(std::move(paths)), ahead_(static_cast<int>(paths_.size()), kAhead, [this](const auto& loop) {
        // The imaging component's objects are free-threaded.
        const ComScope com(COINIT_MULTITHREADED);
        FrameDecoder decoder;
        loop([&](int i, Image& picture) { return decoder.DecodeFile(paths_[i], picture); });
      }) {}

}  // namespace lumavex
