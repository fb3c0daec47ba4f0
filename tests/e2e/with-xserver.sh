#!/usr/bin/env bash
# Runs one command on a private Xvfb with a compositing manager (see scripts/xserver.sh).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../scripts/xserver.sh
. "$root/scripts/xserver.sh"
start_xserver "${ZRM58_SCREEN:-1280x800}"
"$@"
