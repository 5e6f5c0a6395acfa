#!/bin/bash
# Builds the recording tick benchmark for Windows (build/bench-tick) and runs
# it under Wine in a virtual display and Wine prefix of its own: it prints the
# median cost of one Timer1 tick (capture, preview, DIB copy, JPEG encode,
# file write), the cost of the screen copy alone in the same run, and their
# ratio. Optional argument: the number of ticks (default 1000).
set -euo pipefail
cd "$(dirname "$0")"
root="$(pwd)"
tools/install-deps.sh || { echo "could not install the build tools"; exit 1; }
build=build/bench-tick
mkdir -p build
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DLUMAVEX_TESTS=OFF >"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }
cmake --build "$build" -j 2 --target tickbench democonv >>"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }

export LUMAVEX_WINEPREFIX="${LUMAVEX_WINEPREFIX:-$root/build/wineprefix-tickbench}"
# shellcheck source=tools/wine-session.sh
source tools/wine-session.sh
trap lumavex_stop_session EXIT
lumavex_start_display 24
lumavex_prepare_prefix
cd "$build/bin"
wine tickbench.exe "$@" | tr -d '\r'
