#!/usr/bin/env bash
# Black-box test of brenvale.exe under Wine on an X display: start it, type the two paths and press
# the start button with xdotool, wait until the local tree equals the remote one and the window is
# idle again, save a screenshot, close the window and expect exit code 0.
# usage: window_blackbox_test.sh PROGRAM.exe ARTIFACT_DIR RUNNER...
set -u
program=$1
artifacts=$2
shift 2
runner=("$@")
for tool in xdotool import winepath; do
    command -v "$tool" >/dev/null || { echo "needs $tool"; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "needs an X display"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/remote/sub" "$artifacts"
cp "$program" "$work/bin/"
printf 'alpha' >"$work/remote/a.txt"
printf 'beta beta' >"$work/remote/sub/b.txt"
printf '备份' >"$work/remote/数据.txt"

(cd "$work/bin" && exec "${runner[@]}" "$work/bin/$(basename "$program")") &
pid=$!

window=""
for _ in $(seq 1 300); do
    window=$(xdotool search --name '^Brenvale$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "FAIL no window"; kill "$pid"; exit 1; }
for _ in $(seq 1 100); do [ -f "$work/bin/Ostrel.ini" ] && break; sleep 0.1; done # the window has loaded
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$window")" # X, Y: the client area's top left

type_into() { # x y text: replaces what the box holds
    xdotool mousemove $((X + $1)) $((Y + $2)) click 1
    sleep 0.3
    xdotool key Home shift+End Delete
    xdotool type --delay 15 "$3"
}
synced=no
for attempt in 1 2; do # a busy Wine may miss the first keys
    [ "$attempt" -gt 1 ] && xdotool key Return # closes a message box a half-typed path brought up
    type_into 150 18 "$(winepath -w "$work/remote")"
    type_into 150 50 "$(winepath -w "$work/local")"
    sleep 0.3
    xdotool mousemove $((X + 344)) $((Y + 222)) click 1
    for _ in $(seq 1 150); do
        if [ -d "$work/local" ] && diff -r "$work/remote" "$work/local" >/dev/null 2>&1; then
            synced=yes
            break 2
        fi
        sleep 0.1
    done
    echo "attempt $attempt: not synced yet"
done
sleep 2 # the watcher ticks once a second
import -window root "$artifacts/brenvale-windows-run.png" 2>/dev/null
failures=0
if [ "$synced" = yes ]; then echo "ok   the local tree follows the remote one"; else echo "FAIL trees differ"; failures=1; fi
if [ -f "$work/bin/Ostrel.ini" ]; then echo "ok   settings file beside the program"; else echo "FAIL no Ostrel.ini"; failures=1; fi

xdotool windowactivate --sync "$window" 2>/dev/null; xdotool mousemove $((X + 150)) $((Y + 18)) click 1 key alt+F4
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    echo "FAIL the program did not end"; kill "$pid"; failures=1
else
    wait "$pid"
    status=$?
    if [ "$status" -eq 0 ]; then echo "ok   exit code 0"; else echo "FAIL exit code $status"; failures=1; fi
fi
echo "screenshot: $artifacts/brenvale-windows-run.png"
exit $failures
