#!/usr/bin/env bash
# Reminders reaching the desktop: a private session bus with a stand-in notification
# service on it (ovNotifyService.py). `orvida remind` delivers one Notify call for a due
# reminder; six of them started at once on a store with ten due reminders deliver ten
# in all; the window (under Xvfb) delivers one for a reminder falling due while it runs,
# and without a bus it keeps running and writes the reason once.
#
# Usage: tests/journeys/remind.sh BUILD_DIR
# Needs: dbus-daemon, python3-dbus, python3-gi, xvfb, x11-utils (scripts/install-deps.sh).
set -euo pipefail

build=${1:?usage: remind.sh BUILD_DIR}
exe=$(cd "$build" && pwd)/bin/orvida
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$exe" ] || { echo "remind.sh: no executable at $exe" >&2; exit 2; }
for tool in dbus-daemon Xvfb xwininfo /usr/bin/python3; do
  command -v "$tool" > /dev/null || { echo "remind.sh: $tool is missing; run scripts/install-deps.sh" >&2; exit 2; }
done

work=$(mktemp -d /tmp/orvida-remind.XXXXXX)
bus_pid=""
service_pid=""
xvfb_pid=""
app_pid=""
cleanup() {
  for pid in "$app_pid" "$service_pid" "$bus_pid" "$xvfb_pid"; do
    if [ -n "$pid" ]; then
      kill "$pid" 2> /dev/null || true
      wait "$pid" 2> /dev/null || true
    fi
  done
  if [ -n "${KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

fail() {
  echo "remind.sh: FAILED: $*" >&2
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
  done
  exit 1
}
step() { echo "remind.sh: $*"; }
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/xdg-data"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

# The private session bus; it prints its address on fd 3 once it listens.
dbus-daemon --session --nofork --nopidfile --print-address=3 3> "$work/bus-address" 2> "$work/bus.log" &
bus_pid=$!
for _ in $(seq 100); do [ -s "$work/bus-address" ] && break; sleep 0.1; done
[ -s "$work/bus-address" ] || fail "dbus-daemon did not start"
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus-address")
export DBUS_SESSION_BUS_ADDRESS

: > "$work/notify.calls"
/usr/bin/python3 "$here/ovNotifyService.py" "$work/notify.calls" "$work/service.ready" 2> "$work/service.log" &
service_pid=$!
for _ in $(seq 100); do [ -s "$work/service.ready" ] && break; sleep 0.1; done
[ -s "$work/service.ready" ] || fail "the notification service did not start"

calls() { wc -l < "$work/notify.calls"; }

step "orvida remind delivers one Notify call for a due reminder"
"$exe" pim --data "$work/one" add-appointment --start 2026-12-09T09:30:00 --end 2026-12-09T10:00:00 \
  --subject "Dentist" --location "Room 4" --reminder 15 > /dev/null
"$exe" remind --data "$work/one" --now 2026-12-09T09:14:00 > "$work/remind-early.log" 2>&1
[ "$(calls)" -eq 0 ] || fail "a reminder fired before its time"
"$exe" remind --data "$work/one" --now 2026-12-09T09:15:00 > "$work/remind.log" 2>&1 || fail "orvida remind failed"
"$exe" remind --data "$work/one" --now 2026-12-09T09:16:00 >> "$work/remind.log" 2>&1 || fail "orvida remind failed"
[ "$(calls)" -eq 1 ] || fail "expected one Notify call, got $(calls)"
grep -q $'^Orvida\tDentist\t09:30, Room 4$' "$work/notify.calls" || fail "the Notify call does not name the appointment"

step "six orvida remind at once deliver ten reminders, each once"
: > "$work/notify.calls"
for i in $(seq 10); do
  "$exe" pim --data "$work/ten" add-appointment --start "2026-12-09T09:$((20 + i)):00" \
    --end "2026-12-09T10:00:00" --subject "Meeting $i" --reminder 15 > /dev/null
done
pids=()
for i in $(seq 6); do
  "$exe" remind --data "$work/ten" --now 2026-12-09T09:40:00 > "$work/six-$i.out" 2> "$work/six-$i.log" &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || fail "an orvida remind failed"; done
printed=$(cat "$work"/six-*.out | wc -l)
[ "$(calls)" -eq 10 ] || fail "expected ten Notify calls, got $(calls)"
[ "$printed" -eq 10 ] || fail "expected ten fired reminders, $printed were printed"
[ "$(cut -f2 "$work/notify.calls" | sort -u | wc -l)" -eq 10 ] || fail "a reminder was delivered twice"

step "the window delivers one Notify call for a reminder falling due while it runs"
: > "$work/notify.calls"
Xvfb -displayfd 4 -screen 0 800x800x24 -nolisten tcp 4> "$work/display" 2> "$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
for _ in $(seq 100); do xwininfo -root > /dev/null 2>&1 && break; sleep 0.1; done
# Due a few seconds after the window opens, on the real clock.
start=$(date -d "+15 minutes 4 seconds" +%Y-%m-%dT%H:%M:%S)
"$exe" pim --data "$work/window" add-appointment --start "$start" --end "$start" \
  --subject "Window reminder" --reminder 15 > /dev/null
"$exe" --data "$work/window" > "$work/window.log" 2>&1 &
app_pid=$!
for _ in $(seq 200); do [ "$(calls)" -ge 1 ] && break; sleep 0.1; done
sleep 1
[ "$(calls)" -eq 1 ] || fail "expected one Notify call from the window, got $(calls)"
grep -q $'\tWindow reminder\t' "$work/notify.calls" || fail "the window's Notify call does not name the appointment"
kill "$app_pid"
wait "$app_pid" 2> /dev/null || true
app_pid=""

step "without a notification service the window keeps running and says why once"
start=$(date -d "+15 minutes 3 seconds" +%Y-%m-%dT%H:%M:%S)
for n in 1 2; do
  "$exe" pim --data "$work/nobus" add-appointment --start "$start" --end "$start" \
    --subject "Unseen $n" --reminder 15 > /dev/null
done
DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-such-bus" "$exe" --debug --data "$work/nobus" > "$work/nobus.log" 2>&1 &
app_pid=$!
for _ in $(seq 200); do grep -q "Reminders are not shown" "$work/nobus.log" && break; sleep 0.1; done
sleep 1
kill -0 "$app_pid" 2> /dev/null || fail "the window ended when the reminder could not be shown"
[ "$(grep -c "Reminders are not shown on the desktop: no session bus" "$work/nobus.log")" -eq 1 ] ||
  fail "the reason was not written exactly once"
[ "$(calls)" -eq 1 ] || fail "a Notify call reached the bus it should not have"
kill "$app_pid"
wait "$app_pid" 2> /dev/null || true
app_pid=""
step "passed"
