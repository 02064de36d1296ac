#!/usr/bin/env bash
# The real program started with hostile files in its folder: it stays up (a message box
# waits for the operator) and says what is wrong, for each case.
set -euo pipefail
bin="$1"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
failed=0

# start CASE EXPECTED [LOG]: runs the program prepared in $root/CASE for 4 seconds; its output
# goes to LOG (outside a folder that cannot be written), by default beside it.
start() {
  local dir="$root/$1" expected="$2" log="${3:-$root/$1/out.log}" status=0
  timeout -k 2 4 "$dir/kyomat" > "$log" 2>&1 || status=$?
  if [ "$status" -ne 124 ]; then
    echo "FAIL $1: the program ended with $status"; cat "$log"; failed=1; return
  fi
  if ! grep -qF -- "$expected" "$log"; then
    echo "FAIL $1: no message \"$expected\""; cat "$log"; failed=1; return
  fi
  echo "ok   $1: stays up and says \"$expected\""
}

prepare() {
  mkdir -p "$root/$1"
  cp "$bin" "$root/$1/kyomat"
}

prepare folder && mkdir "$root/folder/kyomat.ini"
start folder "ist ein Ordner"
prepare fifo && mkfifo "$root/fifo/kyomat.ini"
start fifo "ist eine Pipe"
prepare device && ln -s /dev/zero "$root/device/kyomat.ini"
start device "ist ein Gerät"
prepare huge && truncate -s 100M "$root/huge/kyomat.ini"
start huge "ist zu groß"
# A byte order mark before the first section: the section is read, so only the gong is
# missing (the file names none), not the display position.
prepare bom && printf '\xEF\xBB\xBF[anzeige]\r\nanz_links=0\r\n' > "$root/bom/kyomat.ini"
start bom "Kein Gong eingestellt"
if grep -q "ist kein gültiger Integerwert" "$root/bom/out.log"; then
  echo "FAIL bom: the first section was not read"; failed=1
fi
# Hostile numbers: reported as bad numbers, the program goes on.
prepare numbers && printf '[anzeige]\r\nanz_links=0\r\nhaltegr_ippon=2147483647\r\n' > "$root/numbers/kyomat.ini"
start numbers "'2147483647' ist kein gültiger Integerwert"
# A folder that cannot take the lock still gets its board, and says what is off; "läuft schon"
# only when a running program holds the lock.
# A gong, so that the start's first box is the one about the lock.
quiet_ini() {
  cp "$(dirname "$0")/../assets/gong.wav" "$root/$1/gong.wav"
  printf '[anzeige]\r\nanz_links=0\r\ngong=gong.wav\r\n' > "$root/$1/kyomat.ini"
}
prepare lockdir && quiet_ini lockdir && mkdir "$root/lockdir/kyomat.lock"
start lockdir "ein zweites Programm im selben Ordner wird nicht bemerkt"
if grep -q "läuft in diesem Ordner schon" "$root/lockdir/out.log"; then
  echo "FAIL lockdir: a folder in the lock's place was taken for a running program"; failed=1
fi
prepare second && quiet_ini second
timeout -k 2 6 "$root/second/kyomat" > "$root/second/first.log" 2>&1 &
first=$!
sleep 2
start second "läuft in diesem Ordner schon"
wait "$first" || true
# A read-only folder (a write-protected stick), where this machine lets us make one.
prepare readonly && quiet_ini readonly
if mount --bind "$root/readonly" "$root/readonly" 2>/dev/null; then
  if mount -o remount,bind,ro "$root/readonly" 2>/dev/null; then
    start readonly "KYOMAT läuft ohne Schutz" "$root/readonly.log"
  fi
  umount "$root/readonly"
fi
# A full disk (a tmpfs just big enough for the program, then filled up).
mkdir -p "$root/full"
size_k=$(( $(stat -c %s "$bin") / 1024 + 1024 ))
if mount -t tmpfs -o size=${size_k}k tmpfs "$root/full" 2>/dev/null; then
  cp "$bin" "$root/full/kyomat"
  quiet_ini full
  dd if=/dev/zero of="$root/full/fill" bs=4k 2>/dev/null || true
  start full "KYOMAT läuft ohne Schutz" "$root/full.log"
  umount "$root/full"
fi
exit $failed
