#!/usr/bin/env bash
# Shared by scripts/run, scripts/test and scripts/bench: packages, configure, build.
set -euo pipefail
KYOMAT_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/deps.sh
source "$KYOMAT_ROOT/scripts/deps.sh"

# kyomat_build DIR [cmake options...] [-- targets...]: configures and builds out of tree,
# everything or only the targets named after "--".
kyomat_build() {
  local dir="$1"
  shift
  local options=() targets=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    options+=("$1")
    shift
  done
  if [ $# -gt 0 ]; then
    shift
    for t in "$@"; do targets+=(--target "$t"); done
  fi
  mkdir -p "$(dirname "$dir")"
  cmake -S "$KYOMAT_ROOT" -B "$dir" "${options[@]}" > "$dir.configure.log" 2>&1 || {
    cat "$dir.configure.log" >&2
    return 1
  }
  cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)" "${targets[@]}"
}
