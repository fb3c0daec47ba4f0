#!/usr/bin/env bash
# zrm58-line --follow stopped (SIGSTOP) for several intervals and continued (SIGCONT): the lines
# it missed are skipped, not printed in a burst on waking, and the lines go on afterwards.
# Judged by the times the lines print (to the millisecond), not by when this script looks, so a
# loaded machine that runs the script or the line late changes nothing: each line belongs to its
# own point of a 200 ms grid and prints before the next point, so any two lines but neighbours are
# more than one interval apart; a burst prints the missed lines within milliseconds.
# Usage: follow_pause_test.sh PATH/TO/zrm58-line
set -u
line=$1
out=$(mktemp)
trap 'kill -CONT $pid 2>/dev/null; kill $pid 2>/dev/null; rm -f "$out"' EXIT
count() { wc -l <"$out"; }
# Waits (at most 60 s) until the output holds at least $1 lines.
wait_lines() {
  local i
  for ((i = 0; i < 600; i++)); do
    [ "$(count)" -ge "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

failures=0 passed=0
fail() { failures=$((failures + 1)); echo "FAIL: $*"; }
ok() { passed=$((passed + 1)); echo "ok: $*"; }

# 200 ms interval, the date only (no load sampling: nothing slow between two lines).
"$line" --settings "$(mktemp -u)/none.ini" --only date --format 'hh:nn:ss.zzz' \
  --interval 200 --follow >"$out" &
pid=$!
wait_lines 3 && ok "lines before the stop" || fail "no lines before the stop"
kill -STOP $pid
sleep 1.6 # eight intervals missed at least: a stopped process prints nothing, however long this is
stopped=$(count)
kill -CONT $pid
wait_lines $((stopped + 4)) && ok "the lines go on after the stop" ||
  fail "the lines do not go on after the stop"
kill $pid
wait $pid 2>/dev/null

# The times in milliseconds of the day, one a line.
mapfile -t ms < <(awk -F'[:.]' 'NF == 4 { print (($1 * 60 + $2) * 60 + $3) * 1000 + $4 }' "$out")
gap=0 at=0
for ((i = 1; i < ${#ms[@]}; i++)); do
  d=$(((ms[i] - ms[i - 1] + 86400000) % 86400000))
  if [ "$d" -gt "$gap" ]; then gap=$d at=$i; fi
done
# The stop shows as the one long gap.
if [ "$gap" -ge 1500 ]; then ok "the stop is a gap of $gap ms"; else
  fail "no gap of the stop's length (longest $gap ms)"; fi
# After it, no three lines within 100 ms (half an interval): the one line whose grid point was
# still due on waking may print just before the next point's line, no more.
burst=0
for ((i = at + 2; i < ${#ms[@]}; i++)); do
  d=$(((ms[i] - ms[i - 2] + 86400000) % 86400000))
  [ "$d" -lt 100 ] && burst=$((burst + 1))
done
if [ "$burst" -eq 0 ]; then ok "$((${#ms[@]} - at)) lines after waking, no burst"; else
  fail "$burst lines of a catch-up burst after waking: $(tail -n +"$at" "$out" | head -n 8 | tr '\n' ' ')"; fi
echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
