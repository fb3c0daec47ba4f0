#!/usr/bin/env bash
# A display whose lock names no X server (left by a killed server, or one that ended with its PID
# namespace) is taken again; a live server's display is never, also when its lock names a PID of
# another PID namespace (a server started inside one, as the details panel's test does).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../scripts/xserver.sh
. "$root/scripts/xserver.sh"
n=$(free_display)
# A stale lock and socket in the first free place: the lock names this shell, no X server.
printf '%10d\n' $$ >"/tmp/.X$n-lock"
mkdir -p /tmp/.X11-unix && : >"/tmp/.X11-unix/X$n"
trap 'stop_xserver; rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"' EXIT
got=$(free_display)
[ "$got" = "$n" ] || { echo "stale display :$n not taken again (got :$got)"; exit 1; }
[ ! -e "/tmp/.X$n-lock" ] || { echo "stale lock of :$n kept"; exit 1; }
# A live server's display stays taken.
start_xserver 320x240
live=${DISPLAY#:}
got=$(free_display)
[ "$got" != "$live" ] || { echo "live display :$live offered"; exit 1; }
# Its lock as a server inside a PID namespace leaves it: a PID that names no X server out here.
printf '%10d\n' $$ >"/tmp/.X$live-lock"
got=$(free_display)
[ "$got" != "$live" ] || { echo "live display :$live offered (lock of another PID namespace)"; exit 1; }
xdpyinfo >/dev/null 2>&1 || { echo "live display :$live no longer answers"; exit 1; }
echo "stale display :$n taken again; live :$live kept"
