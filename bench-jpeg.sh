#!/bin/bash
# Builds tools/jpegbench optimised (in build/bench-jpeg, a folder of its
# own) and times the JPEG library against libjpeg-turbo at 163x123, 640x480
# and 1920x1080, then compares file sizes with libjpeg-turbo's cjpeg
# (libjpeg-turbo-progs, which tools/install-deps.sh installs), with and
# without -optimize. The pictures are scikit-image's astronaut photograph
# (python3-skimage) at the three sizes and its coffee photograph at
# 163x123, scaled with ImageMagick (without them the benchmark falls back to
# synthetic scenes), and a flat-blocks test pane of 163x123.
# JSIMD_FORCENONE=1 ./bench-jpeg.sh compares against libjpeg-turbo's plain C.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh || { echo "could not install the build tools"; exit 1; }
build=build/bench-jpeg
mkdir -p build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DLUMAVEX_TESTS=OFF >"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }
cmake --build "$build" -j 2 --target jpegbench >>"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }

photo=/usr/lib/python3/dist-packages/skimage/data/astronaut.png
pictures=()
if [ -r "$photo" ] && [ -x /usr/bin/convert ]; then
  mkdir -p "$build/pictures"
  for size in 163x123 640x480 1920x1080; do
    out="$build/pictures/astronaut-$size.ppm"
    [ -s "$out" ] || /usr/bin/convert "$photo" -resize "$size!" -depth 8 "ppm:$out"
    pictures+=("$PWD/$out")
  done
  out="$build/pictures/coffee-163x123.ppm"
  [ -s "$out" ] || /usr/bin/convert "${photo%/*}/coffee.png" -resize "163x123!" -depth 8 "ppm:$out"
  pictures+=("$PWD/$out")
fi
"$build/bin/jpegbench" ${pictures[@]+"${pictures[@]}"}
