#!/usr/bin/env bash
# kyomat --protokoll FILE [POSITION]: one bout in words; a position that is not a number is
# said to be one, not taken for "every bout".
set -u
program="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
file="$dir/protokoll-2026-12-07.csv"
printf '\xef\xbb\xbfUhrzeit;Liste;Altersklasse;Gewichtsklasse;Sekunde;Gegenstand;Betrag;Blau;Wei\xc3\x9f;Dauer;Sieger\r\n' > "$file"
printf '10:00:00;3;U18;-66;;NEUER KAMPF;;Meier;Li;;\r\n10:00:05;3;U18;-66;42;LBL_W_B;+1;Meier;Li;;\r\n' >> "$file"
printf '10:00:00;4;U18;-73;;NEUER KAMPF;;Vogel;Wolf;;\r\n' >> "$file"
fail=0
out=$(QT_QPA_PLATFORM=offscreen "$program" --protokoll "$file" 3 2>&1)
case "$out" in *"0:42 Waza-ari Blau +1"*) ;; *) echo "position 3: $out"; fail=1 ;; esac
case "$out" in *Vogel*) echo "position 3 shows bout 4: $out"; fail=1 ;; esac
out=$(QT_QPA_PLATFORM=offscreen "$program" --protokoll "$file" drei 2>&1)
status=$?
if [ "$status" -ne 2 ]; then echo "a position that is no number: exit $status"; fail=1; fi
case "$out" in *"'drei' ist keine Listenposition"*) ;; *) echo "no word on it: $out"; fail=1 ;; esac
case "$out" in *Vogel*) echo "printed every bout: $out"; fail=1 ;; esac
if [ "$fail" -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; fi
exit "$fail"
