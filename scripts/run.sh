#!/usr/bin/env bash
# Builds and starts the strip. Without a display (DISPLAY unset) it starts the strip on a
# virtual X server with a compositing manager, writes a screenshot after a few ticks, prints its
# path and keeps running until interrupted.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/build.sh" >/dev/null
if [ -n "${DISPLAY:-}" ]; then
  exec "$root/build/bin/zrm58" "$@"
fi

# shellcheck source=scripts/xserver.sh
. "$root/scripts/xserver.sh"
start_xserver 800x300
"$root/build/bin/zrm58" "$@" &
strip=$!
# Every step of the clean-up runs even when an earlier one finds nothing left to stop.
trap 'kill $strip 2>/dev/null || true; stop_xserver' EXIT
trap 'exit 130' INT TERM
sleep 3.5
mkdir -p "$root/shots"
shot="$root/shots/strip-$(date +%Y%m%d-%H%M%S).png"
import -window root "$shot"
echo "screenshot: $shot"
echo "the strip runs on DISPLAY=$DISPLAY; press Ctrl+C to stop it"
wait "$strip"
