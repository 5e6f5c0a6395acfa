#!/bin/bash
# The layout's two rules, checked on every C++ file of the tree:
#
# 1. Includes point down. Folders from the bottom up (same rank on a line):
#      base/
#      platform/
#      imaging/ (with imaging/jpeg/)
#      avi/, discovery/, dialogs/
#      recording/, writeavi/
#      commandline/
#      app/
#      tools/
#    A file may include a folder of a lower rank, or its own feature (a
#    win32/ folder its portable parent, imaging/ its jpeg/). tests/ may
#    include anything.
# 2. Portable folders stay portable. Every folder is portable except
#    platform/, app/, tools/, tests/win/ and the win32/ folders, which hold
#    the Win32 code of their feature. A portable file (tests/native/ and
#    tests/fuzz/ count as portable) includes no Windows header and nothing
#    from a Win32 folder.
#
# Prints every include that breaks a rule and exits non-zero when there is one.
set -uo pipefail
cd "${LUMAVEX_CHECK_ROOT:-$(dirname "$0")/..}"

rank_of() {
  case "$1" in
    base) echo 0 ;;
    platform) echo 1 ;;
    imaging) echo 2 ;;
    avi | discovery | dialogs) echo 3 ;;
    recording | writeavi) echo 4 ;;
    commandline) echo 5 ;;
    app) echo 6 ;;
    tools) echo 7 ;;
    *) echo "" ;;
  esac
}

# Win32 folders; everything else is portable.
is_win32() {
  case "$1" in
    platform/* | app/* | tools/* | tests/win/* | */win32/*) return 0 ;;
    *) return 1 ;;
  esac
}

# Headers of the Windows SDK (and the Win32 parts of the C runtime).
windows_header='^(win[a-z0-9_]*|vfw|ole2|olectl|oleauto|objbase|objidl|unknwn|commdlg|commctrl|shlobj|shlwapi|shellapi|shobjidl|psapi|mmsystem|mmreg|wtypes|tchar|rpc|rpcndr|guiddef|combaseapi|[a-z]+api|io|direct|process|conio|dwmapi|uxtheme|d3d[0-9a-z]*|dxgi)\.h$'

files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files --cached --others --exclude-standard -- '*.h' '*.hpp' '*.cpp' '*.cc' '*.c' |
      while IFS= read -r f; do [ -f "$f" ] && echo "$f"; done | sort -u
  else
    find . -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' -o -name '*.c' \) \
      -not -path './build/*' | sed 's#^\./##' | sort
  fi
}

bad=0
complain() {
  echo "$1"
  bad=$((bad + 1))
}

while IFS= read -r file; do
  from="${file%%/*}"
  from_rank="$(rank_of "$from")"
  portable=1
  is_win32 "$file" && portable=0
  while IFS=: read -r line kind header; do
    if [ "$kind" = '<' ]; then
      if [ "$portable" -eq 1 ] && grep -qiE "$windows_header" <<<"${header##*/}"; then
        complain "$file:$line: portable file includes the Windows header <$header>"
      fi
      continue
    fi
    to="${header%%/*}"
    [ "$to" != "$header" ] || continue  # a header beside the file
    [ -n "$(rank_of "$to")" ] || continue
    if [ "$portable" -eq 1 ] && is_win32 "$header"; then
      complain "$file:$line: portable file includes \"$header\" from a Win32 folder"
    fi
    [ -n "$from_rank" ] || continue  # tests/ may include anything below them
    [ "$to" != "$from" ] || continue
    if [ "$(rank_of "$to")" -ge "$from_rank" ]; then
      complain "$file:$line: includes \"$header\" ($to/ is not below $from/)"
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$file" |
             sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^">]+)[">].*/\1:\2:\3/')
done < <(files)

if [ "$bad" -gt 0 ]; then
  echo "layer check: $bad include(s) break the layout"
  exit 1
fi
echo "layer check: every include points down, and portable folders include no Windows header"
