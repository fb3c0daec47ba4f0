#!/usr/bin/env bash
# zrm58-line as a user runs it: exact outputs for fixed instants, exit codes for bad input.
# Usage: cli_test.sh PATH/TO/zrm58-line
set -u
line=$1
nofile=$(mktemp -u)/none.ini # no settings file: the defaults
data=$(dirname "$0")/../data/cli
failures=0; passed=0

expect() { # expect WHAT EXPECTED COMMAND...
  local what=$1 want=$2; shift 2
  local got; got=$("$@" 2>/dev/null)
  if [ "$got" == "$want" ]; then passed=$((passed + 1)); else
    failures=$((failures + 1)); printf 'FAIL %s\n  want: %s\n  got:  %s\n' "$what" "$want" "$got"; fi
}

expect_exit() { # expect_exit WHAT CODE COMMAND...
  local what=$1 want=$2; shift 2
  local err; err=$("$@" 2>&1 >/dev/null); local code=$?
  if [ "$code" == "$want" ] && [ "$(printf '%s' "$err" | wc -l)" -le 0 ]; then passed=$((passed + 1)); else
    failures=$((failures + 1)); printf 'FAIL %s: exit %s (want %s), stderr: %s\n' "$what" "$code" "$want" "$err"; fi
}

expect "single letters, no zero padding" "2023/1/3 8:4:3" \
  "$line" --settings "$nofile" --format 'yyyy/m/d h:n:s' --at 2023-01-03T08:04:03.007 --only date
expect "Japanese locale: day name and era" "2023年05月30日 (火) 08:18:13 (令和 5年)" \
  env LANG=ja_JP.UTF-8 LC_ALL= LC_TIME= "$line" --settings "$nofile" --at 2023-05-30T08:18:13 --only date
expect "English locale: day name and Gregorian era" "2023年05月30日 (Tue) 08:18:13 (AD 2023年)" \
  env LANG=en_US.UTF-8 LC_ALL= LC_TIME= "$line" --settings "$nofile" --at 2023-05-30T08:18:13 --only date
expect "C locale counts as en-US" "Tue 5/30/23" \
  env LANG=C LC_ALL= LC_TIME= "$line" --settings "$nofile" --format 'ddd ddddd' --at 2023-05-30T08:18:13 --only date
expect "pattern from the settings file" "2023/05/30" \
  env LANG=C LC_ALL= LC_TIME= "$line" --settings "$(dirname "$0")/../data/cli/pattern.ini" --at 2023-05-30T08:18:13 --only date
expect "empty pattern renders as c" "1/3/23 8:04:03 AM" \
  env LANG=en_US.UTF-8 LC_ALL= LC_TIME= "$line" --settings "$nofile" --format '' --at 2023-01-03T08:04:03.007 --only date
expect_exit "malformed --at" 2 "$line" --at 2023-02-30T00:00:00
expect_exit "unknown option" 2 "$line" --nope
expect_exit "--only without a piece" 2 "$line" --only
expect_exit "help" 0 "$line" --help

# Only the settings the line uses are read: colours the strip refuses do not stop it.
expect "a bad colour does not stop the line" "2023/05/30" \
  env LANG=C LC_ALL= LC_TIME= "$line" --settings "$data/bad_colour.ini" --at 2023-05-30T08:18:13 --only date
out=$("$line" --settings "$data/bad_colour.ini" --at 2023-05-30T08:18:13 2>&1)
case "$out" in ★2023/05/30★RAM:*★CPU:*) passed=$((passed + 1)) ;;
  *) failures=$((failures + 1)); echo "FAIL whole line from a file with bad colours: $out" ;; esac

# A file written in an 8-bit editor (Latin-1 letters) is read, not taken for UTF-16.
expect "8-bit settings file" "30.05.2023 08:18 »" \
  env LANG=C LC_ALL= LC_TIME= "$line" --settings "$data/../settings/latin1.ini" --at 2023-05-30T08:18:13 --only date

# Anything but a regular file is "cannot read", at once (the timeout turns a hang into 124; it is
# long, for a sanitized build on a loaded machine, and a run that ends ends it at once).
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
mkfifo "$tmp/ZRM58.ini"; ln -s /dev/zero "$tmp/zero.ini"
for target in "$tmp/ZRM58.ini" /dev/zero "$tmp/zero.ini"; do
  err=$(timeout 60 "$line" --settings "$target" --only date 2>&1 >/dev/null); code=$?
  if [ "$code" == 1 ] && [ "$err" == "zrm58-line: cannot read $target: not a regular file" ]; then
    passed=$((passed + 1)); else failures=$((failures + 1))
    printf 'FAIL not a regular file %s: exit %s, stderr: %s\n' "$target" "$code" "$err"; fi
done

# A stored interval gets the bound --interval has: one above it is told in one line and the line
# samples over the default instead of waiting for it (the timeout turns a long wait into 124).
printf '[Timer]\nInterval=2147483647\n' >"$tmp/huge_interval.ini"
err=$(timeout 60 "$line" --settings "$tmp/huge_interval.ini" --only cpu 2>&1 >/dev/null); code=$?
case "$code:$err" in
  "0:zrm58-line: $tmp/huge_interval.ini: Interval=2147483647 is above"*"the line samples over 1000 ms")
    passed=$((passed + 1)) ;;
  *) failures=$((failures + 1)); printf 'FAIL stored interval above the bound: exit %s, stderr: %s\n' "$code" "$err" ;;
esac

