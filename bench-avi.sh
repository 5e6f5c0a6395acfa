#!/bin/bash
# Times "Write Avi" on folders of 1,000 and 30,000 JPG frames of 163x123 and
# prints, for each, in one run:
#   - both output types under Wine (tools/avibench: the real conversion on
#     its worker thread, shown in a list and a preview as the main window
#     shows it): the decoded, uncompressed AVI and the Motion JPEG AVI with
#     the frames copied;
#   - Lumavex.exe --write-avi under Wine, timed as a whole process (Wine's
#     start included), the Motion JPEG type;
#   - the floor under Wine (tools/readfloor: list the folder, read every file
#     whole, nothing else);
#   - the Motion JPEG writer alone, built natively (mjpegbench), when built;
#   - ffmpeg -c copy and ffmpeg -c:v rawvideo on the same folder;
#   - the ratios, and peak memory (the process's peak working set under
#     Wine, ffmpeg's and mjpegbench's peak resident set).
#   - the Motion JPEG type on 3,000 frames while another process reads
#     every row of the benchmark window's lists over and over (listreader,
#     as a screen reader does), against the same conversion left alone.
# The frames are moving crops of scikit-image's astronaut photograph
# (python3-skimage), saved by PIL at quality 75 as a webcam recording would
# leave them; without the photograph, a synthetic scene.
#
#   ./bench-avi.sh [frame counts...]     (default: 1000 30000)
#   ./bench-avi.sh --million [count]     time and peak memory of the Motion
#       JPEG type, from the command line and through the button's path
#       (avibench), on 1,000,000 frames (or `count`): hard links of the
#       1,000 benchmark frames, made once (minutes; about 4.3 GB of video);
#       then the peak memory of the system's listing of that folder alone.
set -euo pipefail
cd "$(dirname "$0")"
root="$(pwd)"
python=/usr/bin/python3
million=0
if [ "${1:-}" = "--million" ]; then
  million="${2:-1000000}"
  set --
fi
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(1000 30000)
build=build/bench-avi-win
native=build/bench-avi-native
work=build/avibench
mkdir -p build "$work"
tools/install-deps.sh || { echo "could not install the build tools"; exit 1; }

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DLUMAVEX_TESTS=OFF >"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }
cmake --build "$build" -j 2 --target avibench readfloor listreader Lumavex >>"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }
mjpegbench=""
if cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release -DLUMAVEX_TESTS=OFF >"$native.log" 2>&1 &&
   cmake --build "$native" -j 2 --target mjpegbench >>"$native.log" 2>&1 && [ -x "$native/bin/mjpegbench" ]; then
  mjpegbench="$native/bin/mjpegbench"
fi

calc() { awk "BEGIN { print $1 }"; }
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }

make_frames() {
  local folder="$1" count="$2"
  if [ "$(find "$folder" -name 'Alice*.jpg' 2>/dev/null | wc -l)" = "$count" ]; then return; fi
  rm -rf "$folder" && mkdir -p "$folder"
  "$python" - "$folder" "$count" <<'PY'
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
}

# A native command, best of `runs`: prints the line avibench prints.
native_line() {
  local frames="$1" runs="$2"
  shift 2
  local best="" peak=0 t0 t1 s kb
  for _ in $(seq "$runs"); do
    t0=$(date +%s.%N)
    kb=$(/usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1)
    t1=$(date +%s.%N)
    s=$(calc "$t1 - $t0")
    if [ -z "$best" ] || [ "$(calc "$s < $best")" = 1 ]; then best=$s; fi
    [ "$kb" -gt "$peak" ] 2>/dev/null && peak=$kb
  done
  printf 'frames=%d seconds=%.3f fps=%.1f peak_kb=%d\n' "$frames" "$best" "$(calc "$frames / $best")" "$peak"
}

count_frames() {
  ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=nb_read_packets -of csv=p=0 "$1"
}

export LUMAVEX_WINEPREFIX="${LUMAVEX_WINEPREFIX:-$root/build/wineprefix}"
# shellcheck source=tools/wine-session.sh
source tools/wine-session.sh
trap lumavex_stop_session EXIT
lumavex_start_display 24 && lumavex_prepare_prefix
winpath() { echo "Z:$(cd "$(dirname "$1")" && pwd | tr / '\\')\\$(basename "$1")"; }

