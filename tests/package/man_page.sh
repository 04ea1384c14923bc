#!/bin/sh
# The man page made by help2man renders without a groff warning, has the usual sections,
# and documents every option the program's --help lists (so it is not stale).
# Usage: man_page.sh PAGE.1 PROGRAM
. "$(dirname "$0")/common.sh"
need groff groff-base
page=$1 program=$2
[ -s "$page" ] || fail "no man page at $page"
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT

# -P-cbou: plain text, without bold, underline or escape sequences.
LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -P-cbou "$page" >"$tmp/text" 2>"$tmp/err" ||
  fail "groff failed on $page"
[ ! -s "$tmp/err" ] || fail "groff warns on $page:
$(cat "$tmp/err")"

for section in NAME SYNOPSIS DESCRIPTION OPTIONS KEYS "EXIT STATUS" FILES; do
  grep -qx "$section" "$tmp/text" || fail "the page has no $section section"
done
grep -q "^ *ollendor - ." "$tmp/text" || fail "the NAME section does not name ollendor"
# Values named plainly, without the option library's type and check tags.
! grep -Eq "TEXT:|UINT|INT in|:DIR|:FILE" "$tmp/text" ||
  fail "the page shows type tags: $(grep -E "TEXT:|UINT|INT in|:DIR|:FILE" "$tmp/text" | head -3)"
grep -q -- "--rom-dir DIR" "$tmp/text" || fail "the page does not say --rom-dir DIR"
# The version is the project's.
grep -Eq "ollendor [0-9]+\.[0-9]+" "$tmp/text" || fail "the page gives no version number"

"$program" --help >"$tmp/help" || fail "$program --help failed"
options=$(grep -o -- '--[a-z][a-z-]*' "$tmp/help" | sort -u)
[ -n "$options" ] || fail "$program --help lists no options"
for option in $options; do
  grep -q -- "$option\b" "$tmp/text" || fail "the page does not document $option"
done
echo "ok: $page"
