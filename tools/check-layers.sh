#!/bin/bash
# Fails when a source file includes a header from a folder above its own.
# Folders from the bottom up (same rank on one line):
#   platform/ < imaging/, discovery/, dialogs/ < avi/ < app/ < tools/
# tests/ may include anything. Within a rank, discovery/ may include
# imaging/: it samples the screen through the capture. Prints every include
# that points up and exits non-zero when there is one.
set -uo pipefail
cd "$(dirname "$0")/.."

rank_of() {
  case "$1" in
    platform) echo 0 ;;
    imaging | discovery | dialogs) echo 1 ;;
    avi) echo 2 ;;
    app) echo 3 ;;
    tools) echo 4 ;;
    *) echo "" ;;
  esac
}

allowed_sideways() {
  [ "$1" = discovery ] && [ "$2" = imaging ]
}

bad=0
while IFS= read -r file; do
  from="${file%%/*}"
  from_rank="$(rank_of "$from")"
  [ -n "$from_rank" ] || continue
  while IFS=: read -r line header; do
    to="${header%%/*}"
    [ "$to" != "$header" ] || continue  # a header beside the file
    [ "$to" != "$from" ] || continue
    to_rank="$(rank_of "$to")"
    [ -n "$to_rank" ] || continue
    if [ "$to_rank" -gt "$from_rank" ] || { [ "$to_rank" -eq "$from_rank" ] && ! allowed_sideways "$from" "$to"; }; then
      echo "$file:$line: includes \"$header\" ($to/ is not below $from/)"
      bad=$((bad + 1))
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
             sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1:\2/')
done < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.hpp' '*.cpp' '*.cc' '*.c' |
           while IFS= read -r f; do [ -f "$f" ] && echo "$f"; done | sort -u)

if [ "$bad" -gt 0 ]; then
  echo "layer check: $bad include(s) point up or sideways"
  exit 1
fi
echo "layer check: every include points down"
