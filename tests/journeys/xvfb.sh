# Sourced by the window journeys. start_xvfb WIDTHxHEIGHT starts a private X display of
# that size (Xvfb picks a free number and tells it through fd 3), waits until it
# answers, and sets xvfb_pid and xvfb_display (":N"). The caller provides $work (its
# scratch folder, where xvfb.log goes) and a fail function.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  xvfb_display=":$(head -1 "$work/display")"
  for _ in $(seq 100); do DISPLAY=$xvfb_display xwininfo -root > /dev/null 2>&1 && break; sleep 0.1; done
  DISPLAY=$xvfb_display xwininfo -root > /dev/null 2>&1 || fail "the display $xvfb_display does not answer"
}
