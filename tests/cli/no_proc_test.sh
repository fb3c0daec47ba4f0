#!/usr/bin/env bash
# zrm58-line where /proc cannot be read (an empty /proc in a private mount namespace): every
# piece that needs it ends the program with one line on standard error and status 1, instead of
# a line that reads as an idle, empty machine. The date alone still works.
# Usage: no_proc_test.sh PATH/TO/zrm58-line
set -u
line=$1
nofile=$(mktemp -u)/none.ini
# A sanitized build cannot run without /proc: its runtime reads its options from
# /proc/self/environ and stops every thread through /proc/PID/task for the leak check, so it ends
# with a fatal error of its own. The plain build's run checks the program.
if ldd "$line" 2>/dev/null | grep -q 'libasan\|libubsan'; then
  echo "SKIP: a sanitized build needs /proc itself"
  exit 77
fi
if ! unshare -m sh -c 'mount -t tmpfs none /proc' 2>/dev/null; then
  echo "SKIP: no private mount namespace here"
  exit 77
fi
failures=0; passed=0

# run_without_proc ARGS...: runs zrm58-line with an empty /proc; sets out, err and code.
run_without_proc() {
  local errfile; errfile=$(mktemp)
  out=$(timeout 10 unshare -m sh -c 'mount -t tmpfs none /proc && exec "$@"' sh \
    "$line" --settings "$nofile" --interval 100 "$@" 2>"$errfile")
  code=$?
  err=$(cat "$errfile"); rm -f "$errfile"
}

expect_failure() { # expect_failure WHAT ARGS...
  local what=$1; shift
  run_without_proc "$@"
  if [ "$code" == 1 ] && [ -z "$out" ] && [ "$(printf '%s\n' "$err" | wc -l)" == 1 ] &&
    [[ "$err" == zrm58-line:\ cannot\ read* ]]; then passed=$((passed + 1)); else
    failures=$((failures + 1))
    printf 'FAIL %s: exit %s (want 1), out: %s, err: %s\n' "$what" "$code" "$out" "$err"
  fi
}

expect_failure "whole line"
expect_failure "processor" --only cpu
expect_failure "memory" --only memory
expect_failure "json" --json --only date
expect_failure "follow" --follow

run_without_proc --only date --at 2023-01-03T08:04:03 --format 'yyyy/m/d'
if [ "$code" == 0 ] && [ "$out" == "2023/1/3" ]; then passed=$((passed + 1)); else
  failures=$((failures + 1)); printf 'FAIL date alone: exit %s, out: %s, err: %s\n' "$code" "$out" "$err"
fi

echo "no proc: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
