#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j2 --timeout 600
bash "$root/scripts/test-extra.sh"
bash "$root/scripts/test-windows.sh"
