#!/usr/bin/env bash
# The X11 window under Xvfb: the probe's own checks, then the outside tools (xwininfo, xprop,
# xgrab, pngpixel, xclose) on a served window. Run it through with_xvfb.sh.
# Usage: x11_window_test.sh PROBE XCLOSE XGRAB PNGPIXEL
set -u
probe="$1" xclose="$2" xgrab="$3" pngpixel="$4"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

timeout 30 "$probe" --self-check || fail "probe --self-check"
timeout 30 "$probe" --close-first || fail "probe --close-first"
timeout 60 "$probe" --compare-lines >/dev/null || fail "probe --compare-lines"

title="Probe served window"
workdir="$(mktemp -d)"
trap 'rm -rf "$workdir"' EXIT
timeout 30 "$probe" --serve "$title" &
served=$!

"$xgrab" --timeout 10 "$title" "$workdir/shot.png" || fail "xgrab"
info="$(timeout 5 xwininfo -name "$title")" || fail "xwininfo"
grep -q "Width: 600" <<<"$info" || fail "width 600: $info"
grep -q "Height: 465" <<<"$info" || fail "height 465: $info"
grep -q "Absolute upper-left X:  10" <<<"$info" || fail "left 10: $info"
grep -q "Absolute upper-left Y:  10" <<<"$info" || fail "top 10: $info"
names="$(timeout 5 xprop -name "$title" WM_NAME _NET_WM_NAME)" || fail "xprop"
[ "$(grep -c "= \"$title\"" <<<"$names")" -eq 2 ] || fail "both title properties: $names"

colours="$("$pngpixel" "$workdir/shot.png" 550 400 200 200 200 250 10 10)" || fail "pngpixel"
[ "$colours" = "$(printf 'FF0000\n0000FF\nFE5300\nFFFFFF')" ] || fail "grabbed colours: $colours"

"$xclose" --timeout 0 "No such window" 2>/dev/null
[ $? -eq 1 ] || fail "xclose without a window exits 1"
"$xclose" --timeout 5 "$title" || fail "xclose"
wait "$served"
status=$?
[ $status -eq 0 ] || fail "served window ends with status 0 on close, got $status"

[ $failures -eq 0 ]
