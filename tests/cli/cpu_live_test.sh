#!/usr/bin/env bash
# The processor piece against the machine's own counters (the cpu line of /proc/stat, read here
# before and after the program) while short-lived processes keep one processor busy: each lives
# 0.2 s, so most of them start and end between the program's two samples.
# The program measures over its own interval, inside the one read here, and at least its 3 s
# long; the rest of this one (its start and end, longer on a loaded machine or a sanitized build)
# may have been all busy or all idle. So its figure lies between what the busy ticks read here,
# and what the idle ones read here, leave for 3 s (less a little for rounding and for counters
# that move in steps of one tick per processor).
# Usage: cpu_live_test.sh PATH/TO/zrm58-line
set -u
line=$1
nofile=$(mktemp -u)/none.ini # no settings file: the defaults
slack=2                      # percentage points
hz=$(getconf CLK_TCK)
processors=$(grep -c '^cpu[0-9]' /proc/stat)
least=$((3 * hz * processors)) # the ticks of the program's interval, at the least

# busy and total ticks: user nice system irq softirq steal; idle and iowait are not busy.
counters() { awk '/^cpu /{b=$2+$3+$4+$7+$8+$9; print b, b+$5+$6; exit}' /proc/stat; }

timeout 30 sh -c 'while :; do timeout 0.2 sh -c "while :; do :; done"; done' &
loop=$!
trap 'kill $loop 2>/dev/null' EXIT
sleep 0.5
failures=0
for round in 1 2; do
  read -r busy0 total0 < <(counters)
  got=$("$line" --settings "$nofile" --only cpu --interval 3000)
  read -r busy1 total1 < <(counters)
  figure=$(printf '%s' "$got" | sed -n 's/^CPU: *\([0-9]*\)%$/\1/p')
  busy=$((busy1 - busy0)) idle=$((total1 - total0 - (busy1 - busy0)))
  low=$((100 - (idle * 100 + least - 1) / least - slack)) high=$((busy * 100 / least + slack))
  echo "round $round: zrm58-line '$got', /proc/stat $((busy * 100 / (total1 - total0)))%" \
    "over $(((total1 - total0) * 1000 / (hz * processors))) ms: between $low% and $high%"
  if [ -z "$figure" ] || [ "$figure" -lt "$low" ] || [ "$figure" -gt "$high" ]; then
    failures=$((failures + 1))
    echo "FAIL: the line's figure is not the machine's"
  fi
done
echo "cpu live: $((2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
