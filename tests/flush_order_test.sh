#!/usr/bin/env bash
# The crash-safe save puts the new list on the disk before it renames it over the old one: a
# rename that reaches the disk before the data leaves an empty list after a power cut. Every
# rename of a save must follow a flush of the file it renames.
set -u
tests="$1"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# LeakSanitizer cannot run under strace; the same test runs with it in the suite itself.
if ! ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" strace -f -qq -e trace=fsync,fdatasync,rename,renameat,renameat2 -o "$log" "$tests" \
    --gtest_filter='CrashSafeSaving.AListIsSavedTwiceOverItselfInAFolderWithUmlauts' > /dev/null; then
  echo "0 passed, 1 failed: the save test itself failed"
  exit 1
fi
awk '
  /fsync\(|fdatasync\(/ { flushed = 1 }
  /rename(at2?)?\(/ && /\.kfl\.tmp/ {
    renames++
    if (!flushed) unflushed++
    flushed = 0
  }
  END {
    if (renames < 2 || unflushed > 0) {
      printf "0 passed, 1 failed: %d renames, %d without a flush before them\n", renames, unflushed
      exit 1
    }
    printf "1 passed, 0 failed (%d renames, each after a flush)\n", renames
  }' "$log"
