#!/usr/bin/env bash
# Renders zrm58.svg into the PNG sizes that the install puts into the hicolor theme. The PNGs are
# committed, so a build needs no SVG renderer; run this after changing the drawing.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$here/zrm58.svg" -o "$here/zrm58-$size.png"
done
# The Windows icon: the PNGs as they are, in one .ico (PNG entries, as Windows Vista and later
# read them).
python3 - "$here" <<'PY'
import struct, sys
here = sys.argv[1]
sizes = [16, 32, 48, 64, 128, 256]
images = [open(f"{here}/zrm58-{s}.png", "rb").read() for s in sizes]
out = struct.pack("<HHH", 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for s, data in zip(sizes, images):
    out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
open(f"{here}/zrm58.ico", "wb").write(out + b"".join(images))
PY
