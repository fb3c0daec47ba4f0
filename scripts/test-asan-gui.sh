#!/usr/bin/env bash
# The strip under AddressSanitizer and UndefinedBehaviorSanitizer: zrm58, zrm58-line and the
# end-to-end tests built once in build-asan-gui/ and the end-to-end tests run there, each on its
# private X server. Clean means: every test passes and no process wrote a sanitizer report (the
# reports go to files, so a strip that a test ends by a signal is checked too).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-asan-gui"
started=$SECONDS

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZRM58_SANITIZE=ON \
  -DZRM58_GUI=ON -DZRM58_BENCH=OFF "${launcher[@]}" >/dev/null
cd "$build"
mapfile -t tests < <(ctest -N -R '^e2e_' | sed -n 's/^ *Test *#[0-9]*: *//p')
# The tests that are programs of their own; the others are scripts run on zrm58 itself.
mapfile -t targets < <(cmake --build . --target help | sed -n 's/^\.\.\. \(e2e_[a-z0-9_]*\).*/\1/p')
programs=()
for t in "${tests[@]}"; do
  for target in "${targets[@]}"; do [ "$t" = "$target" ] && programs+=("$t"); done
done
cmake --build . -j"$(nproc)" --target zrm58 zrm58-line "${programs[@]}"
echo "sanitized GUI build: $((SECONDS - started)) s"

reports="$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
# Leaks: fontconfig keeps a cache for the life of the process that it does not free at exit;
# the one suppression names that library only. The core's own leaks are checked without
# suppressions in build-asan/.
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:log_path=$reports/asan"
export LSAN_OPTIONS="suppressions=$root/tests/e2e/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"
rc=0
ctest --output-on-failure --timeout 900 -R '^e2e_' || rc=$?
if [ -n "$(ls -A "$reports")" ]; then
  echo "sanitizer reports:"
  for f in "$reports"/*; do
    echo "== $f"
    head -n 60 "$f"
  done
  rc=1
fi
echo "sanitized GUI end-to-end run: $((SECONDS - started)) s in all"
exit "$rc"
