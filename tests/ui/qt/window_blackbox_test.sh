#!/usr/bin/env bash
# Black-box test of brenvale, the Qt program, on an X display with a window manager: start it,
# move it by a label, type the two paths and press the start button with xdotool, wait until the
# local tree equals the remote one and the window is idle again, save a screenshot, check that Esc
# leaves the window open, close it with Alt+F4 and expect exit code 0. Also: without a display the
# program says so in one line and ends at once.
# usage: window_blackbox_test.sh PROGRAM ARTIFACT_DIR
# Runs itself on a display of its own (xvfb-run), never on the desktop it was started from.
set -u
if [ -z "${BRENVALE_ON_OWN_DISPLAY:-}" ]; then
    command -v xvfb-run >/dev/null || { echo "FAIL needs xvfb-run"; exit 1; }
    exec env BRENVALE_ON_OWN_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
program=$1
artifacts=$2
for tool in xdotool xprop import openbox; do
    command -v "$tool" >/dev/null || { echo "FAIL needs $tool"; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "FAIL needs an X display"; exit 1; }

work=$(mktemp -d)
wm=""
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/bin" "$work/remote/sub" "$artifacts"
cp "$program" "$work/bin/"
printf 'alpha' >"$work/remote/a.txt"
printf 'beta beta' >"$work/remote/sub/b.txt"
printf '备份' >"$work/remote/数据.txt"
failures=0
ok() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# Without a display: one line, and the terminal program named.
message=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/bin/brenvale" 2>&1 >/dev/null)
status=$?
if [ "$status" -ne 0 ] && [ "$(printf '%s\n' "$message" | wc -l)" -eq 1 ] && [[ $message == *brenvale-sync* ]]; then
    ok "without a display: one line, status $status"
else
    fail "without a display: status $status, said: $message"
fi

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 1
(cd / && exec env -u QT_QPA_PLATFORM "$work/bin/brenvale") &
pid=$!

window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name '^Brenvale$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "FAIL no window"; exit 1; }
for _ in $(seq 1 50); do [ -f "$work/bin/Ostrel.ini" ] && break; sleep 0.1; done
if [ -f "$work/bin/Ostrel.ini" ]; then ok "settings file beside the program"; else fail "no Ostrel.ini"; fi
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")" # WIDTH, HEIGHT of the client area; X, Y
if [ "$WIDTH" -eq 399 ] && [ "$HEIGHT" -eq 250 ]; then ok "client area 399 x 250"; else fail "client area ${WIDTH} x ${HEIGHT}"; fi
actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)
if [[ $actions == *MINIMIZE* && $actions == *CLOSE* && $actions == *MOVE* && $actions != *MAXIMIZE* &&
    $actions != *RESIZE* ]]; then
    ok "the window manager may move, minimize and close it, not maximize or resize it"
else
    fail "allowed actions: $actions"
fi
at() { xdotool mousemove --window "$window" "$1" "$2"; } # a point of the client area

# Dragging 标签7 moves the window (xdotool's X and Y are off by the frame, but change with it).
x0=$X y0=$Y
at 150 145
xdotool mousedown 1
sleep 0.2
for step in 1 2 3 4 5; do xdotool mousemove_relative -- 8 6; sleep 0.05; done
xdotool mouseup 1
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
if [ "$X" -ne "$x0" ] || [ "$Y" -ne "$y0" ]; then ok "dragging a label moved the window"; else fail "the window did not move"; fi

type_into() { # x y text: replaces what the box holds
    at "$1" "$2"
    xdotool click 1
    sleep 0.2
    xdotool key ctrl+a BackSpace
    xdotool type --delay 10 "$3"
}
type_into 150 18 "$work/remote"
type_into 150 50 "$work/local"
xdotool key Escape Return # nothing happens
sleep 0.2
at 344 222
xdotool click 1
synced=no
for _ in $(seq 1 150); do
    if [ -d "$work/local" ] && diff -r "$work/remote" "$work/local" >/dev/null 2>&1; then
        synced=yes
        break
    fi
    sleep 0.1
done
if [ "$synced" = yes ]; then ok "the local tree follows the remote one"; else fail "trees differ"; fi
sleep 2 # the watcher ticks once a second
import -window root "$artifacts/brenvale-linux-run.png" 2>/dev/null
if kill -0 "$pid" 2>/dev/null; then ok "Esc and Enter left the window open"; else fail "the program ended early"; fi
grep -q "$work/local" "$work/bin/Ostrel.ini" && fail "typing a path stored it" || ok "typed paths are not stored"

xdotool windowactivate --sync "$window" 2>/dev/null
xdotool key alt+F4
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    fail "the program did not end"
else
    wait "$pid"
    status=$?
    pid=""
    if [ "$status" -eq 0 ]; then ok "exit code 0"; else fail "exit code $status"; fi
fi
echo "screenshot: $artifacts/brenvale-linux-run.png"
[ "$failures" -eq 0 ]
