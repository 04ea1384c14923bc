#!/bin/sh
# Builds the Debian package with CPack into OUTDIR and checks it: the control fields, a
# dependency on the Debian package of every shared library the program needs, exactly
# the files an install needs under /usr (installed_files.txt), a changelog for this
# version, and a program that runs.
# Usage: deb.sh BUILD_DIR OUTDIR VERSION
. "$(dirname "$0")/common.sh"
need cpack cmake
need dpkg-deb dpkg
need dpkg-shlibdeps dpkg-dev
need objdump binutils
build=$1 out=$2 version=$3
expected=$(dirname "$0")/installed_files.txt

rm -rf "$out" && mkdir -p "$out" || exit 1
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  fail "cpack failed:
$(cat "$out/cpack.log")"
set -- "$out"/*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "cpack made no single .deb in $out: $*"
deb=$1
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "ollendor_${version}_$arch.deb" ] || fail "unexpected file name $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = ollendor ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = otherosfs ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"

# The files: exactly the expected ones, nothing of the tests or the other programs.
dpkg-deb -c "$deb" >"$out/contents" || fail "dpkg-deb -c failed"
awk '$1 !~ /^d/ { print $6 }' "$out/contents" | sed 's|^\./usr/||' | sort >"$out/files"
expected_files "$expected" | sort | diff -u - "$out/files" >"$out/files.diff" ||
  fail "the package's files differ from $expected (- missing, + extra):
$(cat "$out/files.diff")"
grep -q '^-rwxr-xr-x root/root .* \./usr/bin/ollendor$' "$out/contents" ||
  fail "usr/bin/ollendor is not an executable owned by root"

# Every library the program needs comes from a package named in Depends.
dpkg-deb -x "$deb" "$out/root" || fail "dpkg-deb -x failed"
program=$out/root/usr/bin/ollendor
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for soname in $(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }'); do
  owners=$(dpkg -S "*/$soname" 2>/dev/null | sed 's/:.*//' | tr ',' '\n' | sed 's/^ *//' | sort -u)
  [ -n "$owners" ] || fail "no Debian package holds $soname"
  found=""
  for p in $owners; do
    echo "$depends" | grep -qx "$p" && found=$p
  done
  [ -n "$found" ] || fail "Depends ($(field Depends)) names no package holding $soname ($owners)"
done
echo "$depends" | grep -qx libsdl2-2.0-0 || fail "Depends does not name libsdl2-2.0-0"

# Debian's changelog parses and its latest entry is this version.
zcat "$out/root/usr/share/doc/ollendor/changelog.gz" >"$out/changelog" || fail "no changelog.gz"
logged=$(dpkg-parsechangelog -l "$out/changelog" -S Version 2>&1) || fail "the changelog does not parse: $logged"
[ "$logged" = "$version" ] || fail "the changelog's latest entry is $logged, not $version"

# The packaged (stripped) program still runs.
"$program" --version >/dev/null || fail "the packaged program does not run"
echo "ok: $deb"
echo "Depends: $(field Depends)"
