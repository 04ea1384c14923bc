#!/bin/sh
# `make install` into a staging folder, as a packager runs it, then the installed tree is
# checked and used: exactly the expected files under PREFIX and nothing elsewhere, a
# desktop entry whose icon and program are there, a tree appstreamcli accepts, the man
# page, the default prefix, a refused relative prefix, and the installed program started
# from an empty folder (no ROM images, so the built-in ROM) writing a 320 x 200 screenshot.
# Usage: install.sh SOURCE_DIR BUILD_DIR WORK_DIR
. "$(dirname "$0")/common.sh"
need make make
need desktop-file-validate desktop-file-utils
need appstreamcli appstream
source=$1 build=$2 work=$3
expected=$(dirname "$0")/installed_files.txt
app=io.github.ollendor.Ollendor

# A make started by ctest under `make test` must not join that make's job server.
unset MAKEFLAGS MFLAGS MAKELEVEL
rm -rf "$work" && mkdir -p "$work" || exit 1
make_install() { make -s -C "$source" install BUILD="$build" "$@" >>"$work/make.log" 2>&1; }

make_install PREFIX=/usr DESTDIR="$work/stage" || fail "make install failed:
$(cat "$work/make.log")"
root=$work/stage/usr

# Exactly the expected files, all of them under DESTDIR/PREFIX.
(cd "$work/stage" && find . ! -type d | sed 's|^\./||' | sort) >"$work/files"
expected_files "$expected" | sed 's|^|usr/|' | sort | diff -u - "$work/files" >"$work/files.diff" ||
  fail "installed files differ from $expected (- missing, + extra):
$(cat "$work/files.diff")"

# The desktop entry: valid, its icon installed in every size, its program in bin/.
desktop=$root/share/applications/$app.desktop
out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] || fail "installed desktop entry: $out"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ "$icon" = "$app" ] || fail "the desktop entry's icon is '$icon', not $app"
for size in 16 32 48 64 128 256; do
  got=$(png_size "$root/share/icons/hicolor/${size}x$size/apps/$icon.png")
  [ "$got" = "${size}x$size" ] || fail "the ${size}x$size icon is $got"
done
[ -s "$root/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon"

out=$(appstreamcli validate-tree --no-net --strict "$work/stage" 2>&1) ||
  fail "appstreamcli rejects the installed tree:
$out"

zcat "$root/share/man/man1/ollendor.1.gz" | cmp -s - "$build/dist/ollendor.1" ||
  fail "the installed man page is not the built one"

# The program as a desktop launcher starts it: Exec with its field codes expanded, a file
# for %f/%F/%u/%U (the demo tape), then options that end the run at once.
mkdir "$work/launch" || exit 1
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
set -- $exec_line
command=$1; shift
[ -x "$root/bin/$command" ] || fail "Exec names '$command', which is not installed in bin/"
# The program mounts one tape file: a launcher hands it one with %f (not %F, several).
case " $exec_line " in
  *" %f "*) ;;
  *) fail "Exec ($exec_line) hands the program no file: it takes a tape file as %f" ;;
esac
tape=$root/share/ollendor/tapes/OLLENDEMO
args=""
for word in "$@"; do
  case $word in
    %[fFuU]) args="$args $tape" ;;
    %?) ;;
    *) args="$args $word" ;;
  esac
done
(cd "$work/launch" && "$root/bin/$command" $args --headless --frames 1 >"$work/launch.log" 2>&1) ||
  fail "the program started as the desktop entry says ($exec_line) failed:
$(cat "$work/launch.log")"
! grep -q "could not be opened" "$work/launch.log" ||
  fail "the file the launcher handed over was not mounted: $(cat "$work/launch.log")"

# The installed program, from an empty folder.
mkdir "$work/run" || exit 1
(cd "$work/run" && "$root/bin/ollendor" --headless --frames 30 --screenshot x.png >"$work/run.log" 2>&1) ||
  fail "the installed program failed:
$(cat "$work/run.log")"
[ "$(png_size "$work/run/x.png")" = 320x200 ] || fail "the screenshot is $(png_size "$work/run/x.png"), not 320x200"
[ "$(ls -A "$work/run")" = x.png ] || fail "the run left other files: $(ls -A "$work/run")"

# Started from the home folder, as a launcher does (no tapes/ there): key 5 on the built-in
# ROM's pages loads the demo tape, found among the installed tapes.
mkdir "$work/home" || exit 1
(cd "$work/home" && HOME="$work/home" XDG_DATA_DIRS="$work/nowhere" \
  "$root/bin/ollendor" --headless --frames 90 --type 5 >"$work/demo.log" 2>&1) ||
  fail "the installed program failed from the home folder:
$(cat "$work/demo.log")"
! grep -q "could not be opened\|File not found" "$work/demo.log" ||
  fail "the installed program started from the home folder did not find its demo tape:
$(cat "$work/demo.log")"
# The MIME type of tape images, and the desktop entry offering the program for it.
mime=$root/share/mime/packages/$app.xml
grep -q 'type="application/x-mtx-tape"' "$mime" || fail "no MIME type for tape images in $mime"
grep -q '^MimeType=application/x-mtx-tape;$' "$desktop" || fail "the desktop entry has no MimeType for tapes"
if command -v xmllint >/dev/null; then
  xmllint --noout "$mime" || fail "$mime is not well-formed XML"
fi

# The default prefix is /usr/local; a relative prefix is refused with nothing installed.
make_install DESTDIR="$work/default" || fail "make install with the default prefix failed"
[ -x "$work/default/usr/local/bin/ollendor" ] || fail "the default prefix is not /usr/local"
if make_install PREFIX=relative DESTDIR="$work/relative"; then fail "a relative PREFIX was accepted"; fi
[ ! -e "$work/relative" ] || fail "a refused install left files in $work/relative"
[ ! -e "$source/relative" ] || fail "a refused install left files in $source/relative"

rm -rf "$work"
echo "ok: make install"
