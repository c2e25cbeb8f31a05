#!/usr/bin/env bash
# Screenshots of what a newcomer meets first, through the headless host: the home
# screen, a keyboard, the time picker, the date picker, the contact picker and the
# calculator, at 480x640 and 720x1440, on a small store of examples.
#
# Usage: scripts/screenshots.sh BUILD_DIR OUT_DIR   (make screenshots writes ./screenshots)
set -euo pipefail

build=${1:?usage: screenshots.sh BUILD_DIR OUT_DIR}
out=${2:?usage: screenshots.sh BUILD_DIR OUT_DIR}
exe=$build/bin/orvida
[ -x "$exe" ] || { echo "screenshots.sh: no executable at $exe" >&2; exit 2; }
mkdir -p "$out"
data=$(mktemp -d /tmp/orvida-shots.XXXXXX)
trap 'rm -rf "$data"' EXIT

now=2026-12-09T10:00:00
pim() { "$exe" pim --data "$data" "$@" > /dev/null; }
pim add-appointment --start 2026-12-09T11:30:00 --end 2026-12-09T12:15:00 --subject "Lunch with Bob" --location Roma
pim add-appointment --start 2026-12-09T08:00:00 --end 2026-12-09T09:00:00 --subject "Stand-up"
pim add-contact --file-as "Baker, Anna" --first Anna --mobile "+44 7700 900123" --email anna@example.org
pim add-contact --file-as "Bauer, Ben" --first Ben --mobile "+49 151 2345678"
pim add-contact --file-as "Brown, Bob" --first Bob --email bob@example.org

for size in 480x640 720x1440; do
  w=${size%x*}
  h=${size#*x}
  # Script positions are pixels of the screen rectangle: the window's height less the
  # two bars' share, 0.1625 of it.
  sh=$((h - h * 1625 / 10000))
  at() { echo "$(awk -v f="$1" -v e="$w" 'BEGIN { printf "%d", f * e }') $(awk -v f="$2" -v e="$sh" 'BEGIN { printf "%d", f * e }')"; }
  shot() {
    local name=$1
    shift
    { echo "wait 200"; printf '%s\n' "$@"; echo "wait 200"; echo "shot $out/$name-$size.png"; } |
      "$exe" --headless --data "$data" --screen "$size" --now "$now" --script - > /dev/null
  }
  shot home
  b="tap $(at 0.76 0.70)"
  o="tap $(at 0.754 0.32)"
  ok="tap $(at 0.85 0.94)"
  # The contact wizard opens on its name keyboard: "Bob".
  shot keyboard "tap $(at 0.25 0.13)" "$b" "$o" "$b"
  shot time-picker "tap $(at 0.25 0.76)" "tap $(at 0.55 0.21)"
  shot date-picker "tap $(at 0.25 0.76)" "tap $(at 0.24 0.535)"
  # The message wizard searches contacts by the letters typed: "B".
  shot contact-picker "tap $(at 0.75 0.13)" "$b" "$ok"
  shot calculator "tap $(at 0.75 0.95)" "tap $(at 0.5 0.5)"
done
echo "screenshots in $out"
