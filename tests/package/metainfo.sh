#!/bin/sh
# The AppStream metainfo validates strictly, names the desktop file beside it as its
# launchable, and lists a release for the project's current version.
# Usage: metainfo.sh ID.metainfo.xml VERSION
. "$(dirname "$0")/common.sh"
need appstreamcli appstream
file=$1 version=$2
out=$(appstreamcli validate --no-net --strict "$file" 2>&1) || fail "appstreamcli rejects $file:
$out"

id=$(basename "$file" .metainfo.xml)
grep -q "<id>$id</id>" "$file" || fail "the component id is not $id, the file's base name"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$file" ||
  fail "the launchable is not $id.desktop"
[ -f "$(dirname "$file")/$id.desktop" ] || fail "no desktop file $id.desktop beside $file"
grep -q "<release version=\"$version\"" "$file" ||
  fail "no release entry for version $version (the project's version)"
echo "ok: $file"
