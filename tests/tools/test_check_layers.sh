#!/bin/bash
# The layer check must fail on what it exists to catch: run on a copy of the
# tree with a Windows header put into a portable folder, with a Win32 header
# included from one, and with an include pointing up; and pass on the copy
# as it is.
set -uo pipefail
cd "$(dirname "$0")/../.."
check="$PWD/tools/check-layers.sh"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

copy_tree() {
  rm -rf "$scratch/tree" && mkdir -p "$scratch/tree"
  git ls-files -z -- '*.h' '*.cpp' | (cd "$scratch/tree" && xargs -0 -I{} sh -c 'mkdir -p "$(dirname "{}")"' )
  git ls-files -z -- '*.h' '*.cpp' | xargs -0 -I{} cp "{}" "$scratch/tree/{}"
}

failures=0
expect() {  # expect pass|fail description
  local want="$1" what="$2" got=pass
  LUMAVEX_CHECK_ROOT="$scratch/tree" "$check" >"$scratch/out" 2>&1 || got=fail
  if [ "$got" = "$want" ]; then
    echo "ok: $what ($got)"
  else
    echo "WRONG: $what: expected $want, got $got"
    cat "$scratch/out"
    failures=$((failures + 1))
  fi
}

copy_tree
expect pass "the tree as it is"
sed -i '1i #include <windows.h>' "$scratch/tree/recording/frame_naming.cpp"
expect fail "<windows.h> in recording/"
copy_tree
sed -i '1i #include <wincodec.h>' "$scratch/tree/imaging/image.h"
expect fail "<wincodec.h> in imaging/"
copy_tree
sed -i '1i #include "platform/controls.h"' "$scratch/tree/avi/output_file.cpp"
expect fail "a platform/ header in avi/"
copy_tree
sed -i '1i #include "app/form1.h"' "$scratch/tree/imaging/win32/capture.cpp"
expect fail "app/ included from imaging/win32/"
copy_tree
sed -i '1i #include <windows.h>' "$scratch/tree/imaging/win32/image_picture.h"
expect pass "<windows.h> in a win32/ folder"
[ "$failures" -eq 0 ]
