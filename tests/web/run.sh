#!/bin/sh
# The web page's tests: the page built with emscripten, driven in Debian's Chromium by
# puppeteer-core (pinned by package-lock.json) against a static server on 127.0.0.1.
#   run.sh build SOURCE_DIR WEB_DIR          builds the page (web/build.sh)
#   run.sh size WEB_DIR LIMIT                the page gzip-compressed is at most LIMIT bytes
#   run.sh install SOURCE_DIR WORK_DIR       npm ci into WORK_DIR (once per lock file)
#   run.sh test WORK_DIR WEB_DIR SOURCE_DIR BINARY_DIR NAME.test.mjs [PROGRAM]
# (PROGRAM: the desktop program, for the tests that compare the two)
# Where emscripten, Chromium or Node.js are missing (make deps installs them), the tests
# say SKIPPED.
set -eu
mode=$1
chromium=${OLLENDOR_CHROMIUM:-/usr/bin/chromium}
case $mode in
build)
    source_dir=$2 web=$3
    if ! command -v emcc >/dev/null 2>&1; then
        echo "SKIPPED: emscripten is not installed (make deps installs it); the page was not built"
        exit 0
    fi
    exec "$source_dir/web/build.sh" "$source_dir" "$web"
    ;;
size)
    web=$2 limit=$3
    [ -f "$web/ollendor.wasm" ] || { echo "SKIPPED: the page was not built (see Web.Build)"; exit 0; }
    total=0
    for file in index.html style.css ollendor-page.js audio-worklet.js ollendor.js ollendor.wasm OLLENDEMO; do
        size=$(gzip -9c "$web/$file" | wc -c)
        echo "$file: $size bytes gzip-compressed"
        total=$((total + size))
    done
    echo "the page: $total bytes gzip-compressed (at most $limit)"
    [ "$total" -le "$limit" ]
    ;;
install)
    if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
        echo "SKIPPED: Node.js and npm are not installed (make deps installs them)"
        exit 0
    fi
    source_dir=$2 work=$3
    mkdir -p "$work"
    cp "$source_dir"/package.json "$source_dir"/package-lock.json "$source_dir"/*.mjs "$work"/
    if [ -d "$work/node_modules" ] && cmp -s "$work/package-lock.json" "$work/node_modules/.installed-lock"; then
        echo "puppeteer-core is installed"
        exit 0
    fi
    cd "$work"
    npm ci --no-audit --no-fund --loglevel=error
    cp package-lock.json node_modules/.installed-lock
    ;;
test)
    work=$2 web=$3 source_dir=$4 binary=$5 file=$6 program=${7:-}
    if ! command -v node >/dev/null 2>&1; then
        echo "SKIPPED: Node.js is not installed (make deps installs it); the page tests did not run"
        exit 0
    fi
    if [ ! -x "$chromium" ]; then
        echo "SKIPPED: Chromium is not installed at $chromium (make deps installs it); the page tests did not run"
        exit 0
    fi
    if [ ! -f "$web/ollendor.wasm" ]; then
        echo "SKIPPED: the page was not built (see Web.Build); the page tests did not run"
        exit 0
    fi
    if [ ! -d "$work/node_modules" ]; then
        echo "puppeteer-core was not installed (see the Web.ClientInstall test)" >&2
        exit 1
    fi
    cd "$work"
    OLLENDOR_WEB=$web OLLENDOR_SOURCE=$source_dir OLLENDOR_BINARY=$binary OLLENDOR_CHROMIUM=$chromium \
        OLLENDOR_PROGRAM=$program \
        exec node --test --test-reporter=spec "$file"
    ;;
esac
