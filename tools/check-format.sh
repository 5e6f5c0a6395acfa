#!/bin/bash
# Fails when a tracked C++ file is not as clang-format (with the tree's
# .clang-format) would write it. Lists the files that differ and how many
# lines would change; `clang-format -i FILE` fixes one.
set -uo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "format check: clang-format is not installed"; exit 1; }

files=0
changed=0
bad=0
while IFS= read -r file; do
  [ -f "$file" ] || continue
  files=$((files + 1))
  if ! clang-format --dry-run -Werror "$file" >/dev/null 2>&1; then
    lines="$(clang-format "$file" | diff "$file" - | grep -c '^<')"
    echo "$file: $lines line(s) to reformat"
    bad=$((bad + 1))
    changed=$((changed + lines))
  fi
done < <(git ls-files -- '*.h' '*.hpp' '*.cpp' '*.cc' '*.c')

if [ "$bad" -gt 0 ]; then
  echo "format check: $bad of $files file(s) differ from clang-format ($changed line(s))"
  exit 1
fi
echo "format check: all $files file(s) formatted"
