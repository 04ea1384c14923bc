#!/bin/sh
# Puts the source of the zstd library into DEST/zstd, for the page's WebAssembly build:
# emscripten has no zstd of its own, and the state files the page reads and writes are
# zstd-compressed like the desktop's. The source is Debian's own package of the library the
# desktop build links (libzstd, from the release's main archive: the same upstream version
# as the installed libzstd-dev). It is fetched with apt-get through a private list of
# source archives (the system's own archives, as deb-src), so the system's apt set-up is
# left as it is. Done once: an unpacked tree of the right version is kept.
#   zstd_source.sh DEST
set -eu
dest=$1
version=$(dpkg-query -W -f='${Version}' libzstd-dev 2>/dev/null) || {
    echo "zstd_source.sh: libzstd-dev is not installed (make deps installs it)" >&2; exit 1; }
tree=$dest/zstd
if [ -f "$tree/.version" ] && [ "$(cat "$tree/.version")" = "$version" ]; then
    exit 0
fi
apt_dir=$dest/apt
rm -rf "$apt_dir" "$tree"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/download"
# The system's archives as source archives (deb822 and one-line forms).
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" > "$apt_dir/sources.list.d/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && grep '^deb ' "$f" | sed 's/^deb /deb-src /' > "$apt_dir/sources.list.d/$(basename "$f").list" || true
done
apt_options="-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts=$apt_dir/sources.list.d
 -o Dir::State::Lists=$apt_dir/lists -o Dir::Cache=$apt_dir/cache -o Debug::NoLocking=1
 -o APT::Sandbox::User=root -q"
# shellcheck disable=SC2086
apt-get $apt_options update >"$apt_dir/update.log" 2>&1 || {
    cat "$apt_dir/update.log" >&2; echo "zstd_source.sh: the source package lists could not be read" >&2; exit 1; }
# shellcheck disable=SC2086
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
# shellcheck disable=SC2086
(cd "$apt_dir/download" && apt-get $apt_options source --download-only "libzstd/$codename" >../source.log 2>&1) || {
    cat "$apt_dir/source.log" >&2; echo "zstd_source.sh: the zstd source package $version could not be fetched" >&2; exit 1; }
dsc=$(ls "$apt_dir"/download/*.dsc | head -n 1)
dpkg-source --no-check -x "$dsc" "$tree" >/dev/null
echo "$version" > "$tree/.version"
rm -rf "$apt_dir"
echo "zstd $version source in $tree"
