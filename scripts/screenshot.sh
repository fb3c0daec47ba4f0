#!/usr/bin/env bash
# Takes a picture of the strip on a private virtual X server with a compositing manager.
#   scripts/screenshot.sh OUT.png [SETTINGS.ini] [menu|settings]
# The strip runs from a temporary copy with SETTINGS.ini beside it (defaults without one); after
# a few ticks the screen around the strip is cropped into OUT.png. "menu" opens the menu first,
# "settings" the settings window. Needs a build (scripts/build.sh).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "$1")
settings=${2:-}
what=${3:-strip}
work=$(mktemp -d)
cp "${ZRM58_BUILD_DIR:-$root/build}/app/zrm58" "$work/"
[ -n "$settings" ] && iconv -f UTF-8 -t UTF-16LE "$settings" | { printf '\xff\xfe'; cat; } \
  > "$work/ZRM58.ini"

# shellcheck source=scripts/xserver.sh
. "$root/scripts/xserver.sh"
start_xserver 1000x700
# env -C runs the strip itself (no subshell between), so $! is the strip and the trap's TERM
# reaches it; waiting lets its session-end save finish before the copy is removed.
env -C "$work" LANG="${ZRM58_LANG:-ja_JP.UTF-8}" ./zrm58 &
strip=$!
trap 'kill $strip 2>/dev/null; wait $strip 2>/dev/null; stop_xserver; rm -rf "$work"' EXIT
win=
for _ in $(seq 1 100); do
  win=$(xdotool search --onlyvisible --name '^ZRM58$' 2>/dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.1
done
sleep 2.3
eval "$(xdotool getwindowgeometry --shell "$win")"
crop="$((WIDTH + 40))x$((HEIGHT + 40))+$((X - 20))+$((Y - 20))"
if [ "$what" = menu ] || [ "$what" = settings ]; then
  # The menu button sits at the strip's left end, inside the 5-pixel margin.
  xdotool mousemove $((X + 5 + 16 * (WIDTH - 10) / 515)) $((Y + HEIGHT / 2)) click 1
  sleep 0.6
  crop="$((WIDTH + 40))x$((HEIGHT + 140))+$((X - 20))+$((Y - 20))"
fi
if [ "$what" = settings ]; then
  xdotool key Down Down Return 2>/dev/null || true
  sleep 1
  dlg=$(xdotool search --onlyvisible --name '^設定$' | head -1)
  eval "$(xdotool getwindowgeometry --shell "$dlg")"
  crop="$((WIDTH + 20))x$((HEIGHT + 20))+$((X - 10))+$((Y - 10))"
fi
import -window root -crop "$crop" +repage "$out"
echo "$out"
