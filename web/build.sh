#!/bin/sh
# Builds the web page with Debian's emscripten into BUILD (index.html, the scripts and the
# WebAssembly), offline once the zstd source is at hand:
#   web/build.sh SOURCE_DIR BUILD_DIR
# `make web` runs it (after installing the packages); so does the Web.Build test.
set -eu
source_dir=$(cd "$1" && pwd)
build=$2
jobs=${JOBS:-$(nproc)}
for tool in emcc emcmake cmake ninja z80asm dpkg-source; do
    command -v "$tool" >/dev/null 2>&1 || { echo "web/build.sh: $tool is not installed (make deps installs it)" >&2; exit 3; }
done
mkdir -p "$build"
build=$(cd "$build" && pwd)
# Debian's emscripten finds its JavaScript helpers (acorn) among Debian's node modules.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# emscripten builds its C and C++ libraries into its cache on first use; where the system's
# cache cannot be written, a copy in the build folder serves.
system_cache=/usr/share/emscripten/cache
if [ -z "${EM_CACHE:-}" ] && [ ! -w "$system_cache" ]; then
    export EM_CACHE="$build/emscripten-cache"
    [ -d "$EM_CACHE" ] || cp -r "$system_cache" "$EM_CACHE"
fi
"$source_dir/web/zstd_source.sh" "$build/third-party"
if [ ! -f "$build/build.ninja" ]; then
    set -- -DCMAKE_BUILD_TYPE=Release -DZSTD_SOURCE="$build/third-party/zstd"
    # ccache takes em++ as it is: a fresh build folder then costs little.
    if command -v ccache >/dev/null 2>&1; then
        set -- "$@" -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
    fi
    emcmake cmake -S "$source_dir/web" -B "$build" -G Ninja "$@" >/dev/null
fi
cmake --build "$build" -j "$jobs"
# The page as a visitor downloads it, compressed.
total=0
for file in index.html style.css ollendor-page.js audio-worklet.js ollendor.js ollendor.wasm OLLENDEMO; do
    size=$(gzip -9c "$build/$file" | wc -c)
    total=$((total + size))
done
echo "the page: $total bytes gzip-compressed ($build)"
