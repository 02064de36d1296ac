#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Sourced by scripts/run and
# scripts/test; safe to run again (only missing packages are installed).
kyomat_packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsdl2-mixer-dev libjpeg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core qt6-translations-l10n
  xvfb xauth
  qt6-speech-dev qt6-declarative-dev
)
# (Qt's speech headers name the QML integration header of qt6-declarative-dev, which
# Debian's qt6-speech-dev does not pull in: without it the build has no spoken call.)
# The spoken call's voice on Linux: the speech service, its German-speaking synthesiser and
# Qt's way to it. Installed by scripts/run; without them the call says once that no voice
# is there and the board works on.
kyomat_voice_packages=(qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng)
# What the tests need beyond the build: a window query for the installed package's test, the
# file utility that the .deb builder calls, the validator of its menu entry, and a browser
# with the socket to drive it for the live view's pages.
# The desk tests: two window managers, real X input, screenshots, and Python to drive them.
# strace shows the crash-safe save's order of system calls.
# Xorg with the dummy driver and xrandr make the desk of two monitors.
# Qt's way to the speech service: the voice's test speaks to a service of its own through it.
kyomat_test_packages=(x11-utils file desktop-file-utils chromium qt6-websockets-dev
  qt6-speech-speechd-plugin
  openbox metacity xdotool imagemagick python3 strace
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils)

kyomat_missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || printf '%s\n' "$p"
  done
}

# kyomat_install_packages PKG...: installs what is missing, or tells a non-root user how.
kyomat_install_packages() {
  local missing
  missing=$(kyomat_missing_packages "$@")
  [ -z "$missing" ] && return 0
  # shellcheck disable=SC2086
  set -- $missing
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y $*" >&2
    return 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  if [ -z "$(ls -A /var/lib/apt/lists 2>/dev/null | grep -v -e lock -e partial -e auxfiles)" ]; then
    apt-get update
  fi
  if ! apt-get install -y --no-install-recommends "$@"; then
    apt-get update && apt-get install -y --no-install-recommends "$@"
  fi
}
