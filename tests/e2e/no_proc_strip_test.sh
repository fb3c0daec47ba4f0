#!/usr/bin/env bash
# The strip where /proc cannot be read (an empty /proc in a private mount namespace): it keeps
# running and ticking, shows the figures of a failed read, and says once on standard error what
# it cannot read (not once a tick). Run on a private X server (with-xserver.sh).
# Usage: no_proc_strip_test.sh PATH/TO/zrm58
set -u
# A sanitized build cannot run without /proc: its runtime reads its options from
# /proc/self/environ and stops every thread through /proc/PID/task for the leak check, so it ends
# with a fatal error of its own. The plain build's run checks the program.
if ldd "$1" 2>/dev/null | grep -q 'libasan\|libubsan'; then
  echo "SKIP: a sanitized build needs /proc itself"
  exit 77
fi
if ! unshare -m sh -c 'mount -t tmpfs none /proc' 2>/dev/null; then
  echo "SKIP: no private mount namespace here"
  exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$1" "$dir/zrm58" # its own directory: the settings file is made there
unshare -m sh -c 'mount -t tmpfs none /proc && exec "$0"' "$dir/zrm58" 2>"$dir/err" &
strip=$!
# Both lines said (at most 60 s, however loaded the machine), then three ticks and more in which
# a line said once a tick would show again.
for ((i = 0; i < 600; i++)); do
  [ "$(grep -c '^zrm58: cannot read ' "$dir/err")" -ge 2 ] && break
  kill -0 "$strip" 2>/dev/null || break
  sleep 0.1
done
sleep 3.5
failures=0
if kill -0 "$strip" 2>/dev/null; then
  kill -TERM "$strip"
  wait "$strip"
else
  failures=$((failures + 1)); echo "FAIL: the strip ended"
fi
grep -v '^QStandardPaths\|^qt\.' "$dir/err" >"$dir/said" || true
cat "$dir/said"
for what in "the memory figures" "the processor times"; do
  n=$(grep -c "^zrm58: cannot read $what" "$dir/said")
  [ "$n" == 1 ] || { failures=$((failures + 1)); echo "FAIL: '$what' said $n times (want once)"; }
done
[ "$(wc -l <"$dir/said")" == 2 ] || { failures=$((failures + 1)); echo "FAIL: other lines on stderr"; }
echo "no proc strip: $((failures == 0 ? 1 : 0)) passed, $failures failed"
[ "$failures" -eq 0 ]
