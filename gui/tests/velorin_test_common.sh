# Shared by velorin's window tests (sourced, not run): the window title, failure counting, a
# work directory for velorin's output, and waiting for a text in that output or for its end.
title="Zaruzivedo 0.9   KQ 2015-2016"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
workdir="$(mktemp -d)"
pid=""

# Waits up to $2 tenths of a second for the text $1 in velorin's standard output.
wait_for_output() {
  for _ in $(seq "$2"); do
    grep -qF -- "$1" "$workdir/out" && return 0
    sleep 0.1
  done
  return 1
}

# Waits up to $1 tenths of a second for velorin (process $pid) to end; sets status to its exit
# status, or to "timeout".
wait_for_exit() {
  status=timeout
  for _ in $(seq "$1"); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      status=$?
      pid=""
      return
    fi
    sleep 0.1
  done
}
