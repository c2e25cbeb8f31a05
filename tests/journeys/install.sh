#!/usr/bin/env bash
# `make install` and `make uninstall` into a scratch PREFIX (with DESTDIR): the installed
# program, started through its link in PREFIX/bin from another folder, finds its pictures
# and draws the home screen; the desktop entry passes desktop-file-validate and names the
# icon that was installed; the timer's service names the installed program; uninstall
# leaves nothing behind.
#
# Usage: tests/journeys/install.sh BUILD_DIR
# Needs: desktop-file-utils (scripts/install-deps.sh).
set -euo pipefail

build=$(cd "${1:?usage: install.sh BUILD_DIR}" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/orvida-install.XXXXXX)
prefix=/opt/orvida-test
root="$work/root"
fail() { echo "install.sh: $*" >&2; exit 1; }

[ -x "$build/bin/orvida" ] || fail "no program in $build/bin: build first"
# The manifest of a user's own install from this build folder is put back at the end.
manifest="$build/install_manifest.txt"
[ ! -f "$manifest" ] || cp "$manifest" "$work/manifest.saved"
restore() {
  if [ -f "$work/manifest.saved" ]; then cp "$work/manifest.saved" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$work"
}
trap restore EXIT
DESTDIR="$root" cmake --install "$build" --prefix "$prefix" > "$work/install.log"

exe="$root$prefix/bin/orvida"
[ -L "$exe" ] || fail "no link at $prefix/bin/orvida"
[ -x "$root$prefix/lib/orvida/orvida" ] || fail "the program is not in $prefix/lib/orvida"
[ -f "$root$prefix/lib/orvida/sounds/open.wav" ] || fail "the start sound is missing"

# Drawn from somewhere else entirely: the pictures must come from beside the real program.
cd "$work"
printf 'wait 100\nshot %s\n' "$work/home.png" > "$work/script"
"$exe" --headless --screen 240x320 --data "$work/data" --now 2026-12-09T10:00:00 --script "$work/script" \
  > "$work/run.log" 2>&1 || { cat "$work/run.log" >&2; fail "the installed program did not run"; }
if grep -q "cannot open" "$work/run.log"; then
  cat "$work/run.log" >&2
  fail "the installed program did not find its pictures and sounds"
fi
[ -s "$work/home.png" ] || fail "the installed program drew no home screen"

desktop="$root$prefix/share/applications/orvida.desktop"
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon named $icon"
grep -qx "ExecStart=$prefix/bin/orvida remind" "$root$prefix/lib/systemd/user/orvida-remind.service" ||
  fail "the reminder service does not name the installed program"

DESTDIR="$root" make -s -C "$source_dir" uninstall BUILD="$build" > /dev/null
left=$( [ ! -d "$root" ] || find "$root" -mindepth 1 \( -type f -o -type l \) | head -5)
[ -z "$left" ] || fail "uninstall left: $left"
echo "install.sh: installed, ran, validated and removed under $prefix"
