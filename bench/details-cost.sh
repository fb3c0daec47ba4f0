#!/usr/bin/env bash
# The whole strip's processor time per tick (all its threads, /proc/PID/schedstat) with the
# details panel hidden and shown, in alternating 12 s blocks, on a private Xvfb with a
# compositing manager: what the panel costs in the real program, repaint and X included.
#   bench/details-cost.sh [build/bin/zrm58]
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
strip=${1:-$root/build/bin/zrm58}
# shellcheck source=../scripts/xserver.sh
. "$root/scripts/xserver.sh"
start_xserver 1280x800
dir=$(mktemp -d)
cp "$strip" "$dir/zrm58" # its own settings file: the default look, one tick per second
LANG=ja_JP.UTF-8 "$dir/zrm58" 2>/dev/null &
pid=$!
sleep 3
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name '^ZRM58$' | head -1)")"
ns() { awk '{ print $1 }' "/proc/$pid/schedstat"; }
block() { # block NAME: milliseconds of processor time per one-second tick over 12 s
  local a b; a=$(ns); sleep 12; b=$(ns)
  local shown; shown=$(xdotool search --onlyvisible --name 'ZRM58 details' | wc -l)
  printf '%s %.3f ms/tick (panel windows shown: %s)\n' "$1" "$(echo "($b - $a) / 12 / 1000000" | bc -l)" "$shown"
}
for round in 1 2 3; do
  xdotool mousemove 5 5; sleep 1; block hidden
  xdotool mousemove $((X + 200)) $((Y + 20)); sleep 2; block shown
done
kill "$pid"; wait "$pid" 2>/dev/null
rm -rf "$dir"
