#!/bin/sh
# Starts KYOMAT from the user's own program folder (~/kyomat by default, or $KYOMAT_HOME):
# the program reads kyomat.ini from its folder and saves bout lists there, so it needs a
# folder the operator owns. The program itself is refreshed from the installation at every
# start; settings, sounds and lists already there are never overwritten.
set -e
installed="$(dirname "$(readlink -f "$0")")/../lib/kyomat"
home="${KYOMAT_HOME:-$HOME/kyomat}"
mkdir -p "$home"
cp -f "$installed/kyomat" "$home/kyomat.new"
mv -f "$home/kyomat.new" "$home/kyomat"
for f in kyomat.ini gong.wav beispiel.kfl beispiel_mannschaft.kfl beispiel_u15.kfl beispiel_u11.kfl; do
  [ -e "$home/$f" ] || cp "$installed/$f" "$home/$f"
done
exec "$home/kyomat" "$@"
