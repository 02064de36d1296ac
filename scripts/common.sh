#!/usr/bin/env bash
# Shared by scripts/run, scripts/test and scripts/bench: packages, configure, build.
set -euo pipefail
KYOMAT_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/deps.sh
source "$KYOMAT_ROOT/scripts/deps.sh"

# kyomat_build DIR [cmake options...]: configures and builds out of tree.
kyomat_build() {
  local dir="$1"
  shift
  mkdir -p "$(dirname "$dir")"
  cmake -S "$KYOMAT_ROOT" -B "$dir" "$@" > "$dir.configure.log" 2>&1 || {
    cat "$dir.configure.log" >&2
    return 1
  }
  cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)"
}
