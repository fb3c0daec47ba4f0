# shellcheck shell=bash
# End-to-end under Wine on the real zrm58.exe, sourced by scripts/test-windows.sh (which defines
# root, out, run_env, pass, fail and check, and exports the Wine prefix). A private Xvfb with a
# compositing manager and a known root colour; Wine's window driver on it; xdotool finds the
# window titled ZRM58, drags it and clicks the menu; screenshots give the pixels. Wine's window
# driver needs the display from its start, so the prefix's wineserver is restarted here.

# shellcheck source=scripts/xserver.sh
. "$root/scripts/xserver.sh"
e2e=$out/e2e
app=$e2e/app # the portable folder: zrm58.exe with ZRM58.ini beside it
rm -rf "$e2e"
mkdir -p "$app"
cp "$out/core/bin/zrm58.exe" "$app/"
send=$out/core/bin/send_to_strip.exe
ini=$app/ZRM58.ini

desktop_key='HKCU\Control Panel\Desktop'
# The screen at 96 DPI, also when an earlier run stopped in its 144 DPI step.
wine reg delete "$desktop_key" /v LogPixels /f >/dev/null 2>&1 || true
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
start_xserver 1280x800
# The known background behind the strip: a window of one colour over the whole screen (the
# compositing manager paints the root its own grey whatever its background is).
xmessage -bg '#205080' -geometry 1280x800+0+0 ' ' >/dev/null 2>&1 &
backdrop_pid=$!
trap 'wineserver -k >/dev/null 2>&1 || true; kill $backdrop_pid 2>/dev/null; stop_xserver' EXIT
background=(32 80 128)
for i in $(seq 1 600); do # the backdrop shown
  [ -n "$(xdotool search --onlyvisible --class xmessage 2>/dev/null || true)" ] && break
  sleep 0.1
done

