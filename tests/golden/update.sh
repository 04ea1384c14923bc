#!/bin/sh
# Regenerates the reference pictures tests/golden/*.png from the runs that cases.txt lists,
# with the built program (default build/ollendor). Run it only on purpose (make golden),
# then look at every changed picture before committing it: the test trusts them.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:-$here/../../build/ollendor}")
tapes=$(dirname "$program")/tapes
[ -x "$program" ] || { echo "update.sh: no program at $program (build first)" >&2; exit 1; }
[ -d "$tapes" ] || { echo "update.sh: no demo tape folder at $tapes" >&2; exit 1; }

empty=$(mktemp -d)
trap 'rm -rf "$empty"' EXIT
grep -v '^#' "$here/cases.txt" | while read -r name frames typed; do
  [ -n "$name" ] || continue
  # From "/" with a fixed home, as the test runs it: the welcome page names the folders
  # searched for ROM images, which are then the same on every machine.
  set -- --headless --frames "$frames" --tape-dir "$tapes" --screenshot "$here/$name.png"
  [ "$typed" = "-" ] || set -- "$@" --type "$typed"
  (cd / && env -u XDG_DATA_HOME HOME=/home/mtx "$program" "$@" 2>/dev/null)
  echo "tests/golden/$name.png: $frames frames, typed '$typed'"
done
echo "Review the changed pictures (git status tests/golden) before committing them."