# A failed write ends the line with 1 and one line on stderr, in both modes; a reader that goes
# away (a closed pipe) is a quiet end (the timeout turns a line that keeps going into 124).
write_failure() { # write_failure WHAT WANT-CODE WANT-LINES REDIRECT MODE-OPTIONS...
  local what=$1 want=$2 lines=$3 redirect=$4; shift 4
  local err code
  case "$redirect" in
    full) err=$(timeout 60 "$line" --settings "$nofile" --interval 100 "$@" 2>&1 >/dev/full); code=$? ;;
    closed) err=$(timeout 60 "$line" --settings "$nofile" --interval 100 "$@" 2>&1 >&-); code=$? ;;
    pipe) err=$( { timeout 60 "$line" --settings "$nofile" --interval 100 "$@" 2>&3 | head -c0; \
                   echo "${PIPESTATUS[0]}" >&4; } 3>&1 4>"$tmp/code"); code=$(cat "$tmp/code") ;;
  esac
  if [ "$code" == "$want" ] && [ "$(printf '%s' "$err" | grep -c .)" == "$lines" ]; then
    passed=$((passed + 1)); else failures=$((failures + 1))
    printf 'FAIL write failure, %s: exit %s (want %s), stderr: %s\n' "$what" "$code" "$want" "$err"; fi
}
write_failure "one line to a full disk" 1 1 full --only date
write_failure "one line to a closed output" 1 1 closed --only date
write_failure "--follow to a full disk" 1 1 full --only date --follow
write_failure "--follow to a closed output" 1 1 closed --only date --follow
write_failure "--follow --json to a full disk" 1 1 full --only date --follow --json
write_failure "--follow into a pipe closed by its reader" 0 0 pipe --only date --follow

# The memory piece follows /proc/meminfo by the strip's formula (read just before and after).
mem=$("$line" --settings "$nofile" --only memory)
case "$mem" in RAM:\ [0-9]*%\ \([0-9]*.[0-9]/[0-9]*.[0-9]\)) passed=$((passed + 1)) ;;
  *) failures=$((failures + 1)); echo "FAIL memory piece: $mem" ;; esac

# --json: objects that parse, whose text is the plain line of the same instant, and whose
# tooltip names a process that keeps one processor busy.
check() { # check WHAT CONDITION-EXIT-CODE
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAIL $1"; fi
}
field() { python3 -c 'import json,sys; print(json.loads(sys.stdin.readline())[sys.argv[1]])' "$1"; }
spin_dir=$(mktemp -d)
cp "$(command -v yes)" "$spin_dir/zrm58-spin"
nice -n -10 "$spin_dir/zrm58-spin" >/dev/null 2>&1 &
spin=$!
at=(--settings "$nofile" --at 2023-05-30T08:18:13)
json=$("$line" "${at[@]}" --json)
printf '%s\n' "$json" | python3 -m json.tool >/dev/null; check "--json output parses" $?
date_piece=$("$line" "${at[@]}" --only date)
text=$(printf '%s\n' "$json" | field text)
case "$text" in "｜$date_piece｜RAM: "*"｜CPU:"*%) check "--json text is the line" 0 ;;
  *) check "--json text is the line (got: $text)" 1 ;; esac
tooltip=$(printf '%s\n' "$json" | field tooltip)
# The name sits in a direction isolate (FSI ... PDI, U+2068 ... U+2069) before its pid.
case "$tooltip" in *$'\xe2\x81\xa8'"zrm58-spin"$'\xe2\x81\xa9'" ($spin)"*)
  check "--json tooltip names the busy process" 0 ;;
  *) check "--json tooltip names the busy process (got: $tooltip)" 1 ;; esac
# The tooltip's headings in the user's language: English for a language without a translation,
# the design's Japanese for none at all (the C locale) and for Japanese.
for row in "en_US.UTF-8||Processors" "de_DE.UTF-8||Processors" "en_US.UTF-8|C|プロセッサ" \
  "ja_JP.UTF-8||プロセッサ"; do
  IFS='|' read -r lang lc_all heading <<<"$row"
  tip=$(env -u ZRM58_LANGUAGE -u LANGUAGE LANG="$lang" LC_ALL="$lc_all" "$line" "${at[@]}" \
    --json --interval 200 | field tooltip)
  case "$tip" in "$heading"*) check "--json tooltip under LANG=$lang LC_ALL=$lc_all" 0 ;;
    *) check "--json tooltip under LANG=$lang LC_ALL=$lc_all begins with $heading (got: ${tip%%$'\n'*})" 1 ;; esac
done
class=$(printf '%s\n' "$json" | field class)
case "$class" in idle|low|medium|high|busy) check "--json class" 0 ;; *) check "--json class: $class" 1 ;; esac
only=$("$line" "${at[@]}" --only date --json --interval 200 | field text)
[ "$only" == "$date_piece" ]; check "--json --only date text is the plain piece" $?
# The first two lines, however long a loaded machine takes to print them; the line then ends
# quietly at its next write into the closed pipe (the timeout turns a line that never comes into
# too few lines).
follow=$(timeout 60 "$line" --settings "$nofile" --json --follow --interval 400 | head -n 2)
[ "$(printf '%s\n' "$follow" | wc -l)" -ge 2 ] &&
  printf '%s\n' "$follow" | python3 -c 'import json,sys; [json.loads(l) for l in sys.stdin]'
check "--json --follow: one object per interval" $?
kill "$spin"; rm -rf "$spin_dir"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
