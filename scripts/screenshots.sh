#!/usr/bin/env bash
# Writes screenshots of the home screen, a keyboard, the time picker, the date picker,
# the contact picker and the calculator, at 480x640 and 720x1440, into BUILD/screenshots
# (ignored by git). The program runs on its headless host, driven through each screen
# by the touch areas of the screens' own layout tables; its pictures are drawn for each
# screen size into BUILD/test-cache.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=${JOBS:-2}

cmake --build "$build" -j "$jobs" --target ovWizardTests pictures orvida
out="$build/screenshots"
mkdir -p "$out"
rm -f "$out"/*.png
ORVIDA_SCREENSHOTS="$(cd "$out" && pwd)" \
    XDG_CACHE_HOME="$(cd "$build" && pwd)/test-cache" \
    XDG_DATA_HOME="$(cd "$build" && pwd)/test-data" \
    XDG_CONFIG_HOME="$(cd "$build" && pwd)/test-config" \
    "$build/tests/ovWizardTests" --gtest_filter='*ovScreensAtSizes*' --gtest_brief=1
count=$(find "$out" -name '*.png' | wc -l)
if [[ $count -ne 12 ]]; then
    echo "screenshots: expected 12 pictures in $out, found $count" >&2
    exit 1
fi
echo "screenshots: $count pictures in $out"
