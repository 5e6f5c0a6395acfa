#pragma once
// Figures of a recording from its times.csv: how many frames it wrote
// against the slots of its schedule, and how far each capture time lies
// from the time its slot was due.
#include <cstdint>
#include <string>

#include "recording/times_csv.h"
#include "recording/timestamp.h"

namespace lumavex {

struct ScheduleFigures {
  bool ok = false;  // a start line with its interval was found
  int intervalMs = 0;
  std::int64_t frames = 0;         // frame lines
  std::int64_t slots = 0;          // slots due from the start to the stop (pauses left out)
  std::int64_t framesInSlots = 0;  // frames taken for those slots
  std::int64_t missed = 0;         // slots no frame was taken for
  std::int64_t firstSlots = 0;     // as asked of FiguresOf
  std::int64_t framesInFirstSlots = 0;
  // Capture time minus its slot's due time, in milliseconds.
  double p50Ms = 0, p95Ms = 0, maxMs = 0;
  std::int64_t lost = 0, back = 0, halts = 0;
};

// The first recording of `contents` (from its start line to its stop or
// halt line, or the last line); frames for the first `firstSlots` slots are
// counted apart (a recording meant to last so many slots).
ScheduleFigures FiguresOf(const TimesCsvContents& contents, std::int64_t firstSlots = 0);

}  // namespace lumavex
