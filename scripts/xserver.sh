#!/usr/bin/env bash
# Helpers to run programs on a private virtual X server with a compositing manager.
# Source it, then: start_xserver [WxH]; ... ; stop_xserver (also run on exit).

# A display's lock left by a server that did not end cleanly (killed, or ended with the PID
# namespace it ran in, whose numbers mean other processes out here): its process is no X server.
stale_display() {
  local n=$1 pid
  [ -e "/tmp/.X$n-lock" ] || return 1
  pid=$(tr -d ' ' <"/tmp/.X$n-lock" 2>/dev/null) || return 1
  case $(cat "/proc/$pid/comm" 2>/dev/null) in Xvfb | Xorg | Xwayland | Xephyr) return 1 ;; esac
  # A server started inside a PID namespace writes the PID it has there, which names another
  # process (or none) out here: a display whose server answers is never stale.
  ! timeout 10 xdpyinfo -display ":$n" >/dev/null 2>&1
}

free_display() {
  local n
  for n in $(seq 90 199); do
    if stale_display "$n"; then
      rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n" 2>/dev/null || continue
    fi
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { echo "$n"; return; }
  done
  return 1
}

start_xserver() {
  local size=${1:-1280x800}
  # ZRM58_DISPLAY_NUMBER: a number reserved for this run instead of the first free one.
  local n; n=${ZRM58_DISPLAY_NUMBER:-$(free_display)}
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset +extension Composite +extension RENDER \
    >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  # Waits for states, not times (at most a minute each, for a loaded machine): the server takes
  # connections, then the compositing manager holds the screen (its window made to own the
  # compositing selection).
  local i
  for i in $(seq 1 1200); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.05
  done
  if [ "${ZRM58_NO_COMPOSITOR:-0}" != 1 ]; then
    xcompmgr >/dev/null 2>&1 &
    XCOMPMGR_PID=$!
    for i in $(seq 1 1200); do
      xwininfo -root -children 2>/dev/null | grep -q '"xcompmgr"' && break
      kill -0 "$XCOMPMGR_PID" 2>/dev/null || break
      sleep 0.05
    done
  fi
  trap stop_xserver EXIT
}

stop_xserver() {
  [ -n "${XCOMPMGR_PID:-}" ] && kill "$XCOMPMGR_PID" 2>/dev/null || true
  # Waited for: a server that ends with its PID namespace right after this would be killed before
  # removing its lock and socket, and leave the display taken.
  [ -n "${XVFB_PID:-}" ] && { kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; } || true
  XCOMPMGR_PID=; XVFB_PID=
}
