#!/usr/bin/env bash
# velorin when its X server goes away, while it waits for Shift (it then runs at once) or
# during a run (which goes on to its end): the whole report on standard output, one line on
# standard error, exit status 5. Run it through with_xvfb.sh, which sets XVFB_PID.
# Usage: velorin_display_lost_test.sh waiting|running VELORIN XGRAB
set -u
mode="$1" velorin="$2" xgrab="$3"
. "$(dirname "$0")/velorin_test_common.sh"
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT

case "$mode" in
  waiting) args=(--Nakayama 6 2) ;;
  running) args=(--Nakayama 6 2 1 0 300) ;;  # a redraw and 300 ms after every inflation
  *) echo "Usage: velorin_display_lost_test.sh waiting|running VELORIN XGRAB" >&2; exit 2 ;;
esac
"$velorin" "${args[@]}" >"$workdir/out" 2>"$workdir/err" </dev/null &
pid=$!
"$xgrab" --timeout 10 "$title" "$workdir/window.png" 2>/dev/null || fail "no window"
if [ "$mode" = running ]; then
  xdotool keydown shift
  wait_for_output "Zaruzivedo:" 100 || fail "the run did not start"
  xdotool keyup shift
fi
kill "$XVFB_PID"

wait_for_exit 150
[ "$status" = 5 ] || fail "$mode: status $status after the display was lost"
grep -qF -- " -) shape: Dynkin graph A_6 " "$workdir/out" || fail "$mode: report: $(cat "$workdir/out")"
grep -q "^Runtime: " "$workdir/out" || fail "$mode: no Runtime line"
[ "$(grep -c "display was lost" "$workdir/err")" -eq 1 ] ||
  fail "$mode: standard error: $(cat "$workdir/err")"

[ $failures -eq 0 ] && echo "velorin losing its display ($mode): all checks passed"
[ $failures -eq 0 ]
