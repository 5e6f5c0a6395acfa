// The one loop of "Write Avi", whichever output writes the frames: find the
// first readable frame (it sets the video's size and stands in for the
// unreadable ones before it), then load, sum up, write and show every
// frame, and end with one message of what was changed.
#include <string>

#include "base/path.h"
#include "writeavi/conversion_summary.h"
#include "writeavi/encoding_display.h"
#include "writeavi/win32/output_types.h"

namespace lumavex {
namespace {

LoopEnd WriteEveryFrame(const ConversionInput& in, FrameOutput& output, ConversionSummary& summary) {
  const int count = static_cast<int>(in.frames.size());
  // Paths are made when needed: a list of every path would grow with the frames.
  std::string name;
  const auto pathOf = [&](int i) {
    in.frames.NameInto(static_cast<std::size_t>(i), name);
    return JoinPath(in.request.folder, name);
  };

  int first = 0;
  FrameFate fate = FrameFate::Unreadable;
  for (; first < count; ++first) {
    if (in.request.Cancelled()) return LoopEnd::Cancelled;
    fate = output.Load(pathOf(first));
    if (fate != FrameFate::Unreadable) break;
  }
  if (first == count || fate == FrameFate::Failed) {
    in.view.Message("Could not load first bitmap file in list!", MessageIcon::Exclamation);
    return LoopEnd::NoFrame;
  }
  const std::string firstPath = pathOf(first);
  if (!output.Prepare(first)) return in.request.Cancelled() ? LoopEnd::Cancelled : LoopEnd::Stopped;

  EncodingDisplay display(in.view);
  const auto showLatest = [&] {
    if (!display.Behind()) return;
    if (const Image* picture = output.Picture()) display.Show(display.latest(), *picture);
  };
  for (int i = 0; i < count; ++i) {
    if (in.request.Cancelled()) return LoopEnd::Cancelled;
    const std::string path = pathOf(i);
    // The frames before the first readable one were read already: they become that one.
    fate = i < first ? FrameFate::Unreadable : output.Load(path);
    switch (fate) {
      case FrameFate::Unreadable:
        if (i < first)
          summary.ReplacedByFirst(path, firstPath);
        else
          summary.Replaced(path);
        break;
      case FrameFate::Fitted:
        summary.Fitted(path);
        break;
      case FrameFate::EncodedAgain:
        summary.EncodedAgain(path);
        break;
      case FrameFate::Failed:
        showLatest();
        display.Select(i);
        return LoopEnd::Failed;
      case FrameFate::Kept:
        break;
    }
    switch (output.Write()) {
      case FrameWrite::Written:
        break;
      case FrameWrite::Full:
        showLatest();
        return LoopEnd::CutShort;
      case FrameWrite::Failed:
        showLatest();
        display.Select(i);
        return LoopEnd::Failed;
    }
    display.Encoding(i);
    if (display.Due())
      if (const Image* picture = output.Picture()) display.Show(i, *picture);
  }
  showLatest();
  return in.request.Cancelled() ? LoopEnd::Cancelled : LoopEnd::Complete;
}

}  // namespace

std::uint32_t ConvertFrames(const ConversionInput& in, FrameOutput& output) {
  if (!output.Open()) return 0;
  ConversionSummary summary;
  const LoopEnd end = WriteEveryFrame(in, output, summary);
  const int width = output.width(), height = output.height();
  std::string text;
  const std::uint32_t frames = output.Finish(end, text);
  if (frames == 0) return 0;
  const std::string changes = summary.Text(width, height);
  if (!changes.empty()) text += (text.empty() ? "" : "\r\n\r\n") + changes;
  if (!text.empty()) in.view.Message(text, MessageIcon::Information);
  return frames;
}

}  // namespace lumavex
