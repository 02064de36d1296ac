#!/usr/bin/env bash
# Builds the .deb, unpacks it into a temporary root and starts the installed program
# offscreen through its launcher: it must come up and keep running until it is stopped.
set -euo pipefail
build="$1"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
cd "$build"
cpack -G DEB > "$root/cpack.log" 2>&1 || { cat "$root/cpack.log"; exit 1; }
deb="$(ls -t "$build"/kyomat_*.deb | head -n 1)"
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || { echo "Depends lacks Qt"; exit 1; }
dpkg-deb --field "$deb" Depends | grep -q libsdl2-mixer || { echo "Depends lacks SDL2_mixer"; exit 1; }
dpkg -x "$deb" "$root/inst"
for f in usr/bin/kyomat usr/lib/kyomat/kyomat usr/lib/kyomat/kyomat.ini usr/lib/kyomat/gong.wav \
         usr/share/applications/kyomat.desktop usr/share/icons/hicolor/256x256/apps/kyomat.png; do
  [ -e "$root/inst/$f" ] || { echo "missing in the package: $f"; exit 1; }
done
export KYOMAT_HOME="$root/home/kyomat" QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
set +e
timeout -k 3 4 "$root/inst/usr/bin/kyomat" > "$root/run.log" 2>&1
status=$?
set -e
# 124: still running when stopped, that is, it came up and showed its board.
if [ "$status" -ne 124 ]; then
  echo "the installed program ended with $status:"
  cat "$root/run.log"
  exit 1
fi
[ -f "$KYOMAT_HOME/kyomat.ini" ] && [ -x "$KYOMAT_HOME/kyomat" ] || { echo "no program folder"; exit 1; }
echo "installed program ran"
