#!/usr/bin/env bash
# Renders zrm58.svg into the PNG sizes that the install puts into the hicolor theme. The PNGs are
# committed, so a build needs no SVG renderer; run this after changing the drawing.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$here/zrm58.svg" -o "$here/zrm58-$size.png"
done
