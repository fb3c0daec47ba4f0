#!/usr/bin/env bash
# The slower checks that follow the main test run:
#  1. the core and its tests built with AddressSanitizer and UndefinedBehaviorSanitizer
#     (build-asan/) and run by ctest; the fuzz targets are built there too, with the default
#     compiler, and replay their committed corpus;
#  2. the strip, zrm58-line and the end-to-end tests built the same way (build-asan-gui/, see
#     scripts/test-asan-gui.sh) and the end-to-end tests run there;
#  3. every libFuzzer target (build-fuzz/, clang) run for a bounded time on a copy of its corpus.
# FUZZ_SECONDS sets the time per target (default 45; longer by hand, e.g. FUZZ_SECONDS=1800).
# A find fails the run and leaves the input in build-fuzz/fuzz-run/<target>/artifacts/: fix the
# fault, then commit the input under fuzz/corpus/<target>/ as a regression input.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fuzz_seconds=${FUZZ_SECONDS:-45}
cores=$(nproc)
targets=(datetime ini settings_roundtrip proc details)
started=$SECONDS

bash "$root/scripts/setup.sh"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

echo "== sanitizer build: build-asan (AddressSanitizer, UndefinedBehaviorSanitizer)"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZRM58_SANITIZE=ON -DZRM58_FUZZ=ON -DZRM58_GUI=OFF -DZRM58_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$root/build-asan" -j"$cores"
(
  cd "$root/build-asan"
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:check_initialization_order=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  # The install and package checks are about the install rules, not memory: the main run has them.
  ctest --output-on-failure -j2 --timeout 600 -E '^(install_tree|deb_package)$'
)
echo "sanitizer run: $((SECONDS - started)) s so far"

echo "== sanitizer build of the strip: build-asan-gui (zrm58, zrm58-line, end-to-end tests)"
bash "$root/scripts/test-asan-gui.sh"
echo "sanitized strip run: $((SECONDS - started)) s so far"

echo "== fuzz targets: build-fuzz (clang, libFuzzer), ${fuzz_seconds} s each"
cc=clang cxx=clang++
if command -v clang++-14 >/dev/null; then cc=clang-14 cxx=clang++-14; fi
CC=$cc CXX=$cxx cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DZRM58_FUZZ=ON -DZRM58_GUI=OFF -DZRM58_BENCH=OFF -DZRM58_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$root/build-fuzz" -j"$cores" --target "${targets[@]/#/fuzz_}"

# Runs one target on a fresh copy of its corpus; the committed corpus is never written.
fuzz_one() {
  local name=$1
  local run="$root/build-fuzz/fuzz-run/$name"
  rm -rf "$run"
  mkdir -p "$run/artifacts"
  cp -r "$root/fuzz/corpus/$name" "$run/corpus"
  local rc=0
  "$root/build-fuzz/fuzz/fuzz_$name" -max_total_time="$fuzz_seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$run/artifacts/" "$run/corpus" >"$run/log" 2>&1 || rc=$?
  echo "$rc" >"$run/rc"
}

# One target per core at a time.
for name in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$cores" ]; do wait -n || true; done
  fuzz_one "$name" &
done
wait

passed=0 failed=0
for name in "${targets[@]}"; do
  run="$root/build-fuzz/fuzz-run/$name"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run/log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$run/log")
  corpus=$(find "$run/corpus" -type f | wc -l)
  if [ "$(cat "$run/rc")" = 0 ]; then
    passed=$((passed + 1))
    echo "fuzz_$name: ${runs:-?} runs, ${speed:-?} exec/s, corpus $corpus inputs: passed"
  else
    failed=$((failed + 1))
    echo "fuzz_$name: FAILED (exit $(cat "$run/rc")); the log ends:"
    tail -n 40 "$run/log"
    echo "inputs kept: $(ls "$run/artifacts")  (in $run/artifacts/)"
  fi
done
echo "test-extra: $((SECONDS - started)) s in all"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
