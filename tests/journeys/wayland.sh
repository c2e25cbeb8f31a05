#!/usr/bin/env bash
# The program under a Wayland compositor, as on a phone's shell: weston with its X11
# backend inside Xvfb (its seat carries the pointer xdotool moves) and the kiosk shell,
# the program started with DISPLAY unset. It must run on SDL's Wayland driver, fill the
# portrait display, open the device status panel on a tap of its Status button (seen on
# weston's output), and end with exit code 0 on SIGTERM. Then weston's headless backend,
# which offers no input seat: the program must say so and exit, never crash.
#
# Usage: tests/journeys/wayland.sh BUILD_DIR
# Needs: weston, xvfb, xdotool, x11-utils, imagemagick (scripts/install-deps.sh installs them).
set -euo pipefail

build=${1:?usage: wayland.sh BUILD_DIR}
exe=$(cd "$build" && pwd)/bin/orvida
[ -x "$exe" ] || { echo "wayland.sh: no executable at $exe" >&2; exit 2; }
for tool in weston Xvfb xdotool xwininfo import compare; do
  command -v "$tool" > /dev/null || { echo "wayland.sh: $tool is missing; run scripts/install-deps.sh" >&2; exit 2; }
done

work=$(mktemp -d /tmp/orvida-wayland.XXXXXX)
xvfb_pid=""
weston_pid=""
app_pid=""
stop() {
  if [ -n "$1" ]; then
    kill "$1" 2> /dev/null || true
    wait "$1" 2> /dev/null || true
  fi
}
cleanup() {
  stop "$app_pid"
  stop "$weston_pid"
  stop "$xvfb_pid"
  if [ -n "${KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

fail() {
  echo "wayland.sh: FAILED: $*" >&2
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; tail -40 "$log" >&2; }
  done
  exit 1
}
step() { echo "wayland.sh: $*"; }
# shellcheck source=tests/journeys/xvfb.sh
source "$(dirname "$0")/xvfb.sh"

W=720
H=1440
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export SDL_AUDIODRIVER=dummy
# Clicks arrive as touches too, so the finger path is driven as well as the mouse's.
export SDL_MOUSE_TOUCH_EVENTS=1
export ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER

start_xvfb "${W}x${H}"
X=$xvfb_display

step "weston with its X11 backend and the kiosk shell on $X"
DISPLAY=$X weston --backend=x11-backend.so --use-pixman --width=$W --height=$H --shell=kiosk-shell.so \
  --socket=wl-ci --idle-time=0 > "$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/wl-ci" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/wl-ci" ] || fail "weston did not open its socket"

step "the program with DISPLAY unset runs on the Wayland driver and fills the display"
env -u DISPLAY WAYLAND_DISPLAY=wl-ci "$exe" --debug > "$work/orvida.log" 2>&1 &
app_pid=$!
for _ in $(seq 150); do grep -q "window open" "$work/orvida.log" && break; sleep 0.1; done
grep -q "window open" "$work/orvida.log" || fail "the program did not open its window"
grep -q "window open, ${W}x$H full screen on wayland" "$work/orvida.log" ||
  fail "not full screen on the Wayland driver: $(grep 'window open' "$work/orvida.log")"

# Screenshots weston's output as $1.png until it differs from $3 in more than $2 pixels
# (or, with $3 "-", until it shows anything but black); ten seconds at most.
diff=0
shoot_until() {
  for _ in $(seq 40); do
    DISPLAY=$X import -window root "$work/$1.png" 2> /dev/null || true
    if [ "$3" = - ]; then
      lit=$(convert "$work/$1.png" -fill white +opaque black -format "%[fx:mean]" info: 2> /dev/null || echo 0)
      diff=$(awk -v m="$lit" -v n=$((W * H)) 'BEGIN { printf "%d", m * n }')
    else
      diff=$(compare -metric AE "$work/$1.png" "$3" null: 2>&1 || true)
      diff=${diff%%.*}
    fi
    [ "${diff:-0}" -gt "$2" ] && return 0
    sleep 0.25
  done
  return 1
}
shoot_until before $((W * H / 4)) - || fail "weston's output does not show the program ($diff lit pixels)"
sleep 0.5
DISPLAY=$X import -window root "$work/before.png"

step "a tap on the Status button, through weston's seat, opens the device status panel"
# The bars share 0.1625 of the height; the hyper bar's left button is the bottom tenth of
# the screen rectangle's left half.
top=$((H * 1625 / 20000))
screen_h=$((H - 2 * top))
DISPLAY=$X xdotool mousemove 150 $((top + screen_h - screen_h / 40)) click 1
shoot_until after $((W * screen_h / 10)) "$work/before.png" || fail "the tap did not open the panel ($diff pixels changed)"
step "  pixels changed by the tap: $diff"

step "SIGTERM ends it with exit code 0"
kill -TERM "$app_pid"
code=0
for _ in $(seq 50); do kill -0 "$app_pid" 2> /dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2> /dev/null && fail "SIGTERM did not end the program"
wait "$app_pid" || code=$?
app_pid=""
[ "$code" -eq 0 ] || fail "the program exited with $code after SIGTERM"
stop "$weston_pid"
weston_pid=""

step "weston's headless backend, without a seat: a clear message, no crash"
weston --backend=headless-backend.so --use-pixman --socket=wl-headless --idle-time=0 > "$work/weston-headless.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/wl-headless" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/wl-headless" ] || fail "weston's headless backend did not open its socket"
code=0
env -u DISPLAY WAYLAND_DISPLAY=wl-headless timeout 20 "$exe" > "$work/seatless.log" 2>&1 || code=$?
[ "$code" -eq 3 ] || fail "without a seat and without X the program exited with $code, not 3"
grep -q "offers no input seat" "$work/seatless.log" || fail "the missing seat was not named"

step "the same with X at hand: it says so and runs on X11"
DISPLAY=$X WAYLAND_DISPLAY=wl-headless "$exe" --debug --window > "$work/seatless-x11.log" 2>&1 &
app_pid=$!
for _ in $(seq 150); do grep -q "window open" "$work/seatless-x11.log" && break; sleep 0.1; done
grep -q "window open.* on x11" "$work/seatless-x11.log" || fail "the program did not fall back to X11"
# --window keeps the window of the screen's size on this portrait display.
grep -q "window open, 480x640 on x11" "$work/seatless-x11.log" || fail "--window did not keep the 480x640 window"
grep -q "offers no input seat" "$work/seatless-x11.log" || fail "the fall-back to X11 was not explained"
kill -TERM "$app_pid"
code=0
wait "$app_pid" || code=$?
app_pid=""
[ "$code" -eq 0 ] || fail "the program on X11 exited with $code after SIGTERM"

step "passed"
