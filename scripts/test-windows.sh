#!/usr/bin/env bash
# The Windows build of the core and zrm58-line: cross-built with mingw-w64 and tested under Wine.
# Installs what is missing (scripts/setup-windows.sh), builds GoogleTest from Debian's sources,
# the core, its fake-based tests, the Windows backend's tests, zrm58-line.exe, zrm58.exe, the
# portable zip and the installer into build-win/, runs every test program directly under a
# private Wine prefix (one Wine process per program, not per test case), checks zrm58-line.exe's
# output, installs and uninstalls the installer, drives zrm58.exe end to end on a private X
# server (tests/win32/strip-e2e.sh), stops the prefix's wineserver and ends with
# "windows: N passed, M failed" (test cases and checks). Exit status 1 on a failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/windows-build.sh
. "$root/scripts/windows-build.sh"
out=$windows_out

bash "$root/scripts/setup-windows.sh"
configure_windows_build
jobs=$(nproc)
cmake --build "$out/core" -j"$jobs"

# The strip's own texts in the design's Japanese, whatever language Wine gives the user; a check
# of the language choice sets its own.
export ZRM58_LANGUAGE=ja
unset DISPLAY WAYLAND_DISPLAY
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
prepare_wine_prefix "$out/wineprefix"

# Symbola, the outline emoji font of the line's fallback chain, goes into the prefix only:
# installed on the host it would also take the emoji from the Linux strip's colour font.
symbola=$out/fonts/Symbola.ttf
if [ ! -s "$symbola" ]; then
  rm -rf "$out/fonts"
  mkdir -p "$out/fonts/deb"
  (cd "$out/fonts/deb" && { apt-get download -q fonts-symbola >/dev/null 2>&1 ||
    { apt-get update -q >/dev/null && apt-get download -q fonts-symbola >/dev/null; }; })
  dpkg-deb -x "$out"/fonts/deb/fonts-symbola_*.deb "$out/fonts/deb/tree"
  cp "$(find "$out/fonts/deb/tree" -name 'Symbola*.ttf' | head -n 1)" "$symbola"
fi
cp "$symbola" "$WINEPREFIX/drive_c/windows/Fonts/Symbola.ttf"

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  echo "FAIL: $*" >&2
}

# GoogleTest programs: their own counts of test cases.
for exe in $(find "$out/core/tests" "$out/core/faces" -name '*_test.exe' | sort); do
  log=$out/$(basename "$exe" .exe).log
  status=0
  (cd "$out/core" && wine "$exe" --gtest_brief=1 >"$log" 2>&1) || status=$?
  ok=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -1)
  bad=$(grep -cE '^\[  FAILED  \] [^ ]+ \([0-9]+ ms\)$' "$log" || true)
  passed=$((passed + ${ok:-0}))
  failed=$((failed + bad))
  if [ "$status" -ne 0 ] || [ "$bad" -gt 0 ] || [ -z "${ok:-}" ]; then
    [ "$bad" -gt 0 ] || failed=$((failed + 1)) # a crash counts once
    echo "FAIL: $(basename "$exe") (status $status)" >&2
    grep -E '^\[  FAILED  \]|Failure|error:' "$log" | head -40 >&2 || tail -20 "$log" >&2
  fi
  echo "windows: $(basename "$exe"): ${ok:-0} passed, $bad failed"
done

# The fuzz targets' committed corpora, replayed.
for exe in $(find "$out/core/fuzz" -name 'fuzz_*.exe' | sort); do
  name=$(basename "$exe" .exe)
  if (cd "$out/core" && wine "$exe" "$root/fuzz/corpus/${name#fuzz_}" >"$out/$name.log" 2>&1); then
    pass
  else
    fail "$name corpus replay"
  fi
done

# zrm58-line.exe: arguments in UTF-8 under a Japanese user locale, from a private locale
# directory.
line=$out/core/bin/zrm58-line.exe
locales=$out/locale
japanese_locale "$locales"
run_env() { env -u LC_ALL -u LC_TIME LOCPATH="$locales" LANG=ja_JP.UTF-8 "$@"; }
run_ja() { run_env wine "$line" "$@" | tr -d '\r'; }
check() { # check NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then pass; else fail "$1: expected '$2', got '$3'"; fi
}
at=(--at 2023-05-30T08:18:13)
# The default pattern. Wine ignores DATE_USE_ALT_CALENDAR: its era pieces are Gregorian ("(gg e年)"
# gives "(西暦西暦 23年)" where Windows writes "(令和 5年)"), so only the rest is checked here;
# tests/win32/Win32AltCalendarTest.cpp checks the era pieces against Windows' answers.
date_line=$(run_ja "${at[@]}" --only date)
if [[ "$date_line" =~ ^2023年05月30日\ \(火\)\ 08:18:13\ \(.+\ [0-9]+年\)$ ]]; then
  pass
