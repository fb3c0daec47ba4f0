#!/usr/bin/env bash
# The resource benchmark's Windows part, run by bench/resource-bench.sh after the Linux part (or
# alone): zrm58.exe of the mingw-w64 build beside the smallest layered window that shows the
# same line (minimal_layered_line.exe), under Wine with a private prefix (build-win/bench-prefix)
# on a private Xvfb with xcompmgr. The last line printed is the Windows ratios line. Some
# 2 x RUNS x (SECONDS + 10) seconds, and a first build when build-win/ has none.
#
#   bench/win32/resource-bench-wine.sh [--seconds 20] [--starts 3]
#
# Builds what is missing (the mingw-w64 preset's zrm58.exe and minimal_layered_line.exe; the
# Linux build's wine_resource_bench in ZRM58_BUILD, default build/), installing the toolchain
# and Wine through scripts/setup-windows.sh; says so and ends with status 0 when it cannot.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$root/${ZRM58_BUILD:-build}
seconds=${RB_SECONDS:-20}
runs=${RB_STARTS:-3}
while [ $# -gt 0 ]; do
  case $1 in
  --seconds) seconds=$2; shift ;;
  --starts) runs=$2; shift ;;
  esac
  shift
done

unavailable() {
  echo "windows: $1: no Windows figures (scripts/setup-windows.sh installs Wine and mingw-w64)"
  exit 0
}
bash "$root/scripts/setup-windows.sh" >/dev/null 2>&1 || unavailable "Wine or mingw-w64 could not be installed"
command -v wine >/dev/null && command -v x86_64-w64-mingw32-g++ >/dev/null ||
  unavailable "Wine or mingw-w64 is missing"
# shellcheck source=scripts/windows-build.sh
. "$root/scripts/windows-build.sh"
[ -f "$windows_out/core/CMakeCache.txt" ] || configure_windows_build
cmake --build "$windows_out/core" -j2 --target zrm58 minimal_layered_line >/dev/null ||
  unavailable "the mingw-w64 build failed"
cmake --build "$build" -j2 --target wine_resource_bench >/dev/null

# The strip's own texts and its line in Japanese, as the Linux part shows them.
export ZRM58_LANGUAGE=ja
locales=$windows_out/locale
japanese_locale "$locales"
unset DISPLAY WAYLAND_DISPLAY
prepare_wine_prefix "$windows_out/bench-prefix"
# Wine's window driver takes the display at the wineserver's start: the prefix's wineserver is
# started anew on the benchmark's X server, in the foreground of a job of this script, so that
# its pid is known.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
# shellcheck source=scripts/xserver.sh
. "$root/scripts/xserver.sh"
start_xserver 1280x800
wineserver -f -p >/dev/null 2>&1 &
wineserver_pid=$!
# Both programs as they are shipped: stripped (the build keeps its debugging sections, which
# Wine would read into the process's own memory).
shipped=$(mktemp -d /tmp/zrm58-wine-bench-XXXXXX)
trap 'wineserver -k >/dev/null 2>&1 || true; stop_xserver; rm -rf "$shipped"' EXIT
for exe in zrm58 minimal_layered_line; do
  x86_64-w64-mingw32-strip -o "$shipped/$exe.exe" "$windows_out/core/bin/$exe.exe"
done
echo
echo "windows part: Xvfb pid $XVFB_PID, xcompmgr pid ${XCOMPMGR_PID:-none}, wineserver pid $wineserver_pid, $(wine --version)"
env -u LC_ALL -u LC_TIME LOCPATH="$locales" LANG=ja_JP.UTF-8 \
  "$build/bench/wine_resource_bench" --wine "$(command -v wine)" \
  --strip "$shipped/zrm58.exe" --minimal "$shipped/minimal_layered_line.exe" \
  --xserver-pid "$XVFB_PID" --compositor-pid "${XCOMPMGR_PID:-0}" --wineserver-pid "$wineserver_pid" \
  --seconds "$seconds" --runs "$runs"
