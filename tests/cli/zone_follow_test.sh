#!/usr/bin/env bash
# zrm58-line --follow keeps to the time zone in force at each line: a zone file named by TZ
# re-linked while it runs, and /etc/localtime replaced (in a private mount namespace, where one
# can be had) while TZ is unset.
# Usage: zone_follow_test.sh PATH/TO/zrm58-line
set -u
line=$1
zi=/usr/share/zoneinfo
[ -e "$zi/UTC" ] && [ -e "$zi/Asia/Tokyo" ] || { echo "no time-zone data: skipped"; exit 0; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0

# Minutes from the first line's hh:nn to the last's, forward: Tokyo is 540 (541 across a minute)
# ahead of UTC.
ahead() { # ahead FILE
  local first last
  first=$(head -1 "$1"); last=$(tail -1 "$1")
  [ -n "$first" ] && [ -n "$last" ] || { echo none; return; }
  local a=$((10#${first%:*} * 60 + 10#${first#*:})) b=$((10#${last%:*} * 60 + 10#${last#*:}))
  echo $(((b - a + 1440) % 1440))
}
check() { # check WHAT FILE
  local n; n=$(ahead "$2")
  if [ "$n" == 540 ] || [ "$n" == 541 ]; then echo "ok: $1"; else
    failures=$((failures + 1)); echo "FAIL $1: first $(head -1 "$2"), last $(tail -1 "$2")"; fi
}
# Waits (at most 60 s, however loaded the machine) until FILE has a line, or with "moved" until
# its last line is Tokyo's time against its first line's UTC.
wait_for() { # wait_for first|moved FILE
  local i n
  for ((i = 0; i < 600; i++)); do
    n=$(ahead "$2")
    case "$1:$n" in first:none) ;; first:*) return 0 ;; moved:540 | moved:541) return 0 ;; esac
    sleep 0.1
  done
  return 1
}

# --follow with a fast interval: a line in the first zone, then `swap`, then a line in the next.
follow() { # follow OUT SWAP-COMMAND [ENV...]
  local out=$1 swap=$2; shift 2
  env "$@" "$line" --settings "$dir/none.ini" --follow --interval 100 --only date \
    --format 'hh:nn' >"$out" &
  local pid=$!
  wait_for first "$out"
  eval "$swap"
  wait_for moved "$out"
  kill "$pid"; wait "$pid" 2>/dev/null
}

ln -s "$zi/UTC" "$dir/localtime"
follow "$dir/link.out" "ln -sfn $zi/Asia/Tokyo $dir/next && mv -T $dir/next $dir/localtime" \
  TZ="$dir/localtime"
check "TZ names a link that is re-pointed" "$dir/link.out"

ln -sfn "$zi/UTC" "$dir/localtime"
follow "$dir/colon.out" "ln -sfn $zi/Asia/Tokyo $dir/next && mv -T $dir/next $dir/localtime" \
  TZ=":$dir/localtime"
check "TZ=:FILE (the form that spares the C library its checks)" "$dir/colon.out"

# TZ unset: /etc/localtime itself, replaced by a bind mount in a private mount namespace.
cp "$zi/UTC" "$dir/utc"; cp "$zi/Asia/Tokyo" "$dir/tokyo"
ns=(unshare -m); [ "$(id -u)" == 0 ] || ns=(unshare -rm)
if "${ns[@]}" true 2>/dev/null; then
  export line dir
  export -f ahead wait_for
  "${ns[@]}" bash -c '
    mount --make-rprivate / && mount --bind "$dir/utc" /etc/localtime || exit 77
    env -u TZ "$line" --settings "$dir/none.ini" --follow --interval 100 --only date \
      --format hh:nn >"$dir/etc.out" &
    pid=$!
    wait_for first "$dir/etc.out"; mount --bind "$dir/tokyo" /etc/localtime
    wait_for moved "$dir/etc.out"
    kill $pid; wait $pid 2>/dev/null; exit 0'
  if [ $? == 77 ]; then echo "skipped: /etc/localtime cannot be replaced here"; else
    check "/etc/localtime replaced, TZ unset" "$dir/etc.out"; fi
else
  echo "skipped: no private mount namespace here"
fi

# TZ naming a FIFO: nothing in the program (ICU opening its calendars included) waits on it, and
# the line shows UTC. A time-out fails instead of hanging.
mkfifo "$dir/fifo"
utc=$(date -u +%H:%M)
got=$(TZ="$dir/fifo" timeout 60 "$line" --settings "$dir/none.ini" --only date --format hh:nn)
status=$?
utc_after=$(date -u +%H:%M)
if [ "$status" == 0 ] && { [ "$got" == "$utc" ] || [ "$got" == "$utc_after" ]; }; then
  echo "ok: TZ names a FIFO"
else
  failures=$((failures + 1)); echo "FAIL TZ names a FIFO: status $status, got '$got' at $utc UTC"
fi

[ "$failures" == 0 ]
