#!/usr/bin/env bash
# Installs, only when missing, the Debian packages of the Windows cross build and its test run:
# the mingw-w64 C++ cross compiler with POSIX threads (std::thread needs them in GCC 12), the
# 64-bit Wine that runs its programs, GoogleTest's sources, and the locale sources from which the
# test makes a private ja_JP.UTF-8 for Wine; NSIS for the installer and unzip to look into the
# zip; for the strip's end-to-end run a virtual X server with a compositing manager, xdotool,
# ImageMagick for the screenshots' pixels, Python to make the test pictures, the fonts of the
# Japanese texts and an outline font with the emoji beyond U+FFFF (Wine's text drawing takes no
# colour bitmap font). Never asks a question.
set -euo pipefail

PACKAGES=(g++-mingw-w64-x86-64-posix wine64 wine googletest locales nsis unzip
  xvfb xcompmgr xdotool x11-utils x11-xserver-utils imagemagick python3 fonts-noto-cjk)

# shellcheck source=scripts/install-missing.sh
. "$(dirname "${BASH_SOURCE[0]}")/install-missing.sh"
install_missing setup-windows "${PACKAGES[@]}"
