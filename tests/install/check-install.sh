#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed tree the way a user and a
# desktop see it: the programs, the menu and login entries (desktop-file-validate), the AppStream
# file (appstreamcli, where it exists), the icon at every size, the manual pages; then it runs the
# installed programs from another directory.
#   check-install.sh BUILD_DIR GUI(ON|OFF)
set -uo pipefail
build=$1
gui=${2:-ON}
case "$gui" in ON | on | 1 | TRUE | true | YES | yes) gui=1 ;; *) gui=0 ;; esac

tmp=$(mktemp -d)
prefix=$tmp/prefix
trap 'rm -rf "$tmp"' EXIT
failures=0
passes=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { passes=$((passes + 1)); }
check() { # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then pass; else fail "$what"; fi
}
# Waits (at most 60 s, however loaded the machine) until process PID has taken SIGTERM over:
# from then on the signal ends it in order, with its settings saved.
wait_term_handled() { # wait_term_handled PID
  local i mask
  for ((i = 0; i < 600; i++)); do
    mask=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$1/status" 2>/dev/null)
    [ -n "$mask" ] && (((0x$mask >> 14) & 1)) && return 0
    sleep 0.1
  done
  return 1
}

if ! cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi
share=$prefix/share

# Programs.
check "bin/zrm58-line is an executable" test -x "$prefix/bin/zrm58-line"
[ "$gui" = 1 ] && check "bin/zrm58 is an executable" test -x "$prefix/bin/zrm58"

# Desktop entries: the menu entry and the login entry, both valid and both starting the strip.
for entry in "$share/applications/zrm58.desktop" "$share/zrm58/autostart/zrm58.desktop"; do
  if [ ! -f "$entry" ]; then fail "missing $entry"; continue; fi
  out=$(desktop-file-validate "$entry" 2>&1)
  check "desktop-file-validate ${entry#"$prefix"/}: $out" test -z "$out"
  check "${entry#"$prefix"/} runs zrm58" grep -qx 'Exec=zrm58' "$entry"
  check "${entry#"$prefix"/} names the zrm58 icon" grep -qx 'Icon=zrm58' "$entry"
done

# AppStream metadata, naming the menu entry as its launchable.
metainfo=$(ls "$share"/metainfo/*.metainfo.xml 2>/dev/null | head -1)
if [ -z "$metainfo" ]; then
  fail "no metainfo file in share/metainfo"
else
  check "metainfo names zrm58.desktop" grep -q '<launchable type="desktop-id">zrm58.desktop<' \
    "$metainfo"
  if command -v appstreamcli >/dev/null; then
    check "appstreamcli validate" appstreamcli validate --no-net "$metainfo" >"$tmp/as.log" 2>&1 ||
      cat "$tmp/as.log"
  else
    echo "note: appstreamcli not found, metainfo not validated"
  fi
fi

# Icon: a PNG of exactly its size in each hicolor folder, and the scalable SVG.
pngSize() { # width and height from the PNG header (IHDR), "" when not a PNG
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || return 0
  local hex
  hex=$(od -An -tu1 -j16 -N8 "$1" | tr -s ' ' | sed 's/^ //')
  set -- $hex
  echo "$((($1 << 24) | ($2 << 16) | ($3 << 8) | $4))x$((($5 << 24) | ($6 << 16) | ($7 << 8) | $8))"
}
for size in 16 32 48 64 128 256; do
  icon=$share/icons/hicolor/${size}x${size}/apps/zrm58.png
  check "icon $size: $(pngSize "$icon" 2>/dev/null)" test "$(pngSize "$icon" 2>/dev/null)" = "${size}x${size}"
done
check "scalable icon is SVG" grep -q '<svg' "$share/icons/hicolor/scalable/apps/zrm58.svg"

# Manual pages: compressed roff that renders without warnings and names its program.
for page in zrm58 zrm58-line; do
  file=$share/man/man1/$page.1.gz
  if ! gzip -t "$file" 2>/dev/null; then fail "man page $page.1.gz missing or broken"; continue; fi
  check "man page $page has its NAME" sh -c "zcat '$file' | grep -q '^$page '"
  if command -v man >/dev/null; then
    # The pages hold Japanese examples: rendered for a UTF-8 terminal, as their readers have.
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    check "man $page renders cleanly: $warnings" test -z "$warnings"
  fi
done

# The installed zrm58-line, run from an unrelated directory with no settings file beside it.
line=$prefix/bin/zrm58-line
mkdir -p "$tmp/elsewhere"
cd "$tmp/elsewhere" || exit 1
out=$(LANG=C.UTF-8 "$line" --format 'yyyy/m/d h:n:s' --at 2023-01-03T08:04:03.007 --only date)
check "installed zrm58-line renders a fixed instant: '$out'" test "$out" = "2023/1/3 8:4:3"
out=$(LANG=C.UTF-8 "$line" --interval 100 --sep ' | ' --format yyyy)
check "installed zrm58-line prints the whole line: '$out'" \
  grep -Eq '^ \| [0-9]{4} \| RAM: [0-9]+% \([0-9]+\.[0-9]/[0-9]+\.[0-9]\) \| CPU: *[0-9]+%$' <<<"$out"
out=$("$line" --follow --interval 50 --only date --format ss.zzz | head -2)
codes=("${PIPESTATUS[@]}")
check "--follow into 'head -2': two lines, status 0 (got ${codes[0]})" \
  test "$(wc -l <<<"$out")" = 2 -a "${codes[0]}" = 0

# The installed strip, started from another directory where its own bin/ cannot be written: it
# keeps its settings in $XDG_CONFIG_HOME/zrm58/. As root every directory is writable, so the
# strip then runs as the unprivileged user "nobody".
if [ "$gui" = 1 ]; then
  runAs=()
  if [ "$(id -u)" = 0 ]; then
    if command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
      runAs=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
      chmod 755 "$tmp"
      user=nobody
    else
      runAs=(skip)
    fi
  else
    chmod a-w "$prefix/bin"
    user=$(id -un)
  fi
  if [ "${runAs[0]:-}" = skip ]; then
    echo "note: root without setpriv: the settings fallback is not checked"
  else
    home=$tmp/home
    mkdir -p "$home"
    [ "$user" = nobody ] && chown nobody "$home"
    chmod 700 "$home"
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/config" \
      XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 \
      "${runAs[@]}" "$prefix/bin/zrm58" >"$tmp/strip.log" 2>&1 &
    strip=$!
    wait_term_handled "$strip"
    kill -TERM "$strip" 2>/dev/null
    wait "$strip"
    code=$?
    check "installed zrm58 ends with 0 on SIGTERM (got $code): $(cat "$tmp/strip.log")" test "$code" = 0
    check "settings saved in \$XDG_CONFIG_HOME/zrm58/ZRM58.ini" test -s "$home/config/zrm58/ZRM58.ini"
    check "no settings file written beside the installed program" \
      test ! -e "$prefix/bin/ZRM58.ini"
    chmod u+w "$prefix/bin" 2>/dev/null
  fi
fi

echo "install tree: $passes passed, $failures failed"
[ "$failures" = 0 ]
