#!/bin/sh
# Checks every #include line of the tree against the layers: each folder may include only
# its own headers and those of the layers below it, and the core includes no header of a
# file system, a thread or a platform library:
#   check_includes.sh SOURCE_DIR
# Prints each line that breaks a rule and fails if there is one.
set -u
root=${1:-.}
cd "$root" || exit 2
core="cpu machine video sound roms"
# folder: the top folders its sources may include from (besides the system's headers).
rules="
cpu:cpu
machine:$core
video:$core
sound:$core
roms:roms
state:$core state
debug:$core debug
files:$core state debug files
control:$core state debug files control
automation:$core state debug files control automation
ui:$core state debug files control ui host/window_drawing.h
host:$core state debug files host
libretro:$core state debug files control libretro
web:$core state debug files control web
"
# System headers the core never includes: files, threads and platform libraries.
core_forbidden='<(thread|mutex|condition_variable|future|fstream|filesystem|SDL[^>]*|imgui[^>]*|zstd\.h|httplib\.h|xxhash\.h|lz4\.h)>'
status=0
printf '%s\n' "$rules" | while IFS= read -r rule; do
  [ -n "$rule" ] || continue
  folder=${rule%%:*}
  [ -d "$folder" ] || continue
  allowed=${rule#*:}
  # host/sdl is the platform itself: SDL and Dear ImGui are its business.
  files=$(find "$folder" -name '*.h' -o -name '*.cpp' | grep -v '^host/sdl/')
  for file in $files; do
    grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" | while IFS= read -r line; do
      target=$(printf '%s' "$line" | sed 's/.*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/')
      case "$target" in */*) ;; *) continue ;; esac # a header beside the source
      ok=no
      for prefix in $allowed; do
        case "$target" in "$prefix"|"$prefix"/*) ok=yes; break ;; esac
      done
      [ "$ok" = yes ] || echo "$file:${line%%:*}: $folder may not include \"$target\""
    done
  done
done > layers.out.$$
for folder in $core; do
  [ -d "$folder" ] || continue
  grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*$core_forbidden" "$folder" |
    sed 's/$/  (the core opens no file, starts no thread, knows no platform)/'
done >> layers.out.$$
# One decoder for each piece of machine state: the sprite attribute table and the CPU's
# register names are decoded only where they are defined.
grep -rnE 'spriteAttributeBase|0xD0[^0-9A-Fa-f]' --include=*.cpp --include=*.h \
    cpu machine sound state debug control files automation ui frontend libretro web 2>/dev/null |
  grep -vE '^video/|//' | sed 's/$/  (sprites are decoded by video\/sprites.h alone)/' >> layers.out.$$
grep -rnE '"IX"[^;]*"IY"|"AF'"'"'"' --include=*.cpp --include=*.h \
    cpu machine video sound state control files automation ui frontend libretro web 2>/dev/null |
  sed 's/$/  (register names live in debug\/registers.h alone)/' >> layers.out.$$
if [ -s layers.out.$$ ]; then
  cat layers.out.$$
  status=1
else
  echo "layers: every include is allowed"
fi
rm -f layers.out.$$
exit $status
