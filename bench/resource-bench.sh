#!/usr/bin/env bash
# Runs the resource benchmark on a private Xvfb with xcompmgr: the strip beside conky, a plain
# QLabel and the QLabel in the strip's look, all showing the strip's Japanese line; then the
# scaling with 100, 1,000 and 5,000 processes in a private PID namespace, ending with the ratios
# line. Then the Windows part (bench/win32/resource-bench-wine.sh): zrm58.exe beside the
# smallest layered window under Wine, on an X server of its own, ending with the Windows ratios
# line. About seven minutes with the defaults.
#
#   bench/resource-bench.sh [resource_bench options]
#   ZRM58_BUILD=build-res bench/resource-bench.sh
#   RB_SECONDS=40 RB_STARTS=7 RB_SCALE_SECONDS=15 bench/resource-bench.sh
#   ZRM58_BUILD=build-res bench/resource-bench.sh --memory-soak-minutes 5 --interval-ms 50
#
# ZRM58_BUILD names the build directory (default build/, configured with ZRM58_GUI and
# ZRM58_BENCH on); the targets zrm58, minimal_qt_label and resource_bench are built first.
# RB_SECONDS (steady running per program, default 20), RB_STARTS (starts per program, default 5)
# and RB_SCALE_SECONDS (per program and process count, default 8) set the durations.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/${ZRM58_BUILD:-build}
command -v conky >/dev/null || { echo "conky is missing: run scripts/setup.sh" >&2; exit 2; }
command -v unshare >/dev/null || { echo "unshare (util-linux) is missing" >&2; exit 2; }
cmake --build "$build" -j2 --target zrm58 minimal_qt_label resource_bench wine_resource_bench >/dev/null

# ja_JP.UTF-8 for the C library (conky's and the Qt labels' strftime with the era), compiled
# into a private directory: the machine's locales stay as they are.
locales=$(mktemp -d /tmp/zrm58-bench-locale-XXXXXX)
localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" 2>/dev/null ||
  echo "no ja_JP.UTF-8 for the C library: conky and the Qt labels show the C locale's date" >&2

source "$root/scripts/xserver.sh"
start_xserver 1280x800
trap 'stop_xserver; rm -rf "$locales"' EXIT
echo "Xvfb pid $XVFB_PID, xcompmgr pid ${XCOMPMGR_PID:-none}, $(conky --version | head -1)"
"$build/bench/resource_bench" --strip "$build/bin/zrm58" --label "$build/bench/minimal_qt_label" \
  --conky "$(command -v conky)" --xserver-pid "$XVFB_PID" \
  --compositor-pid "${XCOMPMGR_PID:-0}" --locale-path "$locales" \
  --seconds "${RB_SECONDS:-20}" --starts "${RB_STARTS:-5}" \
  --scale-seconds "${RB_SCALE_SECONDS:-8}" "$@"
stop_xserver
# The Windows part, with the same --seconds and --starts; not after a memory soak.
[[ " $* " == *" --memory-soak-minutes "* ]] || bash "$root/bench/win32/resource-bench-wine.sh" "$@"
