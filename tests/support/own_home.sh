#!/bin/sh
# Runs one test with a home of its own: HOME and the XDG folders point into a new empty
# folder that is removed afterwards, so no test reads the user's settings, ROM folders or
# pictures, and none writes there:
#   own_home.sh COMMAND [ARG...]
set -u
root=$(mktemp -d "${TMPDIR:-/tmp}/ollendor-test-home.XXXXXX") || exit 1
mkdir -p "$root/home" || exit 1
export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data" \
       XDG_CACHE_HOME="$root/cache" XDG_STATE_HOME="$root/state" XDG_PICTURES_DIR="$root/pictures"
# Nor the user's session bus: a bus address that leads nowhere, so that no library under
# test talks to the user's session or starts a bus of its own that outlives the test.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$root/no-session-bus"
# The npm cache is the one thing worth keeping between runs: without it every run of the
# client tests would fetch the same packages again.
[ -n "${npm_config_cache:-}" ] || export npm_config_cache="${OLLENDOR_NPM_CACHE:-$root/npm-cache}"
trap 'rm -rf "$root"' EXIT
trap 'exit 143' TERM INT HUP
status=0
"$@" || status=$?
exit "$status"
