#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the window need, but only
# those that are missing, so running it again costs a dpkg query and nothing more.
set -euo pipefail

packages=(
  build-essential cmake pkg-config make git
  libsdl2-dev libfreetype-dev libsqlite3-dev libstb-dev
  fonts-wine
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  xvfb xdotool x11-utils imagemagick
  # the window on Wayland: the seat check before SDL starts, and the compositor of the journey
  libwayland-dev weston
  # checks the desktop entry that make install puts in place
  desktop-file-utils
  # SDL draws its message boxes on X with the core fonts; without them no box appears
  xfonts-base
  python3-aiosmtpd sqlite3
  libcurl4-openssl-dev openssl
  # reminders and SMS: the D-Bus calls, and the buses and stand-in services the tests start
  libdbus-1-dev dbus-daemon python3-dbus python3-gi
  # iCalendar files
  libical-dev
  # judges of the calendars and cards that export writes
  python3-icalendar python3-vobject
  # the vdir's peers in the tests: calendar and contacts tools, the sync tool, a CalDAV server
  khal khard vdirsyncer radicale
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
