# Sourced by test.sh and run.sh: a virtual display (unless one is given), a
# private Wine prefix with a virtual desktop that draws window frames, and one
# wineserver kept alive for the whole session.
lumavex_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# LUMAVEX_WINEPREFIX lets several sessions run side by side, each with its own wineserver.
export WINEPREFIX="${LUMAVEX_WINEPREFIX:-$lumavex_root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export WINEARCH=win64
# Wine names Unix files in the locale's character set, so names in any script
# need a UTF-8 locale; a bare machine may have none set.
[ "$(locale charmap 2>/dev/null)" = UTF-8 ] || export LC_ALL=C.UTF-8

lumavex_xvfb_pid=""
lumavex_start_display() {
  # $1: colour depth of the virtual screen
  local depth="${1:-24}"
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "1280x1024x$depth" -nolisten tcp >/dev/null 2>&1 &
    lumavex_xvfb_pid=$!
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$lumavex_xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "could not start Xvfb" >&2
  return 1
}

lumavex_prepare_prefix() {
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/.lumavex-ready" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # Wine's own desktop window draws captions, frames and menus as Windows does,
    # which discovery and the pane arithmetic rely on.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.lumavex-ready"
  fi
  if [ ! -f "$WINEPREFIX/.lumavex-cjk" ]; then
    # Wine's dialog fonts have no Chinese, Japanese or Korean glyphs: link
    # them to WenQuanYi (fonts-wqy-microhei) so titles in those scripts show.
    local face
    for face in Tahoma "MS Shell Dlg" "Microsoft Sans Serif"; do
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
        /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    wineserver -w
    touch "$WINEPREFIX/.lumavex-cjk"
  fi
  wineserver -p
  # A warm-up start so that later starts are fast.
  wine cmd /c exit >/dev/null 2>&1 || true
}

lumavex_stop_session() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ -n "$lumavex_xvfb_pid" ]; then
    kill "$lumavex_xvfb_pid" 2>/dev/null || true
    wait "$lumavex_xvfb_pid" 2>/dev/null || true
    lumavex_xvfb_pid=""
  fi
}
