#!/bin/sh
# ctest fixture for the disk-full tests: "mount DIR [SIZE FREE_KB]" puts a
# tmpfs of SIZE (default 256k) at DIR and fills it until FREE_KB (default 20:
# only a few frames fit) are left; FREE_KB "empty" leaves it empty, for tests
# that fill it themselves. "unmount DIR" takes it away. Mounting needs root;
# when it cannot be done, a note in DIR says why and the test skips with
# that reason.
set -u
action="$1"
dir="$2"
size="${3:-256k}"
free_kb="${4:-20}"

unmount() {
  if mountpoint -q "$dir" 2>/dev/null; then umount "$dir" || umount -l "$dir"; fi
}

case "$action" in
  mount)
    mkdir -p "$dir" || exit 1
    unmount
    rm -f "$dir/skip-reason.txt" "$dir/lumavex-full-volume"
    if [ "$(id -u)" != 0 ]; then
      echo "not running as root, so no tmpfs can be mounted" >"$dir/skip-reason.txt"
      echo "full volume: skipped (not root)"
      exit 0
    fi
    if ! err="$(mount -t tmpfs -o "size=$size,mode=0777" lumavex-full "$dir" 2>&1)"; then
      echo "mounting a tmpfs failed: $err" >"$dir/skip-reason.txt"
      echo "full volume: skipped ($err)"
      exit 0
    fi
    if [ "$free_kb" != empty ]; then
      avail_kb="$(df -k --output=avail "$dir" | tail -1 | tr -d ' ')"
      dd if=/dev/zero of="$dir/filler.bin" bs=1024 count=$((avail_kb - free_kb)) 2>/dev/null
    fi
    : >"$dir/lumavex-full-volume"
    echo "full volume: $dir, $(df -k --output=avail "$dir" | tail -1 | tr -d ' ') KB free"
    ;;
  unmount)
    unmount
    rm -f "$dir/skip-reason.txt"
    rmdir "$dir" 2>/dev/null
    exit 0
    ;;
  *)
    echo "usage: $0 mount|unmount DIR" >&2
    exit 2
    ;;
esac
