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
  i3-wm weston xwayland qt6-wayland
  fonts-noto-cjk fonts-noto-color-emoji fonts-noto-core fonts-dejavu-core qt6-translations-l10n
  desktop-file-utils appstream dpkg-dev file
  python3 util-linux
  conky-std
)

# shellcheck source=scripts/install-missing.sh
. "$(dirname "${BASH_SOURCE[0]}")/install-missing.sh"
install_missing setup "${PACKAGES[@]}"
