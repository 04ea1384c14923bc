# Helpers shared by the packaging tests (sourced).

fail() { echo "FAIL: $*" >&2; exit 1; }

# need TOOL PACKAGE: the Debian package that brings a missing tool is named in the failure.
need() {
  command -v "$1" >/dev/null 2>&1 || fail "$1 not found: install the Debian package $2 (make deps)"
}

# png_size FILE: prints "WIDTHxHEIGHT" from the PNG header, or fails when FILE is no PNG.
png_size() {
  [ -f "$1" ] || fail "$1 was not written"
  sig=$(od -An -tx1 -N8 "$1" | tr -d ' \n')
  [ "$sig" = "89504e470d0a1a0a" ] || fail "$1 is not a PNG file"
  set -- $(od -An -tu1 -j16 -N8 "$1")
  echo "$(( ($1 << 24) | ($2 << 16) | ($3 << 8) | $4 ))x$(( ($5 << 24) | ($6 << 16) | ($7 << 8) | $8 ))"
}

# expected_files LIST: the installed files LIST names, one a line under the prefix, with
# MULTIARCH as the host's triplet; the libretro core's files only where it is built (Debian's
# libretro header is there).
expected_files() {
  triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
  if [ -f /usr/include/libretro-common/libretro.h ]; then
    sed "s|MULTIARCH|$triplet|" "$1"
  else
    grep -v libretro "$1"
  fi
}