# A folder of `count` hard links of the 1,000 benchmark frames, in name order.
make_links() {
  local folder="$1" count="$2" source="$3"
  if [ "$(find "$folder" -name 'Alice*.jpg' 2>/dev/null | wc -l)" = "$count" ]; then return; fi
  rm -rf "$folder" && mkdir -p "$folder"
  "$python" - "$folder" "$count" "$source" <<'PY'
import os, sys
folder, count, source = sys.argv[1], int(sys.argv[2]), sys.argv[3]
for i in range(count):
    os.link(os.path.join(source, "Alice%07d.jpg" % (i % 1000)), os.path.join(folder, "Alice%07d.jpg" % i))
PY
}

if [ "$million" -gt 0 ]; then
  make_frames "$work/frames-1000" 1000
  folder="$work/frames-$million"
  make_links "$folder" "$million" "$work/frames-1000"
  echo "== $million frames of 163x123 (hard links of 1,000), Motion JPEG, one run each"
  command=$(native_line "$million" 1 wine "$build/bin/Lumavex.exe" --write-avi "$(winpath "$folder")" \
    --out "$(winpath "$work/million-command.avi")" --overwrite --type mjpeg)
  printf '  %-44s %s\n' "Lumavex.exe --write-avi (Wine):" "$command"
  printf '  frames in the file: %s, size %s bytes\n' "$(count_frames "$work/million-command.avi")" \
    "$(stat -c %s "$work/million-command.avi")"
  rm -f "$work/million-command.avi"
  button=$(wine "$build/bin/avibench.exe" "$(winpath "$folder")" "$(winpath "$work/million-button.avi")" mjpeg 1 \
    2>/dev/null | tr -d '\r')
  printf '  %-44s %s\n' "Write Avi button's path (avibench, Wine):" "$button"
  printf '  frames in the file: %s\n' "$(count_frames "$work/million-button.avi")"
  rm -f "$work/million-button.avi"
  printf '  peak memory: command line %s KB, button %s KB   (target <= 131072 KB)\n' \
    "$(field peak_kb "$command")" "$(field peak_kb "$button")"
  # What the system's listing of the folder costs by itself (Wine keeps
  # every name a search matches while the search is open), and what ten
  # searches by the name's last digit cost, which do not list every JPG name.
  listing=$(wine "$build/bin/readfloor.exe" --list-only "$(winpath "$folder")" | tr -d '\r')
  by_digit=$(wine "$build/bin/readfloor.exe" --list-only --by-last-digit "$(winpath "$folder")" | tr -d '\r')
  printf '  %-44s %s\n' "the listing alone, \"*.jpg\" (readfloor):" "$listing"
  printf '  %-44s %s\n' "ten listings \"*0.jpg\"..\"*9.jpg\":" "$by_digit"
  lumavex_stop_session
  trap - EXIT
  exit 0
fi

