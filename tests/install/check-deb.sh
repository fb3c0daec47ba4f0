#!/usr/bin/env bash
# Builds the Debian package with CPack into a temporary folder and checks what apt would see: the
# declared dependencies, the file list, and the packaged zrm58-line running from the unpacked
# tree. Installing it on the machine is a manual step (README); this check changes nothing there.
#   check-deb.sh BUILD_DIR GUI(ON|OFF)
set -uo pipefail
build=$1
gui=${2:-ON}
case "$gui" in ON | on | 1 | TRUE | true | YES | yes) gui=1 ;; *) gui=0 ;; esac
command -v dpkg-deb >/dev/null || { echo "dpkg-deb not found: skipped"; exit 77; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
passes=0
check() { # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then passes=$((passes + 1)); else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

if ! (cd "$build" && cpack -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1); then
  cat "$tmp/cpack.log"
  echo "FAIL: cpack -G DEB"
  exit 1
fi
deb=$(ls "$tmp"/out/zrm58_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "FAIL: no zrm58_*.deb made"; exit 1; }
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

# Declared relations: each name as a whole word of the field.
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
echo "Depends: $depends"
needed=(libqt6core6 libicu72 fonts-noto-cjk fonts-noto-color-emoji fonts-noto-core qt6-translations-l10n libc6)
[ "$gui" = 1 ] && needed+=(libqt6gui6 libqt6widgets6 libxcb1 libxcb-shape0)
for name in "${needed[@]}"; do
  check "Depends names $name" grep -Eq "(^|, )$name( |,|$)" <<<"$depends"
done
check "Recommends a compositing manager: $recommends" grep -q 'xcompmgr' <<<"$recommends"
check "package name" test "$(dpkg-deb -f "$deb" Package)" = zrm58

# Contents under /usr, the same tree that the install check looks at.
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$tmp/files"
want=(/usr/bin/zrm58-line /usr/share/applications/zrm58.desktop
  /usr/share/zrm58/autostart/zrm58.desktop /usr/share/man/man1/zrm58.1.gz
  /usr/share/man/man1/zrm58-line.1.gz /usr/share/icons/hicolor/48x48/apps/zrm58.png
  /usr/share/icons/hicolor/scalable/apps/zrm58.svg)
[ "$gui" = 1 ] && want+=(/usr/bin/zrm58)
for path in "${want[@]}"; do
  check "package holds $path" grep -qx -- "$path" "$tmp/files"
done
check "package holds a metainfo file" grep -q '^/usr/share/metainfo/.*\.metainfo\.xml$' "$tmp/files"

# The packaged (stripped) zrm58-line runs.
dpkg-deb -x "$deb" "$tmp/root"
out=$(cd "$tmp" && LANG=C.UTF-8 "$tmp/root/usr/bin/zrm58-line" --format 'yyyy/m/d h:n:s' \
  --at 2023-01-03T08:04:03.007 --only date)
check "packaged zrm58-line renders a fixed instant: '$out'" test "$out" = "2023/1/3 8:4:3"

echo "deb package: $passes passed, $failures failed"
[ "$failures" = 0 ]
