#!/bin/bash
# Builds tools/jpegbench optimised (build/bench-native) and times the JPEG
# library against libjpeg-turbo at 163x123, 640x480 and 1920x1080. The
# pictures are scikit-image's astronaut photograph (python3-skimage) scaled
# with ImageMagick; without it the benchmark falls back to synthetic scenes.
# JSIMD_FORCENONE=1 ./bench-jpeg.sh compares against libjpeg-turbo's plain C.
set -euo pipefail
cd "$(dirname "$0")"
build=build/bench-native
cmake -S tools/jpegbench -B "$build" -DCMAKE_BUILD_TYPE=Release >"$build.log" 2>&1 || { cat "$build.log"; exit 1; }
cmake --build "$build" -j 2 >>"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }

photo=/usr/lib/python3/dist-packages/skimage/data/astronaut.png
pictures=()
if [ -r "$photo" ] && [ -x /usr/bin/convert ]; then
  mkdir -p "$build/pictures"
  for size in 163x123 640x480 1920x1080; do
    out="$build/pictures/astronaut-$size.ppm"
    [ -s "$out" ] || /usr/bin/convert "$photo" -resize "$size!" -depth 8 "ppm:$out"
    pictures+=("$PWD/$out")
  done
fi
cd "$build"
./jpegbench ${pictures[@]+"${pictures[@]}"}
