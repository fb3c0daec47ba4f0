# Sourced by the set-up scripts.
# install_missing NAME PACKAGE...: installs, only when missing, the named Debian packages, as root
# or through password-less sudo; never asks a question (CI has no terminal). NAME leads its
# messages.
install_missing() {
  local name=$1
  shift
  local missing=() p status
  for p in "$@"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  echo "$name: installing ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
      sudo=(sudo -n)
    else
      echo "$name: these Debian packages are missing: ${missing[*]}" >&2
      echo "$name: run this script as root, or give this user password-less sudo." >&2
      return 1
    fi
  fi
  # Through env, so that sudo's cleaned environment keeps the non-interactive front end.
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
}
