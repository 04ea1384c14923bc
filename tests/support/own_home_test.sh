#!/bin/sh
# own_home.sh gives a test a new, empty home and XDG folders, removes them afterwards and
# leaves the user's own files as they were, whatever those hold.
set -eu
wrapper=$(dirname "$0")/own_home.sh
user=$(mktemp -d)
trap 'rm -rf "$user"' EXIT
mkdir -p "$user/config/ollendor"
printf 'fullscreen = true\n' > "$user/config/ollendor/settings.toml"
before=$(cat "$user/config/ollendor/settings.toml")
seen=$(HOME="$user" XDG_CONFIG_HOME="$user/config" XDG_DATA_HOME="$user/data" \
  "$wrapper" sh -c 'for v in HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_PICTURES_DIR XDG_CACHE_HOME; do
      eval "d=\$$v"; case "$d" in "'"$user"'"*|"") echo "BAD $v=$d"; exit 1;; esac
    done
    [ -d "$HOME" ] && [ -z "$(ls -A "$HOME")" ] || { echo "BAD home not new"; exit 1; }
    mkdir -p "$XDG_CONFIG_HOME/ollendor" && echo "fullscreen = false" > "$XDG_CONFIG_HOME/ollendor/settings.toml"
    echo "$HOME"')
home=$(printf '%s\n' "$seen" | tail -n 1)
case "$seen" in *BAD*) echo "$seen"; exit 1;; esac
[ ! -e "$home" ] || { echo "the test's home $home was left behind"; exit 1; }
[ "$(cat "$user/config/ollendor/settings.toml")" = "$before" ] || { echo "the user's settings changed"; exit 1; }
# The command's exit status comes through.
if "$wrapper" sh -c 'exit 3'; then echo "a failing command passed"; exit 1; fi
"$wrapper" sh -c 'exit 3' || [ $? -eq 3 ] || { echo "exit status lost"; exit 1; }
echo "own home: ok"
