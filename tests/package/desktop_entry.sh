#!/bin/sh
# The desktop entry passes desktop-file-validate without errors, warnings or hints.
# Usage: desktop_entry.sh FILE.desktop
. "$(dirname "$0")/common.sh"
need desktop-file-validate desktop-file-utils
out=$(desktop-file-validate "$1" 2>&1) || fail "desktop-file-validate rejects $1:
$out"
[ -z "$out" ] || fail "desktop-file-validate has remarks on $1:
$out"
echo "ok: $1"