declare -A peak_mjpeg peak_avi
for frames in "${counts[@]}"; do
  folder="$work/frames-$frames"
  make_frames "$folder" "$frames"
  rm -f "$folder/tmp.bmp"
  runs=3
  [ "$frames" -gt 5000 ] && runs=1
  echo "== $frames frames of 163x123 ($folder), best of $runs"

  floor=$(wine "$build/bin/readfloor.exe" "$(winpath "$folder")" "$runs" | tr -d '\r')
  mjpeg=$(wine "$build/bin/avibench.exe" "$(winpath "$folder")" "$(winpath "$work/mjpeg.avi")" mjpeg "$runs" \
    2>/dev/null | tr -d '\r')
  avi=$(wine "$build/bin/avibench.exe" "$(winpath "$folder")" "$(winpath "$work/uncompressed.avi")" avi "$runs" \
    2>/dev/null | tr -d '\r')
  command=$(native_line "$frames" "$runs" wine "$build/bin/Lumavex.exe" --write-avi "$(winpath "$folder")" \
    --out "$(winpath "$work/command.avi")" --overwrite)
  copy=$(native_line "$frames" "$runs" ffmpeg -y -loglevel error -framerate 3 -i "$folder/Alice%07d.jpg" -c copy \
    "$work/ffmpeg-copy.avi")
  raw=$(native_line "$frames" "$runs" ffmpeg -y -loglevel error -framerate 3 -i "$folder/Alice%07d.jpg" \
    -c:v rawvideo -pix_fmt bgr24 "$work/ffmpeg-raw.avi")
  if [ -n "$mjpegbench" ]; then
    # Timed as a whole process, as ffmpeg is.
    writer=$(native_line "$frames" "$runs" "$mjpegbench" "$folder" "$work/native.avi")
  else
    writer="mjpegbench: not built"
  fi

  printf '  %-44s %s\n' "Wine floor (list, read every file):" "$floor"
  printf '  %-44s %s\n' "Motion JPEG AVI, frames copied (Wine):" "$mjpeg"
  printf '  %-44s %s\n' "AVI, decoded, uncompressed (Wine):" "$avi"
  printf '  %-44s %s\n' "Lumavex.exe --write-avi, Motion JPEG (Wine):" "$command"
  printf '  %-44s %s\n' "Motion JPEG writer alone (native):" "$writer"
  printf '  %-44s %s\n' "ffmpeg -c copy:" "$copy"
  printf '  %-44s %s\n' "ffmpeg -c:v rawvideo:" "$raw"
  printf '  frames in the files: Motion JPEG %s, uncompressed %s, ffmpeg copy %s, ffmpeg rawvideo %s\n' \
    "$(count_frames "$work/mjpeg.avi")" "$(count_frames "$work/uncompressed.avi")" \
    "$(count_frames "$work/ffmpeg-copy.avi")" "$(count_frames "$work/ffmpeg-raw.avi")"
  ratio() { [ -n "$1" ] && [ -n "$2" ] && calc "$1 / $2" || echo "n/a"; }
  printf '  ratio Motion JPEG (Wine) / Wine floor:        %s   (target >= 0.8)\n' \
    "$(ratio "$(field fps "$mjpeg")" "$(field fps "$floor")")"
  printf '  ratio command line / Motion JPEG button:      %s\n' \
    "$(ratio "$(field fps "$command")" "$(field fps "$mjpeg")")"
  printf '  ratio uncompressed AVI (Wine) / ffmpeg raw:   %s   (target >= 0.75)\n' \
    "$(ratio "$(field fps "$avi")" "$(field fps "$raw")")"
  if [ -n "$mjpegbench" ]; then
    printf '  ratio native writer / ffmpeg -c copy:         %s   (target >= 1)\n' \
      "$(ratio "$(field fps "$writer")" "$(field fps "$copy")")"
  fi
  peak_mjpeg[$frames]=$(field peak_kb "$mjpeg")
  peak_avi[$frames]=$(field peak_kb "$avi")
  rm -f "$work/uncompressed.avi" "$work/ffmpeg-raw.avi" "$work/command.avi"
done

# The window's thread held by another process reading every row of its
# lists, against the same conversion left alone.
folder="$work/frames-3000"
make_frames "$folder" 3000
echo "== 3000 frames, Motion JPEG, while another process reads the window's lists (best of 3)"
alone=$(wine "$build/bin/avibench.exe" "$(winpath "$folder")" "$(winpath "$work/alone.avi")" mjpeg 3 \
  2>/dev/null | tr -d '\r')
wine "$build/bin/listreader.exe" avibench 60 >"$work/listreader.log" 2>&1 &
reader=$!
read=$(wine "$build/bin/avibench.exe" "$(winpath "$folder")" "$(winpath "$work/read.avi")" mjpeg 3 \
  2>/dev/null | tr -d '\r')
wait "$reader" || true
printf '  %-44s %s\n' "left alone:" "$alone"
printf '  %-44s %s   (%s)\n' "its lists read by another process:" "$read" "$(tr -d '\r' <"$work/listreader.log")"
printf '  ratio with the lists read / left alone:       %s   (target >= 0.8)\n' \
  "$(calc "$(field fps "$read") / $(field fps "$alone")")"
rm -f "$work/alone.avi" "$work/read.avi"
lumavex_stop_session
trap - EXIT

if [ ${#counts[@]} -gt 1 ]; then
  first=${counts[0]}
  last=${counts[${#counts[@]}-1]}
  printf 'peak memory under Wine, %s -> %s frames: Motion JPEG %s -> %s KB, uncompressed AVI %s -> %s KB\n' \
    "$first" "$last" "${peak_mjpeg[$first]}" "${peak_mjpeg[$last]}" "${peak_avi[$first]}" "${peak_avi[$last]}"
fi