else
  fail "zrm58-line --only date: '$date_line'"
fi
check "zrm58-line --format (Japanese)" "2023年5月30日 (火曜日)" \
  "$(run_ja --format 'yyyy年m月d日 (dddd)' "${at[@]}" --only date)"
# The whole line with RAM and CPU; the separator is outside code page 932, so it arrives only
# through the wide command line.
whole=$(run_ja --format 'yyyy/m/d' --sep '🔷' --interval 200 "${at[@]}" || true)
if [[ "$whole" =~ ^🔷2023/5/30🔷RAM:\ +[0-9]+%\ \([0-9.]+/[0-9.]+\)🔷CPU:\ *[0-9]+%$ ]]; then
  pass
else
  fail "zrm58-line whole line: '$whole'"
fi
echo "windows: zrm58-line.exe: $whole"

# A failed write ends zrm58-line.exe with 1 and one line on stderr, with or without --follow; a
# reader that goes away (a pipe closed at its end) is a quiet end with 0.
write_check() { # write_check NAME WANT-STATUS WANT-STDERR-LINES full|pipe ARGS...
  local name=$1 want=$2 lines=$3 target=$4 code=0 err n
  shift 4
  if [ "$target" = pipe ]; then
    err=$({
      timeout 60 wine "$line" --interval 200 "$@" 2>&3 | head -c0
      echo "${PIPESTATUS[0]}" >"$out/write-check.status"
    } 3>&1) || true
    code=$(cat "$out/write-check.status")
  else
    err=$(timeout 60 wine "$line" --interval 200 "$@" 2>&1 >/dev/full) || code=$?
  fi
  n=$(printf '%s' "$err" | grep -c . || true)
  if [ "$code" = "$want" ] && [ "$n" = "$lines" ]; then
    pass
  else
    fail "zrm58-line $name: status $code (want $want), stderr: $err"
  fi
}
write_check "to a full disk" 1 1 full --only date
write_check "--follow to a full disk" 1 1 full --only date --follow
write_check "into a closed pipe" 0 0 pipe --only date
write_check "--follow into a closed pipe" 0 0 pipe --only date --follow

# The shipping: the portable zip holds the programs; the installer installs silently (with the
# autostart chosen), and its uninstaller removes the programs and keeps the settings file.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/core/CMakeCache.txt")
zip=$out/core/zrm58-$version-win64.zip
check "zip: contents" "zrm58-$version/README.txt zrm58-$version/zrm58-line.exe zrm58-$version/zrm58.exe" \
  "$(unzip -Z1 "$zip" 2>/dev/null | grep -v '/$' | sort | tr '\n' ' ' | sed 's/ $//')"
# What is shipped is stripped: no symbol table, no debugging sections, each program small (the
# build's own bin/ keeps them whole; unstripped zrm58.exe is some 13 MB).
shipped=$out/shipped
rm -rf "$shipped"
mkdir -p "$shipped"
unzip -q -j -o "$zip" '*.exe' -d "$shipped" 2>/dev/null || true
for exe in zrm58.exe zrm58-line.exe; do
  if [ ! -f "$shipped/$exe" ]; then
    fail "zip: $exe missing"
    continue
  fi
  size=$(stat -c %s "$shipped/$exe")
  debug=$(x86_64-w64-mingw32-objdump -h "$shipped/$exe" | grep -c '\.debug' || true)
  symbols=$(x86_64-w64-mingw32-nm "$shipped/$exe" 2>&1 | grep -vc 'no symbols' || true)
  if [ "$debug" -eq 0 ] && [ "$symbols" -eq 0 ] && [ "$size" -le $((3 * 1024 * 1024)) ]; then
    pass
  else
    fail "zip: $exe not stripped ($size bytes, $debug debugging sections, $symbols symbols)"
  fi
  echo "windows: shipped $exe: $size bytes"
done
. "$root/tests/win32/installer-test.sh"

# The strip itself, end to end on a private X server.
. "$root/tests/win32/strip-e2e.sh"

wineserver -k >/dev/null 2>&1 || true
trap - EXIT
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
