#!/usr/bin/env bash
# kyomat --protokoll FILE [LIST] [POSITION]: two lists of one day each keep their bout 1; a
# position that is not a number is said to be none, not taken for "every bout".
set -u
program="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
file="$dir/protokoll-2026-12-07.csv"
head='Uhrzeit;Liste;Altersklasse;Gewichtsklasse;Sekunde;Gegenstand;Betrag;Blau;Wei\xc3\x9f;Dauer;Sieger;Kampfliste;Verein Blau;Verein Wei\xc3\x9f;Anzeige'
printf '\xef\xbb\xbf%b\r\n' "$head" > "$file"
# A line of an older file (eleven fields), then two lists with a bout 1 each.
printf '10:00:00;3;U18;-66;;NEUER KAMPF;;Meier;Li;;\r\n10:00:05;3;U18;-66;42;LBL_W_B;+1;Meier;Li;;\r\n' >> "$file"
printf '11:00:00;1;U15;-50;;NEUER KAMPF;Liste;Vogel;Wolf;;;Frauen.kfl;JC;TV;\r\n' >> "$file"
printf '11:00:09;1;U15;-50;9;UHR_START;;Vogel;Wolf;;;Frauen.kfl;JC;TV;4:00\r\n' >> "$file"
printf '12:00:00;1;U18;-81;;NEUER KAMPF;Liste;Koch;Berg;;;Maenner.kfl;SV;PSV;\r\n' >> "$file"
# A list named like a number, and a name that would clear the screen and set the title.
printf '13:00:00;2;U18;-90;;NEUER KAMPF;Liste;"X\033[2J\033]0;pwn\007";"Tab\tCr\r";;;2026.kfl;;;\r\n' >> "$file"
fail=0
run() { QT_QPA_PLATFORM=offscreen "$program" --protokoll "$file" "$@" 2>&1; }
expect() {  # expect WHAT TEXT PATTERN...
  local what="$1" out="$2"; shift 2
  local p
  for p in "$@"; do
    case "$p" in
      !*) case "$out" in *"${p#!}"*) echo "$what: has ${p#!}: $out"; fail=1 ;; esac ;;
      *) case "$out" in *"$p"*) ;; *) echo "$what: lacks $p: $out"; fail=1 ;; esac ;;
    esac
  done
}
expect "position 3" "$(run 3)" "0:42 Waza-ari Blau +1" "!Vogel"
expect "position 1" "$(run 1)" "Liste Frauen.kfl" "Liste Maenner.kfl" \
  "Vogel (JC) – Wolf (TV)" "0:09 Uhr läuft ab 4:00" "!Meier"
expect "list and position" "$(run maenner.KFL 1)" "Koch (SV) – Berg (PSV)" "!Vogel"
expect "list alone" "$(run Frauen)" "Vogel" "!Koch" "!Meier"
out=$(run drei)
status=$?
if [ "$status" -ne 2 ]; then echo "a position that is no number: exit $status"; fail=1; fi
expect "no number" "$out" "'drei' ist keine Listenposition" "!Vogel"
out=$(run Frauen eins)
expect "list and no number" "$out" "'eins' ist keine Listenposition" "!Vogel"
expect "a list named 2026" "$(run 2026)" "Liste 2026.kfl" "!Vogel" "!Koch"
expect "--position" "$(run --position 1)" "Vogel" "Koch" "!2026.kfl"
expect "list and --position" "$(run 2026 --position 2)" "Liste 2026.kfl"
expect "control characters" "$(run 2026)" 'X\x1b[2J\x1b]0;pwn\x07' 'Tab\x09Cr' $'!\033'
if [ "$fail" -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; fi
exit "$fail"
