#include "writeavi/win32/frame_prefetcher.h"

#include <objbase.h>

#include <utility>

#include "imaging/win32/frame_decoder.h"
#include "platform/com_scope.h"

namespace lumavex {

FramePrefetcher::FramePrefetcher(int count, std::function<std::string(int)> pathOf)
    : pathOf_(std::move(pathOf)), ahead_(count, kAhead, [this](const auto& loop) {
        // The imaging component's objects are free-threaded.
        const ComScope com(COINIT_MULTITHREADED);
        FrameDecoder decoder;
        loop([&](int i, Image& picture) { return decoder.DecodeFile(pathOf_(i), picture); });
      }) {}

}  // namespace lumavex
