#!/usr/bin/env bash
# inflations when its output cannot be written (a full device, a pipe closed early with SIGPIPE
# ignored) and when an endless run uses up the memory allowed to it.
# Usage: output_faults_test.sh INFLATIONS [--no-memory-limit]
# (--no-memory-limit leaves out the memory cases, for builds that reserve huge address space,
# such as those with AddressSanitizer.)
set -u
program="$1"
memory_cases=yes
[ "${2:-}" = "--no-memory-limit" ] && memory_cases=no
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
workdir="$(mktemp -d)"
trap 'rm -rf "$workdir"' EXIT

# The two endless dialogues: each inflation leaves another dotted edge.
endless_growing='3\n1 2 0\n0 1 2\n0 0 1\n'
endless_zero_corner='3\n1 2 1\n0 1 1\n0 0 0\n'

# expect_status NAME EXPECTED ACTUAL
expect_status() {
  [ "$3" = "$2" ] || fail "$1: status $3, expected $2"
}
# expect_error NAME TEXT: standard error is exactly the line TEXT.
expect_error() {
  local got
  got="$(cat "$workdir/err")"
  [ "$got" = "$2" ] || fail "$1: standard error was '$got', expected '$2'"
}

full="Error: cannot write the output: No space left on device"
pipe="Error: cannot write the output: Broken pipe"

# --- A full device: every kind of output ends with status 4 and the message ---
"$program" --Nakayama 300 2 0 0 0 0 >/dev/full 2>"$workdir/err"
expect_status "run to /dev/full" 4 $?
expect_error "run to /dev/full" "$full"

"$program" --help >/dev/full 2>"$workdir/err"
expect_status "help to /dev/full" 4 $?
expect_error "help to /dev/full" "$full"

"$program" --bogus >/dev/full 2>"$workdir/err"
expect_status "bad arguments to /dev/full" 4 $?
expect_error "bad arguments to /dev/full" "$full"

# --- A pipe closed early: an endless run that shows every inflation stops at once ---
start=$(date +%s)
( trap '' PIPE
  printf "${endless_growing}1\n0\n0\n0\n" | exec timeout 60 "$program" 2>"$workdir/err"
) | head -c 200000 >/dev/null
status=${PIPESTATUS[0]}
elapsed=$(( $(date +%s) - start ))
expect_status "endless run into a closed pipe" 4 "$status"
expect_error "endless run into a closed pipe" "$pipe"
[ "$elapsed" -le 20 ] || fail "endless run into a closed pipe took $elapsed s"

# --- Out of memory in an endless run: it ends like an error of the integer layer ---
# check_out_of_memory NAME DIALOGUE: status 3, the final display with its count, the error line
# after it, the runtime, and a list of exactly that many pairs.
check_out_of_memory() {
  local name="$1" dialogue="$2" status count pairs
  ( ulimit -v 24000
    printf "${dialogue}0\n0\n0\n" | exec timeout 120 "$program" >"$workdir/out" 2>"$workdir/err" )
  status=$?
  expect_status "$name" 3 "$status"
  [ -s "$workdir/err" ] && fail "$name: standard error: $(head -c 300 "$workdir/err")"
  count="$(grep -a -A1 '^Inflation no\.: ' "$workdir/out" | sed -n 's/^Inflation no\.: \([0-9]*\)$/\1/p')"
  grep -a -A1 '^Inflation no\.: ' "$workdir/out" | tail -1 |
    grep -qx 'Error: Out of memory during the inflation run\.' ||
    fail "$name: no out-of-memory line after the final display"
  grep -aq '^Runtime: [0-9]*\.[0-9]\{4\} sec\.$' "$workdir/out" || fail "$name: no runtime"
  pairs="$(sed -n '/^Press any key to display the list of performed inflations\.\.\.$/,$p' \
             "$workdir/out" | grep -ao '\[[0-9]*, [0-9]*\]' | wc -l)"
  [ -n "$count" ] && [ "$count" -gt 1000 ] || fail "$name: final count '$count'"
  [ "$pairs" = "$count" ] || fail "$name: $pairs pairs listed for $count inflations"
}
if [ "$memory_cases" = yes ]; then
  check_out_of_memory "endless run with growing entries" "$endless_growing"
  check_out_of_memory "endless run with a zero corner" "$endless_zero_corner"
fi

[ "$failures" -eq 0 ] && echo "all output and memory fault cases passed"
exit $(( failures > 0 ))
