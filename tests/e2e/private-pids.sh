#!/usr/bin/env bash
# Runs a command in a private PID namespace with its own /proc where the system allows it, so
# that the processes listed are the test's own and not those of whatever else the machine runs;
# elsewhere runs it as it is.
if unshare --pid --fork --mount-proc true 2>/dev/null; then
  exec unshare --pid --fork --mount-proc "$@"
fi
exec "$@"
