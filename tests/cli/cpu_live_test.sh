#!/usr/bin/env bash
# The processor piece against the machine's own counters (the cpu line of /proc/stat, read here
# before and after the program's interval) while short-lived processes keep one processor busy:
# each lives 0.2 s, so most of them start and end between the program's two samples.
# Usage: cpu_live_test.sh PATH/TO/zrm58-line
set -u
line=$1
nofile=$(mktemp -u)/none.ini # no settings file: the defaults
tolerance=12                 # percentage points: the two intervals differ by the start-up

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
  want=$(( (busy1 - busy0) * 100 / (total1 - total0) ))
  echo "round $round: zrm58-line '$got', /proc/stat ${want}%"
  if [ -z "$figure" ] || [ $((figure - want)) -gt $tolerance ] || [ $((want - figure)) -gt $tolerance ]; then
    failures=$((failures + 1))
    echo "FAIL: the line's figure is not the machine's"
  fi
done
echo "cpu live: $((2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
