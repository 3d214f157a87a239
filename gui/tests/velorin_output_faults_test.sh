#!/usr/bin/env bash
# velorin without a display when its output cannot be written: a full device, and a pipe closed
# early with SIGPIPE ignored during an endless run.
# Usage: velorin_output_faults_test.sh VELORIN
set -u
program="$1"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
workdir="$(mktemp -d)"
trap 'rm -rf "$workdir"' EXIT
no_window="velorin: no display could be opened; running without a window."

# expect NAME EXPECTED_STATUS STATUS EXPECTED_LAST_ERROR_LINE
expect() {
  [ "$3" = "$2" ] || fail "$1: status $3, expected $2"
  local last
  last="$(tail -n 1 "$workdir/err")"
  [ "$last" = "$4" ] || fail "$1: last line on standard error '$last', expected '$4'"
  grep -v -x -F -e "$4" -e "$no_window" "$workdir/err" | grep -q . &&
    fail "$1: more on standard error: $(head -c 300 "$workdir/err")"
}

full="Error: cannot write the output: No space left on device"
pipe="Error: cannot write the output: Broken pipe"

env -u DISPLAY "$program" --help >/dev/full 2>"$workdir/err"
expect "help to /dev/full" 4 $? "$full"

env -u DISPLAY "$program" --Nakayama 6 2 >/dev/full 2>"$workdir/err"
expect "run to /dev/full" 4 $? "$full"

env -u DISPLAY "$program" --Nakayama 6 2 0 0 0 0 2 0 >/dev/full 2>"$workdir/err"
expect "run without printed pairs to /dev/full" 4 $? "$full"

# A(10, 3) with the last-dotted rule never runs out of dotted edges; without a display Escape
# is never down, so only the failed write can end the run.
start=$(date +%s)
( trap '' PIPE
  exec timeout 60 env -u DISPLAY "$program" --Nakayama 10 3 0 0 0 0 2 1 2>"$workdir/err"
) | head -c 300000 >/dev/null
status=${PIPESTATUS[0]}
elapsed=$(( $(date +%s) - start ))
expect "endless run into a closed pipe" 4 "$status" "$pipe"
[ "$elapsed" -le 20 ] || fail "endless run into a closed pipe took $elapsed s"

[ "$failures" -eq 0 ] && echo "all output fault cases passed"
exit $(( failures > 0 ))
