#!/usr/bin/env bash
# Runs the resource benchmark on a private Xvfb with xcompmgr: the strip beside conky and the
# smallest Qt window, or (with --memory-soak-minutes M) the strip alone at a short interval.
#
#   bench/resource-bench.sh [resource_bench options]
#   ZRM58_BUILD=build-res bench/resource-bench.sh --seconds 60 --starts 7
#   ZRM58_BUILD=build-res bench/resource-bench.sh --memory-soak-minutes 5 --interval-ms 50
#
# ZRM58_BUILD names the build directory (default build/, configured with ZRM58_GUI and
# ZRM58_BENCH on); the targets zrm58, minimal_qt_label and resource_bench are built first.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/${ZRM58_BUILD:-build}
command -v conky >/dev/null || { echo "conky is missing: run scripts/setup.sh" >&2; exit 2; }
cmake --build "$build" -j2 --target zrm58 minimal_qt_label resource_bench >/dev/null

source "$root/scripts/xserver.sh"
start_xserver 1280x800
echo "Xvfb pid $XVFB_PID, xcompmgr pid ${XCOMPMGR_PID:-none}, $(conky --version | head -1)"
"$build/bench/resource_bench" --strip "$build/bin/zrm58" --label "$build/bench/minimal_qt_label" \
  --conky "$(command -v conky)" --xserver-pid "$XVFB_PID" \
  --compositor-pid "${XCOMPMGR_PID:-0}" "$@"
