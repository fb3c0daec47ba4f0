#!/usr/bin/env bash
# Installs, only when missing, every Debian package that building, testing and
# running the strip need. Never asks a question: CI has no terminal.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libxcb1-dev libxcb-shape0-dev libxcb-xfixes0-dev
  libicu-dev libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  xvfb xcompmgr xdotool x11-utils x11-xserver-utils imagemagick
  fonts-noto-cjk fonts-noto-color-emoji fonts-noto-core fonts-dejavu-core qt6-translations-l10n
  desktop-file-utils appstream dpkg-dev file
  python3 util-linux
  conky-std
)

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  SUDO=(sudo -n)
else
  echo "setup: these Debian packages are missing: ${missing[*]}" >&2
  echo "setup: run this script as root, or give this user password-less sudo." >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -q
"${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
