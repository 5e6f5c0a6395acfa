#include "tools/lvctl/times_figures.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace lumavex {

ScheduleFigures FiguresOf(const TimesCsvContents& contents, std::int64_t firstSlots) {
  ScheduleFigures f;
  f.firstSlots = firstSlots;
  std::int64_t origin = 0;  // the start, moved on by every pause
  std::int64_t pausedAt = -1;
  std::int64_t end = -1;
  std::vector<double> offsets;
  std::vector<bool> taken;
  for (const TimesRecord& r : contents.records) {
    const std::int64_t t = UtcMilliseconds(r.time);
    if (!f.ok) {
      if (r.event != TimesEvent::Start) continue;
      const std::size_t at = r.detail.find("interval_ms=");
      if (at == std::string::npos) continue;
      f.intervalMs = std::atoi(r.detail.c_str() + at + 12);
      if (f.intervalMs <= 0) continue;
      f.ok = true;
      origin = t;
      continue;
    }
    if (r.event == TimesEvent::Pause) {
      pausedAt = t;
    } else if (r.event == TimesEvent::Resume && pausedAt >= 0) {
      origin += t - pausedAt;
      pausedAt = -1;
    } else if (r.event == TimesEvent::Lost) {
      ++f.lost;
    } else if (r.event == TimesEvent::Back) {
      ++f.back;
    } else if (r.event == TimesEvent::Frame) {
      ++f.frames;
      const std::int64_t elapsed = std::max<std::int64_t>(t - origin, 0);
      const std::int64_t slot = elapsed / f.intervalMs;
      offsets.push_back(static_cast<double>(elapsed - slot * f.intervalMs));
      if (static_cast<std::int64_t>(taken.size()) <= slot) taken.resize(static_cast<std::size_t>(slot) + 1);
      taken[static_cast<std::size_t>(slot)] = true;
    } else if (r.event == TimesEvent::Stop || r.event == TimesEvent::Halt || r.event == TimesEvent::Start) {
      if (r.event == TimesEvent::Halt) ++f.halts;
      end = t;
      break;
    }
    end = t;
  }
  if (!f.ok) return f;
  // Slots due before the end; a slot due in the very millisecond of the stop
  // is not counted.
  f.slots = end > origin ? (end - origin + f.intervalMs - 1) / f.intervalMs : 0;
  for (std::int64_t s = 0; s < f.slots && s < static_cast<std::int64_t>(taken.size()); ++s)
    if (taken[static_cast<std::size_t>(s)]) ++f.framesInSlots;
  f.missed = f.slots - f.framesInSlots;
  for (std::int64_t s = 0; s < firstSlots && s < static_cast<std::int64_t>(taken.size()); ++s)
    if (taken[static_cast<std::size_t>(s)]) ++f.framesInFirstSlots;
  if (!offsets.empty()) {
    std::sort(offsets.begin(), offsets.end());
    auto at = [&](double q) {
      return offsets[static_cast<std::size_t>(q * static_cast<double>(offsets.size() - 1) + 0.5)];
    };
    f.p50Ms = at(0.5);
    f.p95Ms = at(0.95);
    f.maxMs = offsets.back();
  }
  return f;
}

}  // namespace lumavex
