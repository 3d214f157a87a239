#!/usr/bin/env bash
# velorin in a real window under Xvfb, driven with xdotool: the picture before Shift, a run to
# its end with the report and the final picture, an endless run stopped by Escape, the close
# button while waiting, during a run and after it, a window unmapped while waiting, and a
# short tap of Shift. Run it through with_xvfb.sh.
# Usage: velorin_xvfb_test.sh VELORIN XCLOSE XGRAB PNGPIXEL PNGCOUNT
set -u
velorin="$1" xclose="$2" xgrab="$3" pngpixel="$4" pngcount="$5"
. "$(dirname "$0")/velorin_test_common.sh"
cleanup() {
  xdotool keyup shift keyup Escape 2>/dev/null
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT

# Grabs the window into $1 once it is mapped and viewable (up to 10 s); a grab that races the
# mapping fails with BadMatch, so it is tried again a few times.
grab() {
  for _ in $(seq 100); do
    timeout 2 xwininfo -name "$title" 2>/dev/null | grep -q "Map State: IsViewable" && break
    sleep 0.1
  done
  for _ in 1 2 3; do
    "$xgrab" --timeout 10 "$title" "$1" 2>/dev/null && return 0
    sleep 0.2
  done
  return 1
}


# --- A(6, 2) to its end -----------------------------------------------------------------
"$velorin" --Nakayama 6 2 >"$workdir/out" 2>"$workdir/err" </dev/null &
pid=$!
grab "$workdir/before.png" || fail "no picture before Shift"
info="$(timeout 5 xwininfo -name "$title")" || fail "xwininfo"
grep -q "Width: 600" <<<"$info" || fail "width 600: $info"
grep -q "Height: 465" <<<"$info" || fail "height 465: $info"
[ -s "$workdir/err" ] && fail "standard error with a display: $(cat "$workdir/err")"
# Nothing runs before Shift.
sleep 0.3
grep -q "Zaruzivedo:" "$workdir/out" && fail "the run started before Shift"
# Vertex squares where the layout puts the six vertices, a point of the solid edge 1-2 and
# dotted (orange red) edges.
colours="$("$pngpixel" "$workdir/before.png" 300 27 456 117 456 297 300 387 144 297 144 117 378 72)"
expected="$(printf '323232\n323232\n323232\n323232\n323232\n323232\n0000FF')"
[ "$colours" = "$expected" ] || fail "picture before Shift: $colours"
[ "$("$pngcount" "$workdir/before.png" FE5300)" -gt 0 ] || fail "no dotted edge before Shift"
[ "$("$pngcount" "$workdir/before.png" 000000 10 10 120 24)" -gt 0 ] || fail "no header text"

xdotool keydown shift
wait_for_output "Runtime:" 200 || fail "no Runtime line after Shift"
xdotool keyup shift
grep -qF -- " -) shape: Dynkin graph A_6 " "$workdir/out" || fail "report: $(cat "$workdir/out")"
grab "$workdir/after.png" || fail "no final picture"
count() { "$pngcount" "$workdir/after.png" "$@"; }
[ "$(count FE5300)" -eq 0 ] || fail "a dotted edge is left in the picture"
[ "$(count 0000FF)" -gt 0 ] || fail "no solid edge in the picture"
[ "$(count 000000 10 395 130 409)" -gt 0 ] || fail "no shape text at (10, 395)"
[ "$(count 000000 10 375 130 389)" -gt 0 ] || fail "no \"Shape recognition: \" at (10, 375)"
# Unmapped and mapped again, the window is painted anew: it waits for Shift once more and
# then finds no dotted edge left.
window="$(timeout 5 xdotool search --name "^$title\$" | head -1)"
xdotool windowunmap --sync "$window" windowmap --sync "$window"
sleep 0.3
[ "$(grep -c "Runtime:" "$workdir/out")" -eq 1 ] || fail "the second paint ran without Shift"
xdotool keydown shift
for _ in $(seq 100); do
  [ "$(grep -c "Runtime:" "$workdir/out")" -ge 2 ] && break
  sleep 0.1
done
xdotool keyup shift
grep -qx "0 inflations" "$workdir/out" || fail "second paint: $(cat "$workdir/out")"
"$xclose" --timeout 5 "$title" || fail "xclose"
wait_for_exit 100
[ "$status" = 0 ] || fail "A(6, 2): status $status after the close button"

# --- An endless run stopped by Escape ---------------------------------------------------
"$velorin" --Nakayama 30 4 50 0 0 1 3 0 >"$workdir/out" 2>"$workdir/err" </dev/null &
pid=$!
grab "$workdir/endless.png" || fail "no picture of the endless run"
xdotool keydown shift
wait_for_output "Computation in progress..." 100 || fail "the endless run did not start"
xdotool keyup shift
sleep 1
grep -q "Runtime:" "$workdir/out" && fail "the endless run ended by itself"
xdotool keydown Escape
wait_for_output "Runtime:" 200 || fail "Escape did not stop the run"
xdotool keyup Escape
grep -qE "^[0-9]+ inflations$" "$workdir/out" || fail "no count line: $(cat "$workdir/out")"
"$xclose" --timeout 5 "$title" || fail "xclose after Escape"
wait_for_exit 100
[ "$status" = 0 ] || fail "endless run: status $status after the close button"

# Starts velorin with the given arguments and waits for its window.
start_velorin() {
  "$velorin" "$@" >"$workdir/out" 2>"$workdir/err" </dev/null &
  pid=$!
  grab "$workdir/start.png" || fail "no window for $*"
}

# --- The close button while waiting for Shift ends velorin at once ----------------------
start_velorin --Nakayama 6 2
"$xclose" --timeout 5 "$title" || fail "xclose while waiting"
wait_for_exit 100
[ "$status" = 0 ] || fail "close while waiting for Shift: status $status"
grep -q "Zaruzivedo:" "$workdir/out" && fail "a run after the close request"
[ -n "$pid" ] && kill "$pid" 2>/dev/null; pid=""

# --- Unmapped and mapped while waiting: painted again, and one Shift press is one run ------
start_velorin --Nakayama 6 2
window="$(timeout 5 xdotool search --name "^$title\$" | head -1)"
xdotool windowunmap --sync "$window" windowmap --sync "$window"
sleep 0.3
grab "$workdir/remapped.png" || fail "no picture after mapping again"
colours="$("$pngpixel" "$workdir/remapped.png" 300 27 456 117)"
[ "$colours" = "$(printf '323232\n323232')" ] || fail "start picture not painted again: $colours"
xdotool keydown shift
wait_for_output "Runtime:" 200 || fail "no run after Shift"
sleep 0.5  # Shift still held after the run
xdotool keyup shift
sleep 0.3
[ "$(grep -c "Runtime:" "$workdir/out")" -eq 1 ] || fail "one Shift press ran twice: $(cat "$workdir/out")"
"$xclose" --timeout 5 "$title" || fail "xclose after the remapped run"
wait_for_exit 100
[ "$status" = 0 ] || fail "remapped run: status $status"

# --- A tap of Shift shorter than any poll interval starts the run ------------------------
start_velorin --Nakayama 6 2
xdotool keydown shift keyup shift
wait_for_output "Runtime:" 100 || fail "a short tap of Shift was missed"
"$xclose" --timeout 5 "$title" || fail "xclose after the tap"
wait_for_exit 100
[ "$status" = 0 ] || fail "tap run: status $status"

# --- The close button during a run: the final picture stays until closed again -----------
start_velorin --Nakayama 6 2 1 0 250
xdotool keydown shift
wait_for_output "Zaruzivedo:" 100 || fail "the slow run did not start"
xdotool keyup shift
"$xclose" --timeout 5 "$title" || fail "xclose during the run"
wait_for_output "Runtime:" 300 || fail "the slow run did not end"
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "a close request given during the run closed the final picture"
grab "$workdir/final.png" || fail "no final picture after a close during the run"
[ "$("$pngcount" "$workdir/final.png" 000000 10 395 130 409)" -gt 0 ] || fail "no shape text"
"$xclose" --timeout 5 "$title" || fail "xclose after the slow run"
wait_for_exit 100
[ "$status" = 0 ] || fail "slow run: status $status after the close button"

[ $failures -eq 0 ] && echo "velorin under Xvfb: all checks passed"
[ $failures -eq 0 ]
