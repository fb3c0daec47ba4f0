#!/usr/bin/env bash
# Installs, only when missing, the Debian packages of the Windows cross build and its test run:
# the mingw-w64 C++ cross compiler with POSIX threads (std::thread needs them in GCC 12), the
# 64-bit Wine that runs its programs, GoogleTest's sources, and the locale sources from which the
# test makes a private ja_JP.UTF-8 for Wine. Never asks a question.
set -euo pipefail

PACKAGES=(g++-mingw-w64-x86-64-posix wine64 wine googletest locales)

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup-windows: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  SUDO=(sudo -n)
else
  echo "setup-windows: these Debian packages are missing: ${missing[*]}" >&2
  echo "setup-windows: run this script as root, or give this user password-less sudo." >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -q
"${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