strip_pid=
start_strip() {
  (cd "$app" && run_env wine "$app/zrm58.exe" >"$e2e/strip.log" 2>&1) &
  strip_pid=$!
}
# Waits at most $1 seconds for the strip started last to end; sets status (124: runs on). The
# bounds in this file only turn a hang into a failure: a wait ends as soon as its state comes,
# and they are long enough for Wine on a loaded machine.
wait_strip() {
  local i
  for i in $(seq 1 $(($1 * 10))); do
    kill -0 "$strip_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$strip_pid" 2>/dev/null; then
    status=124
    return
  fi
  status=0
  wait "$strip_pid" || status=$?
}
# The X window of the strip (title ZRM58), waiting for it to be mapped; empty after 60 s.
strip_window() {
  local i id
  for i in $(seq 1 600); do
    id=$(xdotool search --onlyvisible --name '^ZRM58$' 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
}
# "X Y W H" of an X window.
geometry() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$X $Y $WIDTH $HEIGHT"
}
# Waits up to 60 s for the window's geometry to become $2, then checks it.
check_geometry() { # check_geometry NAME EXPECTED WINDOW
  local i now
  for i in $(seq 1 600); do
    now=$(geometry "$3")
    [ "$now" = "$2" ] && break
    sleep 0.1
  done
  check "$1" "$2" "$now"
}
# "R G B" of a screen pixel in the screenshot $1.
pixel() { convert "$1" -format '%[fx:int(255*p{'"$2"','"$3"'}.r+0.5)] %[fx:int(255*p{'"$2"','"$3"'}.g+0.5)] %[fx:int(255*p{'"$2"','"$3"'}.b+0.5)]' info:; }
near() { # near "R G B" "R G B": every channel within 3
  local a b i
  read -r -a a <<<"$1"
  read -r -a b <<<"$2"
  for i in 0 1 2; do
    [ $((a[i] - b[i])) -le 3 ] && [ $((b[i] - a[i])) -le 3 ] || return 1
  done
}
# The menu's X window: the visible window of the program that is not the strip.
menu_window() {
  local i id
  for i in $(seq 1 600); do
    for id in $(xdotool search --onlyvisible --class 'zrm58' 2>/dev/null); do
      [ "$id" != "$1" ] && [ "$(xdotool getwindowname "$id")" != ZRM58 ] && { echo "$id"; return; }
    done
    sleep 0.1
  done
}
# Opens the menu with a click on the strip's button and chooses item $2 (1..3) of three.
choose() { # choose STRIP_WINDOW ITEM
  local X Y WIDTH HEIGHT menu
  read -r X Y WIDTH HEIGHT <<<"$(geometry "$1")"
  # Just inside the 5-pixel margin (7.5 at 144 DPI, where the strip is 60 high): the button is
  # scaled with the line and only some 4 pixels wide on the narrowest strip.
  xdotool mousemove $((X + (HEIGHT >= 60 ? 12 : 7))) $((Y + HEIGHT / 2)) click 1
  menu=$(menu_window "$1")
  [ -n "$menu" ] || { fail "menu did not open"; return; }
  read -r X Y WIDTH HEIGHT <<<"$(geometry "$menu")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT * (2 * $2 - 1) / 6))
  sleep 0.2
  xdotool click 1
  # Chosen once the menu is gone.
  local i
  for i in $(seq 1 600); do
    [ -z "$(xdotool search --onlyvisible --class zrm58 2>/dev/null | grep -x "$menu" || true)" ] && break
    sleep 0.1
  done
}
# Waits (at most about a minute) until the strip window $1 shows its line: dark glyphs in the
# middle of it. Its first tick sets the line and may widen the strip to it.
wait_line() { # wait_line WINDOW
  local i X Y WIDTH HEIGHT dark
  for i in $(seq 1 150); do
    read -r X Y WIDTH HEIGHT <<<"$(geometry "$1")"
    import -window root "$e2e/line.png"
    dark=$(convert "$e2e/line.png" -crop $((WIDTH * 3 / 4))x$((HEIGHT / 2))+$((X + WIDTH / 8))+$((Y + HEIGHT / 4)) \
      -colorspace gray -threshold 30% -format '%[fx:int(w*h*(1-mean))]' info:)
    [ "$dark" -gt 150 ] && return 0
    sleep 0.2
  done
  return 1
}
drag() { # drag FROM_X FROM_Y TO_X TO_Y, in steps as a hand does
  xdotool mousemove "$1" "$2" mousedown 1
  sleep 0.1
  local k
  for k in 1 2 3 4; do
    xdotool mousemove $(($1 + ($3 - $1) * k / 4)) $(($2 + ($4 - $2) * k / 4))
    sleep 0.05
  done
  xdotool mouseup 1
  sleep 0.2
}
ini_value() { iconv -f UTF-16 -t UTF-8 "$ini" 2>/dev/null | tr -d '\r' | sed -n "s/^$1=//p" | head -1; }

# 1. First start without a settings file: at 200, 200, 523 x 40, drawn per pixel translucent;
# at its first tick it widens to the line when 523 is too narrow for it (Wine's fonts are wider
# than Windows' own), and what follows is measured from that width, w0.
start_strip
win=$(strip_window)
if [ -z "$win" ]; then
  fail "zrm58.exe: no window titled ZRM58"
