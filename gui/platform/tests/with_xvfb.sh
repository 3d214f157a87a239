#!/usr/bin/env bash
# with_xvfb.sh: runs a command against a private Xvfb server and returns the command's status.
#
# Usage: with_xvfb.sh [--timeout SECONDS] COMMAND [ARGS...]
#   Starts "Xvfb :N -screen 0 1024x768x24 -nolisten tcp" on a free display number N (the
#   server picks it with -displayfd), waits until xdpyinfo answers (at most 10 s), runs
#   COMMAND with DISPLAY=:N and XVFB_PID set to the server's process id (for tests of a
#   server that goes away), killing it after SECONDS (default 120; status 124 then), stops
#   the server and exits with COMMAND's status. Exits 125 when the server does not start.
set -u

timeout_seconds=120
if [ "${1:-}" = "--timeout" ]; then
  timeout_seconds="${2:?--timeout needs a number of seconds}"
  shift 2
fi
if [ $# -eq 0 ]; then
  echo "Usage: with_xvfb.sh [--timeout SECONDS] COMMAND [ARGS...]" >&2
  exit 2
fi

workdir="$(mktemp -d "${TMPDIR:-/tmp}/with_xvfb.XXXXXX")"
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    # Bounded wait for the server to go; a server that does not stop is killed hard.
    for _ in $(seq 50); do kill -0 "$xvfb_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

: >"$workdir/display"
# The server has a deadline of its own, so that it cannot outlive this script by long even
# when the script is killed without a chance to stop it.
timeout $((timeout_seconds + 30)) Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
  3>"$workdir/display" >"$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!

# The server writes its display number once it accepts connections.
display=""
for _ in $(seq 100); do
  display="$(tr -dc '0-9' <"$workdir/display")"
  [ -n "$display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$display" ]; then
  echo "with_xvfb.sh: Xvfb did not start:" >&2
  cat "$workdir/xvfb.log" >&2
  exit 125
fi
export DISPLAY=":$display"
export XVFB_PID="$xvfb_pid"

ready=""
for _ in $(seq 50); do
  if timeout 2 xdpyinfo >/dev/null 2>&1; then ready=yes; break; fi
  sleep 0.2
done
if [ -z "$ready" ]; then
  echo "with_xvfb.sh: Xvfb on $DISPLAY does not answer" >&2
  exit 125
fi

timeout --kill-after=5 "$timeout_seconds" "$@"
status=$?
[ $status -eq 124 ] && echo "with_xvfb.sh: command timed out after $timeout_seconds s" >&2
exit $status
