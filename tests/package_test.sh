#!/usr/bin/env bash
# Builds the .deb, unpacks it into a temporary root and starts the installed program
# through its launcher on an X server of its own: it must show its board.
set -euo pipefail
build="$1"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
cd "$build"
cpack -G DEB > "$root/cpack.log" 2>&1 || { cat "$root/cpack.log"; exit 1; }
deb="$(ls -t "$build"/kyomat_*.deb | head -n 1)"
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || { echo "Depends lacks Qt"; exit 1; }
dpkg-deb --field "$deb" Depends | grep -q libsdl2-mixer || { echo "Depends lacks SDL2_mixer"; exit 1; }
dpkg-deb --field "$deb" Depends | grep -q qt6-translations-l10n || { echo "Depends lacks the German Qt texts"; exit 1; }
dpkg-deb --field "$deb" Depends | grep -q libqt6network6 || { echo "Depends lacks the network module of the live view"; exit 1; }
dpkg -x "$deb" "$root/inst"
# The menu entry is one that desktops accept as it is (no hints either).
if out=$(desktop-file-validate "$root/inst/usr/share/applications/kyomat.desktop" 2>&1) && [ -z "$out" ]; then
  :
else
  echo "the desktop entry is not valid: $out"; exit 1
fi
for f in usr/bin/kyomat usr/lib/kyomat/kyomat usr/lib/kyomat/kyomat.ini usr/lib/kyomat/gong.wav \
         usr/share/applications/kyomat.desktop usr/share/icons/hicolor/256x256/apps/kyomat.png; do
  [ -e "$root/inst/$f" ] || { echo "missing in the package: $f"; exit 1; }
done
export KYOMAT_HOME="$root/home/kyomat" SDL_AUDIODRIVER=dummy
unset QT_QPA_PLATFORM
# The installed program on an X server of its own: it must map its board, which then carries
# the title it takes once it is placed on the display monitor.
cat > "$root/probe.sh" <<'PROBE'
#!/usr/bin/env bash
"$1" > "$2" 2>&1 &
pid=$!
for _ in $(seq 100); do
  if info=$(xwininfo -name "KYOMAT - Anzeigetafel" 2>/dev/null) && grep -q IsViewable <<< "$info"; then
    width=$(awk '/Width:/ {print $2}' <<< "$info")
    kill "$pid"
    wait "$pid" 2>/dev/null
    [ "${width:-0}" -ge 640 ] && exit 0
    echo "board mapped only $width pixels wide"
    exit 1
  fi
  kill -0 "$pid" 2>/dev/null || { echo "the installed program ended early"; exit 1; }
  sleep 0.1
done
kill "$pid"
echo "no board window appeared"
exit 1
PROBE
chmod +x "$root/probe.sh"
if ! xvfb-run -a -s "-screen 0 1280x1024x24" "$root/probe.sh" "$root/inst/usr/bin/kyomat" \
    "$root/run.log"; then
  cat "$root/run.log"
  exit 1
fi
[ -f "$KYOMAT_HOME/kyomat.ini" ] && [ -x "$KYOMAT_HOME/kyomat" ] || { echo "no program folder"; exit 1; }
echo "installed program showed its board"
