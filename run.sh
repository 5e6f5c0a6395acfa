#!/bin/bash
# Builds Lumavex and starts it beside the demo conversation window.
# With a display (DISPLAY set) both open there and run until Lumavex is
# closed. Without one, they run in a virtual display: "Refresh List" is
# pressed, a screenshot is taken, and its path and the webcam list are printed.
set -euo pipefail
cd "$(dirname "$0")"
root="$(pwd)"
tools/install-deps.sh
mkdir -p build
echo "Building..."
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >build/run-build.log 2>&1 \
  && cmake --build build/win -j "$(nproc)" --target Lumavex democonv lvctl >>build/run-build.log 2>&1 \
  || { tail -30 build/run-build.log; echo "build failed"; exit 1; }
bin="$root/build/win/bin"

# shellcheck source=tools/wine-session.sh
source tools/wine-session.sh
headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  lumavex_start_display 24
fi
trap lumavex_stop_session EXIT
lumavex_prepare_prefix

cd "$bin"
wine democonv.exe "Demo Contact" --pos 380 60 >/dev/null 2>&1 &
wine lvctl.exe list >/dev/null 2>&1 || true   # lets the demo window paint before Lumavex starts
if [ "$headless" -eq 0 ]; then
  wine Lumavex.exe
  exit 0
fi

wine Lumavex.exe >/dev/null 2>&1 &
list="$(wine lvctl.exe refresh 2>/dev/null | tr -d '\r')"
# Let the preview and the demo's animation repaint before the picture is taken.
sleep 1
shot="$root/build/lumavex-screenshot.png"
/usr/bin/import -window root "$shot"
echo "Screenshot: $shot"
echo "$list"
wine lvctl.exe close >/dev/null 2>&1 || true
