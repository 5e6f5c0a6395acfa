#!/bin/bash
# Times "Write Avi" (tools/avibench, the real conversion under Wine with the
# uncompressed compressor) on a folder of 1,000 JPG frames of 163x123, and
# ffmpeg on the same folder into an uncompressed AVI, and prints both rates
# and their ratio. The frames are moving crops of scikit-image's astronaut
# photograph (python3-skimage), saved by PIL at quality 75 as a webcam
# recording would leave them; without the photograph, a synthetic scene.
set -euo pipefail
cd "$(dirname "$0")"
root="$(pwd)"
python=/usr/bin/python3
frames=1000
build=build/bench-win
work=build/avibench
mkdir -p build "$work"

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DLUMAVEX_TESTS=OFF >"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }
cmake --build "$build" -j 2 --target avibench >>"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }

folder="$work/frames"
if [ "$(ls "$folder"/Alice*.jpg 2>/dev/null | wc -l)" != "$frames" ]; then
  rm -rf "$folder" && mkdir -p "$folder"
  "$python" - "$folder" "$frames" <<'PY'
import os, sys
from PIL import Image
folder, count = sys.argv[1], int(sys.argv[2])
photo = "/usr/lib/python3/dist-packages/skimage/data/astronaut.png"
if os.path.exists(photo):
    source = Image.open(photo).convert("RGB")
else:
    source = Image.radial_gradient("L").resize((512, 512)).convert("RGB")
w, h = 163, 123
for i in range(count):
    x, y = (i * 3) % (source.width - w), (i * 2) % (source.height - h)
    source.crop((x, y, x + w, y + h)).save(os.path.join(folder, "Alice%07d.jpg" % i), quality=75)
PY
fi
rm -f "$folder/tmp.bmp"

calc() { awk "BEGIN { print $1 }"; }

# ffmpeg: the whole command, best of three; and its start-up alone (one frame).
best_seconds() {
  local best="" t0 t1 s
  for _ in 1 2 3; do
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s.%N)
    s=$(calc "$t1 - $t0")
    if [ -z "$best" ] || [ "$(calc "$s < $best")" = 1 ]; then best=$s; fi
  done
  echo "$best"
}
ff_seconds=$(best_seconds ffmpeg -y -loglevel error -framerate 3 -i "$folder/Alice%07d.jpg" -c:v rawvideo \
  -pix_fmt bgr24 "$work/ffmpeg.avi")
ff_startup=$(best_seconds ffmpeg -y -loglevel error -framerate 3 -i "$folder/Alice%07d.jpg" -frames:v 1 \
  -c:v rawvideo -pix_fmt bgr24 "$work/ffmpeg-one.avi")

# Write Avi under Wine, in its own virtual display.
export LUMAVEX_WINEPREFIX="${LUMAVEX_WINEPREFIX:-$root/build/wineprefix}"
# shellcheck source=tools/wine-session.sh
source tools/wine-session.sh
trap lumavex_stop_session EXIT
lumavex_start_display 24 && lumavex_prepare_prefix
win_folder="Z:$(cd "$folder" && pwd | tr / '\\')"
win_target="Z:$(cd "$work" && pwd | tr / '\\')\\lumavex.avi"
ours=$(wine "$build/bin/avibench.exe" "$win_folder" "$win_target" 3 | tr -d '\r') || {
  echo "$ours"
  echo "avibench failed"
  exit 1
}
echo "$ours"
lumavex_stop_session
trap - EXIT

count() { ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1"; }
ours_fps=$(sed -n 's/^best: \([0-9.]*\) frames\/s$/\1/p' <<<"$ours")
ff_fps=$(calc "$frames / $ff_seconds")
ff_fps_net=$(calc "$frames / ($ff_seconds - $ff_startup)")
printf 'frames in the AVI files: Write Avi %s, ffmpeg %s\n' "$(count "$work/lumavex.avi")" "$(count "$work/ffmpeg.avi")"
printf 'Write Avi (conversion only, best of 3):        %8.1f frames/s\n' "$ours_fps"
printf 'ffmpeg (whole command, best of 3):             %8.1f frames/s   ratio %.2f\n' "$ff_fps" \
  "$(calc "$ours_fps / $ff_fps")"
printf 'ffmpeg (less its start-up of %.0f ms):           %8.1f frames/s   ratio %.2f\n' \
  "$(calc "$ff_startup * 1000")" "$ff_fps_net" "$(calc "$ours_fps / $ff_fps_net")"