else
  check "first start: geometry" "200 200 40" "$(geometry "$win" | awk '{print $1, $2, $4}')"
  wait_line "$win" || fail "first start: no line shown"
  read -r _ _ w0 _ <<<"$(geometry "$win")"
  if [ "$w0" -ge 523 ]; then pass; else fail "first start: $w0 pixels wide"; fi
  check "first start: only the width follows the line" "200 200 40" \
    "$(geometry "$win" | awk '{print $1, $2, $4}')"
  shot=$e2e/strip.png
  import -window root "$shot"
  check "background outside the strip" "${background[*]}" "$(pixel "$shot" 150 150)"
  # The 5-pixel margin is fully transparent; inside it the rectangle FFDCDCDC at opacity 0.5
  # lies over the background: 0.5 x 220 + 0.5 x background per channel.
  check "margin: the background shows through" "${background[*]}" "$(pixel "$shot" 202 220)"
  expected="$(((220 + background[0]) / 2)) $(((220 + background[1]) / 2)) $(((220 + background[2]) / 2))"
  got=$(pixel "$shot" 300 207)
  if near "$expected" "$got"; then pass; else fail "rectangle at opacity 0.5: expected ~$expected, got $got"; fi
  # The line: dark glyphs in the label's box.
  dark=$(convert "$shot" -crop 400x22+240+211 -colorspace gray -threshold 30% -format '%[fx:int(w*h*(1-mean))]' info:)
  if [ "$dark" -gt 150 ]; then pass; else fail "the line: $dark dark pixels in its box"; fi

  # The details on hover: after a rest on the line a panel shows below the strip (lined up with
  # its rounded box, 6 below it: the box is 205..718 x 205..235); it goes when the pointer leaves.
  xdotool mousemove 400 218
  sleep 0.1
  xdotool mousemove 402 219
  panel=
  for i in $(seq 1 600); do
    panel=$(xdotool search --onlyvisible --name '^ZRM58 details$' 2>/dev/null | head -1 || true)
    [ -n "$panel" ] && break
    sleep 0.1
  done
  if [ -n "$panel" ]; then
    read -r px py _ ph <<<"$(geometry "$panel")"
    check "details: below the strip" "205 241" "$px $py"
    [ "$ph" -gt 100 ] && pass || fail "details: only $ph pixels high"
    xdotool mousemove 900 600
    for i in $(seq 1 600); do
      [ -z "$(xdotool search --onlyvisible --name '^ZRM58 details$' 2>/dev/null || true)" ] && break
      sleep 0.1
    done
    check "details: gone when the pointer leaves" "" \
      "$(xdotool search --onlyvisible --name '^ZRM58 details$' 2>/dev/null || true)"
  else
    fail "details: no panel after a rest on the line"
  fi

  # 2. A drag moves it by the pointer's travel.
  drag 500 215 550 265
  check_geometry "drag: new position" "250 250 $w0 40" "$win"

  # 3. The menu opens at the button's bottom-left corner (5 + 33 x 30/33 below the top).
  xdotool mousemove 262 270 click 1
  menu=$(menu_window "$win")
  if [ -n "$menu" ]; then
    read -r mx my _ _ <<<"$(geometry "$menu")"
    check "menu at the button's bottom-left corner" "255 285" "$mx $my"
    sleep 0.3
    import -window root "$e2e/menu-96.png"
    xdotool key Escape
    for i in $(seq 1 600); do
      [ -z "$(xdotool search --onlyvisible --class zrm58 2>/dev/null | grep -vx "$win" || true)" ] && break
      [ "$i" = 30 ] && xdotool mousemove 900 600 click 1 # a click outside closes it as well
      sleep 0.1
    done
  else
    fail "menu did not open at a click on the button"
  fi

  # 4. Resize mode: a drag resizes from the bottom-right corner; the size guard stops at 80 x 30.
  choose "$win" 1
  drag 700 270 800 290
  check_geometry "resize: +100, +20" "250 250 $((w0 + 100)) 60" "$win"
  drag 700 290 750 300 # the mode ended with the release over the strip: this moves it
  check_geometry "after a resize, a drag moves" "300 260 $((w0 + 100)) 60" "$win"
  choose "$win" 1
  drag 800 300 60 200
  check_geometry "size guard" "300 260 80 30" "$win"
  xdotool mousemove 360 275 click 1 # a click on the strip ends the mode left on outside it
  sleep 0.2

  # 5. The exit item saves Left and Top (UTF-16 LE with a byte-order mark) and ends with 0.
  choose "$win" 3
  wait_strip 60
  check "exit: status" 0 "$status"
  check "exit: UTF-16 LE byte-order mark" "fffe" "$(head -c 2 "$ini" 2>/dev/null | od -An -tx1 | tr -d ' \n')"
  check "exit: Left Top Width Height saved" "300 260 80 30" \
    "$(ini_value Left) $(ini_value Top) $(ini_value Width) $(ini_value Height)"
fi

