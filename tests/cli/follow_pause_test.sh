#!/usr/bin/env bash
# zrm58-line --follow stopped (SIGSTOP) for several intervals and continued (SIGCONT): the lines
# it missed are skipped, not printed in a burst on waking, and the lines go on afterwards.
# Usage: follow_pause_test.sh PATH/TO/zrm58-line
set -u
line=$1
out=$(mktemp)
trap 'kill -CONT $pid 2>/dev/null; kill $pid 2>/dev/null; rm -f "$out"' EXIT
count() { wc -l <"$out"; }

# 200 ms interval, the date only (no load sampling: nothing slow between two lines).
"$line" --settings "$(mktemp -u)/none.ini" --only date --format 'hh:nn:ss.zzz' \
  --interval 200 --follow >"$out" &
pid=$!
sleep 0.7
kill -STOP $pid
sleep 0.3 # let a line being written settle
before=$(count)
sleep 1.6 # eight intervals missed
kill -CONT $pid
sleep 0.1
burst=$(($(count) - before))
sleep 0.6
after=$(($(count) - before))

failures=0
# At most the one line whose grid point may fall within 100 ms of waking.
if [ "$burst" -le 1 ]; then echo "ok: $burst line(s) within 100 ms of waking"; else
  failures=$((failures + 1)); echo "FAIL: $burst lines within 100 ms of waking (a catch-up burst)"; fi
# Within 700 ms of waking the lines go on at their pace: 3 or 4 of them.
if [ "$after" -ge 2 ] && [ "$after" -le 5 ]; then echo "ok: $after lines within 700 ms"; else
  failures=$((failures + 1)); echo "FAIL: $after lines within 700 ms of waking"; fi
echo "$((2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
