# shellcheck shell=bash
# Hostile settings on the real zrm58.exe, sourced by tests/win32/strip-e2e.sh (which defines
# app, ini, send, start_strip, wait_strip, strip_window and the checks): a picture too large to
# decode, a picture kept at the size it is drawn, and a separator of 100,000 characters. Every
# check compares with the same strip on plain settings in the same run: memory and processor
# time as ratios or margins over that strip, never as absolute figures.

pictures=$out/pictures # made once: python writes them row by row
mkdir -p "$pictures"
[ -f "$pictures/8000.png" ] || python3 "$root/tests/win32/solid-png.py" 8000 8000 "$pictures/8000.png"
[ -f "$pictures/5600.png" ] || python3 "$root/tests/win32/solid-png.py" 5600 5600 "$pictures/5600.png"
winpath() { echo "Z:${1//\//\\}"; }
write_ini() { # write_ini LINES...: the settings file in UTF-16 LE, as the strip writes it
  { printf '\xff\xfe'; printf '%s\r\n' "$@" | iconv -f UTF-8 -t UTF-16LE; } >"$ini"
}
private_bytes() { run_env wine "$send" memory | tr -d '\r' | awk '{print $1}'; }
# The Linux process that runs the strip started last (wine keeps its process id).
strip_process() { pgrep -P "$strip_pid" | head -1; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Processor ticks the strip started last spends over 3 s, from 2 s after its window shows.
strip_cpu() {
  local p a b
  strip_window >/dev/null
  sleep 2
  p=$(strip_process)
  a=$(cpu_ticks "$p")
  sleep 3
  b=$(cpu_ticks "$p")
  echo $((b - a))
}
# Closes the strip started last with WM_CLOSE and echoes the milliseconds until its process
# ended; one that has not answered in 60 s is ended by force.
close_time() {
  local t0 p
  p=$(strip_process)
  t0=$(date +%s%N)
  run_env timeout 60 wine "$send" close >/dev/null || true
  wait_strip 20
  if [ "$status" = 124 ]; then
    kill "$p" 2>/dev/null
    wait_strip 10
  fi
  echo $((($(date +%s%N) - t0) / 1000000))
}
mib=$((1024 * 1024))

# The plain strip: what the others are measured against. A short interval makes the processor
# time of its ticks count.
write_ini '[Timer]' 'Interval=100'
start_strip
plain_cpu=$(strip_cpu)
plain_bytes=$(private_bytes)
plain_close=$(close_time)

# 1. 8000 x 8000 pixels (244 MiB decoded, a 260 kB file): refused from its header, with the
# error box, holding nothing beyond the plain strip's memory while the box waits or after it.
write_ini '[Back]' 'Gazou=1' "GazouFile=$(winpath "$pictures/8000.png")"
start_strip
box=$(strip_window) # the error box comes first, titled as the strip
if [ -n "$box" ] && [ "$(geometry "$box" | awk '{print $4}')" != 40 ]; then
  pass
  bytes=$(private_bytes)
  [ "$bytes" -lt $((plain_bytes + 32 * mib)) ] && pass ||
    fail "picture bomb: $((bytes / mib)) MiB private while the box waits (plain strip: $((plain_bytes / mib)))"
  xdotool windowfocus "$box" key Return 2>/dev/null || true
  sleep 1
  bytes=$(private_bytes)
  [ "$bytes" -lt $((plain_bytes + 32 * mib)) ] && pass ||
    fail "picture bomb: $((bytes / mib)) MiB private after the box (plain strip: $((plain_bytes / mib)))"
else
  fail "picture bomb: no error box"
fi
run_env wine "$send" close >/dev/null
wait_strip 20

# 2. 5600 x 5600 pixels (120 MiB decoded): taken, drawn, and kept at the size it is drawn.
write_ini '[Back]' 'Gazou=1' "GazouFile=$(winpath "$pictures/5600.png")"
start_strip
win=$(strip_window)
if [ -n "$win" ]; then
  sleep 1
  bytes=$(private_bytes)
  [ "$bytes" -lt $((plain_bytes + 32 * mib)) ] && pass ||
    fail "large picture: $((bytes / mib)) MiB private (plain strip: $((plain_bytes / mib)))"
  read -r X Y _ _ <<<"$(geometry "$win")"
  shot=$e2e/picture.png
  import -window root "$shot"
  read -r r g b <<<"$(pixel "$shot" $((X + 8)) $((Y + 20)))"
  [ "$g" -gt "$r" ] && [ "$g" -gt "$b" ] && pass || fail "large picture: not drawn ($r $g $b)"
  run_env wine "$send" close >/dev/null
  wait_strip 20
else
  fail "large picture: no strip"
fi

# 3. A separator of 100,000 characters, a pattern of 100,000 and a font name of 10,000: the
# strip costs about what the plain one does, per tick and to close.
sep=$(printf '｜%.0s' $(seq 1 100000))
pattern=$(printf 'yyyy%.0s' $(seq 1 25000))
family=$(printf 'F%.0s' $(seq 1 10000))
write_ini '[Timer]' 'Interval=100' '[DATE]' "SEP=$sep"
start_strip
long_cpu=$(strip_cpu)
# Five ticks (50 ms) added to both keep a plain strip that happened to spend one tick from
# making the ratio: before, the long separator took fifteen times the plain strip's ticks.
[ $((long_cpu + 5)) -le $((4 * (plain_cpu + 5))) ] && pass ||
  fail "100,000-character separator: $long_cpu processor ticks against $plain_cpu for the plain strip"
sep_close=$(close_time)
[ "$sep_close" -le $((3 * plain_close)) ] && pass ||
  fail "100,000-character separator: closed after $sep_close ms against $plain_close ms"
write_ini '[Timer]' 'Interval=100' '[DATE]' "SEP=$sep" "FORMAT=$pattern" '[Font]' "Family=$family"
start_strip
strip_window >/dev/null
sleep 2
long_close=$(close_time)
[ "$long_close" -le $((3 * plain_close)) ] && pass ||
  fail "long separator, pattern and font name: closed after $long_close ms against $plain_close ms"
echo "windows: hostile settings: plain strip $plain_cpu ticks, $((plain_bytes / mib)) MiB, closed in $plain_close ms;" \
  "long separator $long_cpu ticks, closed in $sep_close ms; with the long pattern and font name closed in $long_close ms"
