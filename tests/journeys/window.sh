#!/usr/bin/env bash
# The program in a real X window, as a user meets it: started under Xvfb, the window
# shows the program's frame (the home screen) between the two bars, a click on the
# Status button opens its panel and a second one closes it, a second start only raises
# it, Ctrl+Q closes it with exit code 0, and a landscape screen is refused with its
# message box and exit code 1. SIGTERM and SIGINT end it at any moment, also while the
# landscape box is shown, with the store closed (its write-ahead log folded back and
# removed) and exit code 0, or 1 after the landscape refusal.
#
# Usage: tests/journeys/window.sh BUILD_DIR
# Needs: xvfb, xdotool, x11-utils, imagemagick (scripts/install-deps.sh installs them).
set -euo pipefail

build=${1:?usage: window.sh BUILD_DIR}
exe=$(cd "$build" && pwd)/bin/orvida
[ -x "$exe" ] || { echo "window.sh: no executable at $exe" >&2; exit 2; }
for tool in Xvfb xdotool xwininfo import compare convert; do
  command -v "$tool" > /dev/null || { echo "window.sh: $tool is missing; run scripts/install-deps.sh" >&2; exit 2; }
done

work=$(mktemp -d /tmp/orvida-window.XXXXXX)
xvfb_pid=""
app_pid=""
cleanup() {
  if [ -n "$app_pid" ]; then kill "$app_pid" 2> /dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2> /dev/null || true
    # Gone for good before the next run looks for a free display.
    wait "$xvfb_pid" 2> /dev/null || true
  fi
  if [ -n "${KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

fail() {
  echo "window.sh: FAILED: $*" >&2
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
  done
  exit 1
}
step() { echo "window.sh: $*"; }
# shellcheck source=tests/journeys/xvfb.sh
source "$(dirname "$0")/xvfb.sh"

# A private display.
start_xvfb 800x800
DISPLAY=$xvfb_display
export DISPLAY
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export SDL_AUDIODRIVER=dummy
# In a sanitized build the X, GL and desktop-bus libraries that SDL loads keep some
# memory to the end, and SDL unloads them before the leak check can name them. The
# leak check of our own code runs in the test suite under the dummy video driver.
export ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

# Ids of the viewable top-level windows named exactly $1. xwininfo reads the UTF-8
# names SDL gives its windows and message boxes, which xdotool's search misses.
windows_named() {
  local id
  for id in $(xwininfo -root -tree | sed -n "s/^ *\(0x[0-9a-f]*\) \"$1\".*/\1/p"); do
    xwininfo -id "$id" 2> /dev/null | grep -q 'Map State: IsViewable' && echo "$id"
  done
  return 0
}

# Waits for a viewable window named exactly $1; prints its id.
wait_window() {
  local id=""
  for _ in $(seq 150); do
    [ -n "$(windows_named Error)" ] && fail "an error box appeared (missing pictures or fonts?)"
    id=$(windows_named "$1" | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}

# The colour of one pixel as "r,g,b".
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
# Pixels that differ between two pictures of the same size.
differing() { compare -metric AE "$1" "$2" null: 2>&1 || true; }

W=480
H=640
# The bars share the reserved height, int(640 * 0.1625) = 104: 52 above, 52 below.
TOP=52
SCREEN_H=$((H - 104))
BAR="22,26,33"
EDGE="52,60,74"

step "the program's own first frame, from the headless host"
printf 'wait 100\nshot %s\n' "$work/expected.png" | "$exe" --headless --screen ${W}x$H --script - 2> "$work/headless.log" \
  || fail "the headless host failed"

step "start the window on $DISPLAY"
"$exe" --debug --screen ${W}x$H > "$work/orvida.log" 2>&1 &
app_pid=$!
wid=$(wait_window Orvida) || fail "no window named Orvida appeared"
geometry=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "${W}x$H" ] || fail "the window is $geometry, not ${W}x$H"

# Screenshots the window as $1.png until the pixels of its screen rectangle that differ
# from the picture $4 are $2 ("fewer" or "more") than $3, for at most ten seconds: a
# slow machine gets time, a wrong picture still fails. Leaves the count in $diff.
shoot_until() {
  local name=$1 relation=$2 limit=$3 reference=$4
  for _ in $(seq 40); do
    import -window "$wid" "$work/$name.png"
    convert "$work/$name.png" -crop "${W}x${SCREEN_H}+0+$TOP" +repage "$work/$name-screen.png"
    diff=$(differing "$work/$name-screen.png" "$reference")
    diff=${diff%%.*}
    if [ "$relation" = fewer ] && [ "$diff" -lt "$limit" ]; then return 0; fi
    if [ "$relation" = more ] && [ "$diff" -gt "$limit" ]; then return 0; fi
    sleep 0.25
  done
  return 1
}

step "the window shows the program's frame between the two bars"
# A clock on the screen may move on between the two pictures; anything more is wrong.
shoot_until before fewer $((W * SCREEN_H / 50)) "$work/expected.png" \
  || fail "the screen rectangle is not the program's frame ($diff pixels differ)"
step "  pixels of the screen rectangle unlike the program's frame: $diff"
[ "$(pixel "$work/before.png" $((W / 2)) 1)" = "$BAR" ] || fail "no top bar at the top: $(pixel "$work/before.png" $((W / 2)) 1)"
[ "$(pixel "$work/before.png" $((W / 2)) $((TOP - 1)))" = "$EDGE" ] || fail "the top bar does not end at row $((TOP - 1))"
[ "$(pixel "$work/before.png" 0 $((TOP + SCREEN_H)))" = "$EDGE" ] || fail "the soft-key bar does not begin at row $((TOP + SCREEN_H))"
[ "$(pixel "$work/before.png" $((W - 1)) $((H - 1)))" = "$BAR" ] || fail "no soft-key bar at the bottom"

step "a click on the home screen's Status button opens the device status panel"
# The hyper bar's left button covers the bottom tenth of the screen rectangle's left half.
xdotool mousemove --window "$wid" 100 $((SCREEN_H - 20 + TOP)) click 1
shoot_until after more 500 "$work/before-screen.png" || fail "the click did not open the panel"
step "  pixels changed by the click: $diff"

step "a click on the button, now on the panel's top edge, closes it again"
# The panel takes the lower 0.4 of the screen; the button stands 0.1 tall on top of it.
xdotool mousemove --window "$wid" 100 $((SCREEN_H - SCREEN_H * 4 / 10 - 20 + TOP)) click 1
shoot_until closed fewer $((W * SCREEN_H / 50)) "$work/before-screen.png" \
  || fail "the second click did not close the panel ($diff pixels differ from the home screen)"

step "a second start raises the first and exits 0 without a window"
"$exe" --debug > "$work/second.log" 2>&1 || fail "the second start exited with $?"
grep -q "window open" "$work/second.log" && fail "the second start opened a window"
for _ in $(seq 50); do grep -q "a second start asked" "$work/orvida.log" && break; sleep 0.1; done
grep -q "a second start asked" "$work/orvida.log" || fail "the running copy was not asked to raise its window"

step "Ctrl+Q closes it with exit code 0"
xdotool windowfocus --sync "$wid" 2> /dev/null || true
xdotool key --clearmodifiers ctrl+q
code=0
for _ in $(seq 100); do kill -0 "$app_pid" 2> /dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2> /dev/null && fail "Ctrl+Q did not close the window"
wait "$app_pid" || code=$?
app_pid=""
[ "$code" -eq 0 ] || fail "the program exited with $code after Ctrl+Q"

step "a landscape screen shows the message box and exits 1"
"$exe" --screen 640x480 > "$work/landscape.log" 2>&1 &
app_pid=$!
box=$(wait_window Orvida) || fail "no landscape message box appeared"
grep -q "Not designed for landscape mode" "$work/landscape.log" || fail "the landscape message is missing"
xdotool windowfocus --sync "$box" 2> /dev/null || true
xdotool key Return
code=0
for _ in $(seq 100); do kill -0 "$app_pid" 2> /dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2> /dev/null && fail "the landscape box did not close with Return"
wait "$app_pid" || code=$?
app_pid=""
[ "$code" -eq 1 ] || fail "a landscape start exited with $code, not 1"

# Waits up to five seconds for the program to end; leaves its exit code in $code.
ended_with() {
  code=0
  for _ in $(seq 50); do kill -0 "$app_pid" 2> /dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2> /dev/null && return 1
  wait "$app_pid" || code=$?
  app_pid=""
}
store="$XDG_DATA_HOME/orvida/orvida.sqlite"

step "SIGTERM ends the window with the store closed and exit code 0"
"$exe" --screen ${W}x$H > "$work/term.log" 2>&1 &
app_pid=$!
wait_window Orvida > /dev/null || fail "no window appeared"
[ -e "$store-wal" ] || fail "the store was not open while the window was shown"
kill -TERM "$app_pid"
ended_with || fail "SIGTERM did not end the program"
[ "$code" -eq 0 ] || fail "the program exited with $code after SIGTERM"
[ -e "$store-wal" ] && fail "the store was not closed: its write-ahead log is still there"

step "SIGINT does the same"
"$exe" --screen ${W}x$H > "$work/int.log" 2>&1 &
app_pid=$!
wait_window Orvida > /dev/null || fail "no window appeared"
kill -INT "$app_pid"
ended_with || fail "SIGINT did not end the program"
[ "$code" -eq 0 ] || fail "the program exited with $code after SIGINT"

step "--fullscreen fills the (square) display"
"$exe" --debug --fullscreen > "$work/full.log" 2>&1 &
app_pid=$!
wid=$(wait_window Orvida) || fail "no window appeared"
geometry=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "800x800" ] || fail "the full-screen window is $geometry, not 800x800"
kill -TERM "$app_pid"
ended_with || fail "SIGTERM did not end the full-screen program"
grep -q "window open, 800x800 full screen" "$work/full.log" || fail "the program did not draw at the display's size"

step "SIGTERM ends a landscape start while its box is shown, exit code 1, the box gone"
"$exe" --screen 640x480 > "$work/landscape-term.log" 2>&1 &
app_pid=$!
wait_window Orvida > /dev/null || fail "no landscape message box appeared"
kill -TERM "$app_pid"
ended_with || fail "SIGTERM did not end the program while its box was shown"
[ "$code" -eq 1 ] || fail "a landscape start ended by SIGTERM exited with $code, not 1"
sleep 0.3
[ -n "$(windows_named Orvida)" ] && fail "the landscape box stayed on the screen"
[ -e "$store-wal" ] && fail "the store was not closed after the landscape refusal"

step "SIGTERM ends a headless run waiting on its script, exit code 0"
mkfifo "$work/script"
"$exe" --headless --script - < "$work/script" > "$work/headless-term.log" 2>&1 &
app_pid=$!
exec 4> "$work/script"
echo "wait 100" >&4
sleep 0.5
kill -TERM "$app_pid"
ended_with || fail "SIGTERM did not end a headless run"
exec 4>&-
[ "$code" -eq 0 ] || fail "a headless run ended by SIGTERM exited with $code"

step "passed"