# 6. A second start finds the settings; the session-end query saves; a later start hands over.
# Values that the settings window limits are put in the file first (UTF-8 is read as well).
iconv -f UTF-16 -t UTF-8 "$ini" | tr -d '\r' |
  sed -e 's/^Interval=.*/Interval=2500/' -e 's/^Opacity=.*/Opacity=0.05/' >"$ini.utf8" && mv "$ini.utf8" "$ini"
start_strip
win=$(strip_window)
if [ -z "$win" ]; then
  fail "zrm58.exe (second run): no window"
else
  first_pid=$strip_pid
  check "restart: saved geometry" "300 260 80 30" "$(geometry "$win")"
  drag 330 270 430 370
  check_geometry "drag before the session end" "400 360 80 30" "$win"
  check "WM_QUERYENDSESSION: the answer (may end)" 1 "$(run_env wine "$send" queryendsession | tr -d '\r')"
  check "WM_QUERYENDSESSION: saved" "400 360" "$(ini_value Left) $(ini_value Top)"
  start_strip
  wait_strip 60
  check "a second start hands over and ends" 0 "$status"
  check "one strip" 1 "$(xdotool search --onlyvisible --name '^ZRM58$' | wc -l)"
  strip_pid=$first_pid

  # 7. The settings window: filled from the strip, a click on a separator entry appends it,
  # Close copies back, saves and closes. Control ids as the window numbers them.
  choose "$win" 2
  dialog=
  for i in $(seq 1 600); do
    dialog=$(xdotool search --onlyvisible --name '^設定$' 2>/dev/null | head -1 || true)
    [ -n "$dialog" ] && break
    sleep 0.1
  done
  if [ -z "$dialog" ]; then
    fail "settings window did not open"
  else
    control() { run_env wine "$send" "settings-$1" "$2" | tr -d '\r'; }
    # Every label and check box holds its text in the window's 12-pixel font.
    check "settings at 96 DPI: every text fits" "" "$(control clipped 12)"
    import -window root "$e2e/settings-96.png"
    # The colour picker has an alpha and a hexadecimal field: a translucent colour typed there
    # is the background colour saved.
    read -r l t r b <<<"$(control rect 114)"
    xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
    sleep 1.5
    import -window root "$e2e/colour-96.png"
    check "colour picker: the hexadecimal field takes #AARRGGBB" 0 \
      "$(run_env wine "$send" colour-hex '#80102030' >/dev/null 2>&1; echo $?)"
    sleep 0.5
    read -r l t r _ <<<"$(control rect 110)"
    xdotool mousemove $(((l + r) / 2)) $((t + 8)) click 1 # the separator list's first entry, ｜
    sleep 0.3
    read -r l t r b <<<"$(control rect 122)"
    xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1 # Close
    for i in $(seq 1 600); do # Close saves, then closes
      [ -z "$(xdotool search --onlyvisible --name '^設定$' 2>/dev/null || true)" ] && break
      sleep 0.1
    done
    # Filled from the strip (2500 ms shows 2 s, opacity 0.05 shows 0.1), copied back (the width
    # factor 1 gives the window 515 + 10; a first start widened to its line keeps its w0) and
    # saved by Close; the entry appended to the separator.
    # (The opacity is kept in single precision: 0.1 is written as the float nearest to it.)
    check "settings: Close saves what the window holds" "2000 0.100000001 $([ "$w0" -gt 523 ] && echo "$w0" || echo 525) ｜｜" \
      "$(ini_value Interval) $(ini_value Opacity | cut -c1-11) $(ini_value Width) $(ini_value SEP)"
    check "settings: the translucent colour picked is saved" "80102030" "$(ini_value Color1)"
    check "settings: Close closes" "" "$(xdotool search --onlyvisible --name '^設定$' 2>/dev/null || true)"
  fi
  # 7b. Near the screen's bottom the menu opens upward: its bottom at the button's top (the
  # strip's top + 5), the button left free.
  read -r sx sy sw sh <<<"$(geometry "$win")"
  drag $((sx + sw / 2)) $((sy + sh / 2)) $((sx + sw / 2)) $((sy + sh / 2 + 760 - sy))
  check_geometry "dragged to the bottom" "$sx 760 $sw $sh" "$win"
  xdotool mousemove $((sx + 7)) $((760 + sh / 2)) click 1
  menu=$(menu_window "$win")
  if [ -n "$menu" ]; then
    read -r mx my _ mh <<<"$(geometry "$menu")"
    check "menu near the bottom: opens upward from the button's top-left corner" \
      "$((sx + 5)) 765" "$mx $((my + mh))"
    xdotool key Escape
    sleep 0.3
  else
    fail "menu did not open near the bottom"
  fi
  run_env wine "$send" close >/dev/null
  wait_strip 60
  check "WM_CLOSE: status" 0 "$status"
