#!/bin/bash
# Runs a Windows program under Wine, quietly and unattended, in the project's
# private prefix. ctest uses it as the cross-compiling emulator; test.sh and
# run.sh set up the display and the prefix before calling it.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
export WINEARCH=win64
exec wine "$@"
