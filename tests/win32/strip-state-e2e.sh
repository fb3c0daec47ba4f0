# shellcheck shell=bash
# End-to-end under Wine, sourced by tests/win32/strip-e2e.sh (which defines app, ini, send,
# start_strip, wait_strip, strip_window, geometry, choose, ini_value and the checks): what the
# window system holds of the real zrm58.exe. Stay on top at start and from its check box, the
# settings window keeping what nobody touched, a folder named as the picture, and ten starts at
# once. Every wait is for a state, bounded generously for a busy machine.

# Prints what COMMAND... prints once it prints WANT, or what it printed last after SECONDS.
await() { # await SECONDS WANT COMMAND...
  local until=$((SECONDS + $1)) want=$2 got
  shift 2
  while :; do
    got=$("$@" 2>/dev/null | tr -d '\r' || true)
    [ "$got" = "$want" ] || [ "$SECONDS" -ge "$until" ] && break
    sleep 0.2
  done
  echo "$got"
}
# "on" when the strip's window is topmost (WS_EX_TOPMOST in its extended style), else "off".
topmost() {
  local ex
  ex=$(run_env wine "$send" exstyle | tr -d '\r') || return
  [ $((0x$ex & 0x8)) -ne 0 ] && echo on || echo off
}
# 1 while the settings window shows, else 0.
settings_open() { xdotool search --onlyvisible --name '^設定$' 2>/dev/null | grep -c . || true; }
# Opens the settings window from the strip's menu; fails the check NAME when it does not show.
open_settings() { # open_settings NAME STRIP_WINDOW
  choose "$2" 2
  [ "$(await 10 1 settings_open)" = 1 ] && return
  fail "$1: the settings window did not open"
  return 1
}
# A click in the middle of the settings window's control ID (its numbering).
click_control() {
  local l t r b
  read -r l t r b <<<"$(run_env wine "$send" settings-rect "$1" | tr -d '\r')"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
}
top_check=102 # 前面表示
close_button=122

# Stay on top: TopLevel=1 gives the window WS_EX_TOPMOST from the start; the check box takes it
# away and gives it back at once, while the settings window is open; another program may make
# the strip topmost too.
printf '[Form]\r\nTopLevel=1\r\n' >"$ini"
start_strip
win=$(strip_window)
if [ -z "$win" ]; then
  fail "stay on top: no strip"
else
  check "stay on top: TopLevel=1 at start" on "$(await 20 on topmost)"
  if open_settings "stay on top" "$win"; then
    click_control $top_check
    check "stay on top: unticked" off "$(await 20 off topmost)"
    click_control $top_check
    check "stay on top: ticked again" on "$(await 20 on topmost)"
    click_control $top_check
    check "stay on top: unticked again" off "$(await 20 off topmost)"
    click_control $close_button
    check "stay on top: the settings window closes" 0 "$(await 10 0 settings_open)"
    check "stay on top: kept off after the settings window" "off 0" "$(topmost) $(ini_value TopLevel)"
  fi
  # Another program's SetWindowPos(strip, HWND_TOPMOST, ...).
  run_env wine "$send" topmost >/dev/null
  check "stay on top: another program's call" on "$(await 20 on topmost)"
  run_env wine "$send" close >/dev/null
  wait_strip 20
  check "stay on top: WM_CLOSE" 0 "$status"
fi

# The settings window opened and closed with its Close button keeps every value nobody touched:
# the file after it holds the same bytes as the save before it, and the strip keeps the width of
# its factor (515 x 1.234 + 10), though the window shows 0.55 as 0.6 and 1.234 as 1.23.
printf '[Form]\r\nOpacity=0.55\r\nOriginal=1.234\r\nWidth=645\r\n' >"$ini"
start_strip
win=$(strip_window)
if [ -z "$win" ]; then
  fail "untouched values: no strip"
