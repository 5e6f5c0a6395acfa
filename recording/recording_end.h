#pragma once
// Whether a recording ended, as its times.csv tells: a recording whose last
// line is no stop, halt or repaired did not (the program was killed, or the
// power went), and its video may need a repair. Neither did one that names a
// video it could not end (`unfinished`) after its last repair. Portable.
#include <cstdint>
#include <string_view>

namespace lumavex {

// How much of the end of times.csv to read: far more than its last lines.
inline constexpr std::uint64_t kTimesTailBytes = 16 * 1024;

// `tail` is the file's end (all of it when `whole`); a line cut at its
// start, and a torn last line, are passed over. A tail without any record
// is taken as ended: it is nobody's recording to repair.
bool TimesTailEnded(std::string_view tail, bool whole);

}  // namespace lumavex
