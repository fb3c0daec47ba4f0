#!/usr/bin/env bash
# Takes a picture of the strip on a private virtual X server with a compositing manager.
#   scripts/screenshot.sh OUT.png [SETTINGS.ini] [menu|settings]
# The strip runs from a temporary copy with SETTINGS.ini beside it (defaults without one); after
# a few ticks the screen around the strip is cropped into OUT.png. "menu" opens the menu first,
# "settings" the settings window. Needs a build (scripts/build.sh); ZRM58_BUILD_DIR names another
# build folder than build/, ZRM58_LANG another locale than ja_JP.UTF-8.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "$1")
settings=${2:-}
what=${3:-strip}
work=$(mktemp -d)
cp "${ZRM58_BUILD_DIR:-$root/build}/bin/zrm58" "$work/"
[ -n "$settings" ] && iconv -f UTF-8 -t UTF-16LE "$settings" | { printf '\xff\xfe'; cat; } \
  > "$work/ZRM58.ini"

# shellcheck source=scripts/xserver.sh
. "$root/scripts/xserver.sh"
start_xserver 1000x700
# A coloured backdrop window under the strip, so that its translucency shows in the picture.
display -geometry +0+0 -size 700x1000 -rotate 90 gradient:'#26557a'-'#e0a458' 2>/dev/null &
backdrop_pid=$!
backdrop=$(xdotool search --sync --onlyvisible --name '^ImageMagick' | head -1)
# env -C runs the strip itself (no subshell between), so $! is the strip and the trap's TERM
# reaches it; waiting lets its session-end save finish before the copy is removed.
env -C "$work" LANG="${ZRM58_LANG:-ja_JP.UTF-8}" ./zrm58 &
strip=$!
trap 'kill $strip 2>/dev/null || true; wait $strip 2>/dev/null || true
  kill $backdrop_pid 2>/dev/null || true; stop_xserver; rm -rf "$work"' EXIT
# The first visible window that is neither the root window, the backdrop nor the strip. (xdotool's
# name search does not match the settings window's Japanese title, so windows are told apart so.)
other_window() {
  local w root
  root=$(xdotool search --maxdepth 0 --name '.*' 2>/dev/null | head -1)
  for w in $(xdotool search --onlyvisible --name '.*' 2>/dev/null); do
    [ "$w" = "$win" ] || [ "$w" = "$root" ] || [ "$w" = "$backdrop" ] || { echo "$w"; return; }
  done
}
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
  # The settings item is the middle one of the menu's three: click the popup's centre line.
  popup=$(other_window)
  eval "$(xdotool getwindowgeometry --shell "$popup")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)); sleep 0.3; xdotool click 1
  sleep 1
  dlg=$(other_window) # the popup has closed: the one left is the settings window
  eval "$(xdotool getwindowgeometry --shell "$dlg")"
  crop="$((WIDTH + 20))x$((HEIGHT + 20))+$((X - 10))+$((Y - 10))"
fi
import -window root -crop "$crop" +repage "$out"
echo "$out"