else
  check "untouched values: saved at the session end's query" 1 \
    "$(run_env wine "$send" queryendsession | tr -d '\r')"
  cp "$ini" "$e2e/saved.ini"
  frame=$(geometry "$win")
  check "untouched values: the width for 1.234" 645 "$(echo "$frame" | awk '{print $3}')"
  if open_settings "untouched values" "$win"; then
    check "untouched values: the window shows them rounded" "0.6 1.23" \
      "$(run_env wine "$send" settings-text 103 | tr -d '\r') $(run_env wine "$send" settings-text 107 | tr -d '\r')"
    click_control $close_button
    check "untouched values: the settings window closes" 0 "$(await 10 0 settings_open)"
    check "untouched values: Opacity and Original as they were" "0.550000011920929 1.234" \
      "$(ini_value Opacity) $(ini_value Original)"
    check "untouched values: the file's bytes" same "$(cmp -s "$e2e/saved.ini" "$ini" && echo same ||
      diff <(iconv -f UTF-16 -t UTF-8 "$e2e/saved.ini") <(iconv -f UTF-16 -t UTF-8 "$ini") | tr '\r\n' '  ')"
    check "untouched values: the strip's frame" "$frame" "$(geometry "$win")"
  fi
  run_env wine "$send" close >/dev/null
  wait_strip 20
  check "untouched values: WM_CLOSE" 0 "$status"
fi

# A folder named as the picture changes nothing, as a missing file does: no message box, the
# strip shows.
mkdir -p "$app/pictures"
printf '[Back]\r\nGazou=1\r\nGazouFile=%s\r\n' "$(winepath -w "$app/pictures" 2>/dev/null)" >"$ini"
start_strip
check "picture folder: the strip shows" 1 "$(await 20 1 run_env wine "$send" visible)"
check "picture folder: no message box" 0 "$(run_env wine "$send" boxes | tr -d '\r')"
for box in $(xdotool search --onlyvisible --name '^ZRM58$' 2>/dev/null); do
  xdotool windowfocus "$box" key Return 2>/dev/null || true # a box that should not be there
done
run_env wine "$send" close >/dev/null
wait_strip 20
[ "$status" = 124 ] && kill "$strip_pid" 2>/dev/null
check "picture folder: WM_CLOSE" 0 "$status"

# Starts at once, each writing its exit status into the folder starts/ when it ends.
starts=$e2e/starts
start_many() { # start_many COUNT
  local k
  rm -rf "$starts"
  mkdir -p "$starts"
  for k in $(seq 1 "$1"); do
    (
      code=0
      cd "$app" && run_env wine "$app/zrm58.exe" >"$starts/$k.log" 2>&1 || code=$?
      echo "$code" >"$starts/$k.status"
    ) &
  done
}
ended() { find "$starts" -name '*.status' | wc -l; }
statuses() { cat "$starts"/*.status 2>/dev/null | sort | tr '\n' ' ' | sed 's/ $//'; }

# Three starts at once on a settings file that does not convert: the first holds the file while
# its error box shows; the others wait for it and then say why themselves, one box each, instead
# of ending without a word.
printf '[Back]\r\nColor1=NOCOLOUR\r\n' >"$ini"
start_many 3
boxes=" "
until=$((SECONDS + 90))
while [ "$(ended)" -lt 3 ] && [ "$SECONDS" -lt "$until" ]; do
  for box in $(xdotool search --onlyvisible --name 'アプリケーションエラー' 2>/dev/null); do
    # A window's id may come again in a later process: the box is told by both.
    seen="$box/$(xdotool getwindowpid "$box" 2>/dev/null || true)"
    [[ "$boxes" == *" $seen "* ]] || boxes="$boxes$seen "
    xdotool windowfocus "$box" key Return 2>/dev/null || true
  done
  sleep 0.2
done
check "three starts on a bad file: each says why" 3 "$(echo $boxes | wc -w)"
check "three starts on a bad file: each ends with 1" "1 1 1" "$(statuses)"

# Ten starts at once: one strip shows, the nine others hand over to it and end with 0.
rm -f "$ini"
start_many 10
check "ten starts: nine end" 9 "$(await 120 9 ended)"
check "ten starts: every hand-over ends with 0" "0 0 0 0 0 0 0 0 0" "$(statuses)"
check "ten starts: one strip" 1 "$(await 20 1 run_env wine "$send" visible)"
check "ten starts: one window" 1 "$(xdotool search --onlyvisible --name '^ZRM58$' | wc -l)"
run_env wine "$send" close >/dev/null
await 30 10 ended >/dev/null
check "ten starts: the strip ends with 0" "0 0 0 0 0 0 0 0 0 0" "$(statuses)"
