#!/bin/bash
# Builds everything and runs every test: the portable core natively (with
# AddressSanitizer and UndefinedBehaviorSanitizer), then the Windows build
# under Wine in a virtual display. Both builds take every target, the
# benchmarks and tools among them (without running them), so none of them
# can stop building unseen. Installs what is missing first.
set -uo pipefail
cd "$(dirname "$0")"
root="$(pwd)"
# The same locale wherever the tests run: UTF-8 file names under Wine, and
# the same month names in recording folders.
export LC_ALL=C.UTF-8
tools/install-deps.sh || { echo "could not install the build tools"; exit 1; }
jobs="$(nproc)"
mkdir -p build

passed=0
failed=0
skipped=0
count_ctest() {
  # Adds up ctest's "N% tests passed, F tests failed out of T" line. ctest
  # counts a skipped test among the passed ones; each is listed as
  # "(Skipped)" under "The following tests did not run:" and is counted
  # apart here. (A native test skips by GTEST_SKIP, which gtest_discover_tests
  # tells ctest; a Wine program by its exit code, see tests/CMakeLists.txt.)
  local line total fails skips
  line="$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)"
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  total="$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")"
  fails="$(sed -E 's/.*tests passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")"
  skips="$(sed -n '/^The following tests did not run:/,/^$/p' "$1" | grep -cE '\(Skipped\)$')"
  passed=$((passed + total - fails - skips))
  failed=$((failed + fails))
  skipped=$((skipped + skips))
}

# A check script counts as one test: passed when it exits 0.
run_check() {
  local log="$1"
  shift
  if "$@" >"$log" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
  tail -15 "$log"
}

echo "== layers (no include points up, portable folders stay portable)"
run_check build/layers.log tools/check-layers.sh
run_check build/layers-self.log tests/tools/test_check_layers.sh
echo "== formatting (clang-format)"
run_check build/format.log tools/check-format.sh

echo "== native build (portable core, native benchmarks, sanitizers on)"
if cmake -S . -B build/native -DLUMAVEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >build/native.log 2>&1 \
   && cmake --build build/native -j "$jobs" >>build/native.log 2>&1; then
  (cd build/native && ctest --output-on-failure -j "$jobs" 2>&1 | tee ../native-ctest.log | tail -15)
  count_ctest build/native-ctest.log
else
  tail -40 build/native.log
  echo "native build failed"
  failed=$((failed + 1))
fi

echo "== Windows build (MinGW-w64: the program, its tests, benchmarks and tools)"
mkdir -p build
if cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >build/win.log 2>&1 \
   && cmake --build build/win -j "$jobs" >>build/win.log 2>&1; then
  echo "== Windows tests under Wine"
  # shellcheck source=tools/wine-session.sh
  source tools/wine-session.sh
  trap lumavex_stop_session EXIT
  if lumavex_start_display 24 && lumavex_prepare_prefix; then
    (cd build/win && ctest --output-on-failure 2>&1 | tee ../win-ctest.log | tail -25)
    count_ctest build/win-ctest.log
  else
    failed=$((failed + 1))
  fi
  lumavex_stop_session
else
  tail -40 build/win.log
  echo "Windows build failed"
  failed=$((failed + 1))
fi

# Skipped tests are neither: CI runs as root, where nothing skips.
if [ "$skipped" -gt 0 ]; then
  echo "$passed passed, $failed failed, $skipped skipped"
else
  echo "$passed passed, $failed failed"
fi
[ "$failed" -eq 0 ]
