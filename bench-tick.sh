#!/bin/bash
# Builds the recording benchmarks for Windows (build/bench-tick) and runs
# them under Wine in a virtual display and Wine prefix of their own.
#
#   ./bench-tick.sh [ticks]             one Timer1 tick (schedule, capture,
#       preview, stamp, JPEG encode, file write, its times.csv line) against
#       its floor, screen copy + JPEG encode + a plain write of the same
#       bytes, and its parts one by one (default 1000 ticks); then ticks
#       with "Keep recordings: 1 day" while the recording's sweep deletes a
#       recording of 100,000 frames 10 days old (hard links of one frame),
#       against ticks without a sweep
#   ./bench-tick.sh --record [seconds]  a real Lumavex records the demo
#       window every 0.1 s for that long (default 600): frames written
#       against those expected, and how far the capture times in times.csv
#       lie from their schedule (p50, p95, max)
set -euo pipefail
cd "$(dirname "$0")"
root="$(pwd)"
tools/install-deps.sh || { echo "could not install the build tools"; exit 1; }
build=build/bench-tick
mkdir -p build
mode=tick
if [ "${1:-}" = "--record" ]; then
  mode=record
  shift
fi
targets=(tickbench democonv)
[ "$mode" = record ] && targets=(Lumavex lvctl democonv)
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DLUMAVEX_TESTS=OFF >"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }
cmake --build "$build" -j 2 --target "${targets[@]}" >>"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }

export LUMAVEX_WINEPREFIX="${LUMAVEX_WINEPREFIX:-$root/build/wineprefix-tickbench}"
# shellcheck source=tools/wine-session.sh
source tools/wine-session.sh
trap lumavex_stop_session EXIT
lumavex_start_display 24
lumavex_prepare_prefix
cd "$build/bin"
if [ "$mode" = tick ]; then
  prune="$root/$build/prune-$$"
  rm -rf "$prune"
  python3 - "$prune/old" <<'PY'
import datetime, os, sys
folder = sys.argv[1]
os.makedirs(folder)
when = (datetime.datetime.now(datetime.timezone.utc) - datetime.timedelta(days=10)).strftime("%Y-%m-%dT%H:%M:%S.000Z")
with open(os.path.join(folder, "times.csv"), "w", newline="") as log:
    log.write("time_utc,event,frame,detail\r\n")
    log.write(when + ",start,,interval_ms=100; window=Tina - Conversation\r\n")
    log.write(when + ",stop,,\r\n")
# A file takes at most 65,000 links on ext4: one written file per 50,000.
for n in range(100000):
    path = os.path.join(folder, "Tina%07d.jpg" % n)
    if n % 50000 == 0:
        first = path
        with open(first, "wb") as frame:
            frame.write(b"\xff\xd8" + bytes(6000) + b"\xff\xd9")
    else:
        os.link(first, path)
PY
  status=0
  wine tickbench.exe "$@" --prune "$(winepath -w "$prune")" | tr -d '\r' || status=$?
  rm -rf "$prune"
  exit "$status"
fi

seconds="${1:-600}"
save="$root/$build/record-$$"
rm -rf "$save"
mkdir -p "$save"
wine democonv.exe Tina --pos 60 60 >/dev/null 2>&1 &
status=0
wine lvctl.exe record "Tina - Conversation" "$seconds" "$(winepath -w "$save")" 100 | tr -d '\r' || status=$?
rm -rf "$save"
exit "$status"