fi

# 8. A stored colour that does not convert: the error box, no strip, exit status 1.
printf '[Back]\r\nColor1=NOCOLOUR\r\n' >"$ini"
start_strip
box=
for i in $(seq 1 600); do
  box=$(xdotool search --onlyvisible --name 'アプリケーションエラー' 2>/dev/null | head -1 || true)
  [ -n "$box" ] && break
  sleep 0.1
done
if [ -n "$box" ]; then
  pass
  check "bad colour: no strip" "" "$(xdotool search --onlyvisible --name '^ZRM58$' 2>/dev/null || true)"
  xdotool windowfocus "$box" key Return 2>/dev/null || true
else
  fail "bad colour: no error box titled アプリケーションエラー"
fi
wait_strip 60
[ "$status" = 124 ] && kill "$strip_pid" 2>/dev/null
check "bad colour: exit status" 1 "$status"

# 8b. A settings file that cannot be written (beyond the 16 MiB a settings file may have): 終了
# shows the error in a box whose default (Return) keeps the strip running; its second button
# (Tab, then Return) ends the strip without saving, the file as it was.
{ printf '\xff\xfe'; head -c $((17 << 20)) /dev/zero | tr '\0' ' '; } >"$ini"
ini_bytes=$(stat -c %s "$ini")
# The strip and the box are both titled ZRM58: waits for $1 such windows.
titled_zrm58() {
  local i
  for i in $(seq 1 100); do
    [ "$(xdotool search --onlyvisible --name '^ZRM58$' 2>/dev/null | wc -l)" -eq "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
other_zrm58() { xdotool search --onlyvisible --name '^ZRM58$' | grep -vx "$win" | head -1; }
start_strip
win=$(strip_window)
if [ -z "$win" ]; then
  fail "unwritable settings: no strip"
else
  sleep 1.5
  choose "$win" 3
  if titled_zrm58 2; then
    xdotool windowfocus "$(other_zrm58)" key Return
    titled_zrm58 1 || true
    sleep 0.5
    kill -0 "$strip_pid" 2>/dev/null && pass || fail "failed save: the default ended the strip"
    choose "$win" 3
    if titled_zrm58 2; then
      xdotool windowfocus "$(other_zrm58)" key Tab Return
      wait_strip 10
      check "failed save: 保存せずに終了 ends the strip" 0 "$status"
      check "failed save: the file as it was" "$ini_bytes" "$(stat -c %s "$ini")"
    else
      fail "failed save: no box at the second 終了"
    fi
  else
    fail "failed save: no error box at 終了"
  fi
  if kill -0 "$strip_pid" 2>/dev/null; then
    kill "$strip_pid" 2>/dev/null
    wait_strip 10
  fi
fi

# Hostile settings: a picture bomb, a large picture, a separator of 100,000 characters.
. "$root/tests/win32/strip-hostile-e2e.sh"

# 9. Window states: stay on top, untouched settings, a folder as the picture, starts at once.
. "$root/tests/win32/strip-state-e2e.sh"

# 10. At 144 DPI (150 %) the strip, aware of each monitor's DPI, takes 1.5 times the pixels for
# the same logical frame, and its settings file keeps logical pixels.
rm -f "$ini"
wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
start_strip
win=$(strip_window)
if [ -n "$win" ]; then
  wait_line "$win" || fail "144 DPI: no line shown" # the first tick, which may widen it
  read -r _ _ pw _ <<<"$(geometry "$win")"
  check "144 DPI: the frame in pixels" "300 300 60" "$(geometry "$win" | awk '{print $1, $2, $4}')"
  if [ "$pw" -ge 785 ]; then pass; else fail "144 DPI: $pw pixels wide (523 x 1.5 is 785)"; fi
  import -window root "$e2e/strip-144.png"
  # The menu, the settings window and the colour picker scaled with it, their texts whole.
  read -r X Y WIDTH HEIGHT <<<"$(geometry "$win")"
  xdotool mousemove $((X + 10)) $((Y + HEIGHT / 2)) click 1
  menu=$(menu_window "$win")
  if [ -n "$menu" ]; then
    sleep 0.3
    import -window root "$e2e/menu-144.png"
    read -r _ _ _ mh <<<"$(geometry "$menu")"
    # Three items of 24 pixels at 96 DPI: 36 each at 144.
    if [ "$mh" -ge 108 ]; then pass; else fail "144 DPI: the menu is $mh pixels high"; fi
    xdotool key Escape
    sleep 0.3
  else
    fail "144 DPI: the menu did not open"
  fi
  choose "$win" 2
  dialog=
  for i in $(seq 1 50); do
    dialog=$(xdotool search --onlyvisible --name '^設定$' 2>/dev/null | head -1 || true)
    [ -n "$dialog" ] && break
    sleep 0.1
  done
  if [ -n "$dialog" ]; then
    sleep 0.5
    import -window root "$e2e/settings-144.png"
    # The client area of 559 x 473 at 96 DPI, 1.5 times (wider where a text needs it).
    read -r l t r b <<<"$(run_env wine "$send" settings-rect 122 | tr -d '\r')"
    if [ $((r - l)) -ge 313 ] && [ $((b - t)) -ge 61 ]; then pass; else
      fail "144 DPI: the Close button is $((r - l)) x $((b - t)) (209 x 41 at 96 DPI)"
    fi
    check "settings at 144 DPI: every text fits" "" \
      "$(run_env wine "$send" settings-clipped 18 | tr -d '\r')"
    read -r l t r b <<<"$(run_env wine "$send" settings-rect 114 | tr -d '\r')"
    xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
    sleep 1.5
    import -window root "$e2e/colour-144.png"
    run_env wine "$send" colour-hex '#FF000000' >/dev/null 2>&1 || fail "144 DPI: no colour picker"
    sleep 0.5
    read -r l t r b <<<"$(run_env wine "$send" settings-rect 122 | tr -d '\r')"
    xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
    sleep 0.5
  else
    fail "144 DPI: the settings window did not open"
  fi
  run_env wine "$send" close >/dev/null
  wait_strip 60
  check "144 DPI: saved in logical pixels" "200 200 40" \
    "$(ini_value Left) $(ini_value Top) $(ini_value Height)"
  lw=$(ini_value Width)
  if [ "$lw" -ge 523 ] && [ $(((lw * 3 + 1) / 2 - pw)) -ge -1 ] && [ $(((lw * 3) / 2 - pw)) -le 1 ]; then
    pass
  else
    fail "144 DPI: saved width $lw for a frame of $pw pixels"
  fi
else
  fail "144 DPI: no window"
fi
wine reg delete "$desktop_key" /v LogPixels /f >/dev/null 2>&1 || true

# 12. In English (a user whose language has no Japanese), at 96 and at 144 DPI: the menu, the
# settings window (every text whole) and an error box speak English, and a first start writes the
# pattern without Japanese literals.
for dpi in 96 144; do
  wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  rm -f "$ini"
  (cd "$app" && ZRM58_LANGUAGE=en run_env wine "$app/zrm58.exe" >"$e2e/strip.log" 2>&1) &
  strip_pid=$!
  win=$(strip_window)
  if [ -n "$win" ] && wait_line "$win"; then
    read -r X Y WIDTH HEIGHT <<<"$(geometry "$win")"
    xdotool mousemove $((X + (HEIGHT >= 60 ? 12 : 7))) $((Y + HEIGHT / 2)) click 1
    menu=$(menu_window "$win")
    if [ -n "$menu" ]; then
      sleep 0.3
      import -window root "$e2e/menu-en-$dpi.png"
      xdotool key Escape
      for i in $(seq 1 600); do
        [ -z "$(xdotool search --onlyvisible --class zrm58 2>/dev/null | grep -vx "$win" || true)" ] && break
        [ "$i" = 30 ] && xdotool mousemove 900 600 click 1
        sleep 0.1
      done
    else
      fail "English at $dpi DPI: menu did not open"
    fi
    choose "$win" 2
    dialog=
    for i in $(seq 1 600); do
      dialog=$(xdotool search --onlyvisible --name '^Settings$' 2>/dev/null | head -1 || true)
      [ -n "$dialog" ] && break
      sleep 0.1
    done
    if [ -n "$dialog" ]; then
      pass
      sleep 0.5
      import -window root "$e2e/settings-en-$dpi.png"
      check "English settings at $dpi DPI: every text fits" "" \
        "$(run_env wine "$send" settings-clipped $((12 * dpi / 96)) | tr -d '\r')"
      xdotool windowfocus "$dialog" key Escape 2>/dev/null || true
      for i in $(seq 1 600); do
        [ -z "$(xdotool search --onlyvisible --name '^Settings$' 2>/dev/null || true)" ] && break
        sleep 0.1
      done
    else
      fail "English at $dpi DPI: no settings window titled Settings"
    fi
    run_env wine "$send" close >/dev/null
    wait_strip 60
    check "English at $dpi DPI: a first start writes the pattern without Japanese" \
      "ddd ddddd tt" "$(ini_value FORMAT)"
  else
    fail "English at $dpi DPI: no strip"
  fi
  [ "${status:-0}" = 124 ] && kill "$strip_pid" 2>/dev/null
done
wine reg delete "$desktop_key" /v LogPixels /f >/dev/null 2>&1 || true
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
printf '[Back]\r\nColor1=NOCOLOUR\r\n' >"$ini"
(cd "$app" && ZRM58_LANGUAGE=en run_env wine "$app/zrm58.exe" >"$e2e/strip.log" 2>&1) &
strip_pid=$!
box=
for i in $(seq 1 600); do
  box=$(xdotool search --onlyvisible --name '^Application Error$' 2>/dev/null | head -1 || true)
  [ -n "$box" ] && break
  sleep 0.1
done
if [ -n "$box" ]; then
  pass
  xdotool windowfocus "$box" key Return 2>/dev/null || true
else
  fail "English: no error box titled Application Error"
fi
wait_strip 60
[ "$status" = 124 ] && kill "$strip_pid" 2>/dev/null
rm -f "$ini"

# 11. All day without growing: with a short interval from the settings file (100 ms), 5000 ticks
# driven one after another besides, the details panel shown and hidden in turn every 50; its GDI
# objects, user objects and private bytes stay flat (tests/win32/LeakWatch.cpp). Bound by ticks,
# not time: a tick takes some 3.5 ms of processor under Wine, and a busy machine stretches that.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
printf '[Timer]\r\nInterval=100\r\n' >"$ini"
start_strip
win=$(strip_window)
if [ -n "$win" ]; then
  status=0
  # The host's process of the strip, for its memory (Wine answers no private bytes).
  unix_pid=$(pgrep -f "^$app/zrm58.exe" | head -1)
  run_env wine "$out/core/bin/leak_watch.exe" 5000 50 "Z:\\proc\\$unix_pid\\status" \
    >"$e2e/leak.log" 2>&1 || status=$?
  tr -d '\r' <"$e2e/leak.log" | sed 's/^/windows: leak watch: /'
  check "5000 ticks: GDI objects, user objects and private bytes flat" 0 "$status"
  run_env wine "$send" close >/dev/null
  wait_strip 10
else
  fail "leak watch: no window"
fi

wineserver -k >/dev/null 2>&1 || true
kill "$backdrop_pid" 2>/dev/null || true
stop_xserver
