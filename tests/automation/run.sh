#!/bin/sh
# The automation tests with the MCP TypeScript SDK's client, pinned by package-lock.json.
#   run.sh install SOURCE_DIR WORK_DIR          npm ci into WORK_DIR (once per lock file)
#   run.sh test WORK_DIR PROGRAM NAME.test.mjs  runs one test file against PROGRAM
# Node.js comes from the Debian package (make deps); without it the tests are skipped.
set -eu
mode=$1
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    echo "SKIPPED: Node.js and npm are not installed (make deps installs them); the automation SDK tests did not run"
    exit 0
fi
case $mode in
install)
    source_dir=$2 work=$3
    mkdir -p "$work"
    cp "$source_dir"/package.json "$source_dir"/package-lock.json "$source_dir"/*.mjs "$work"/
    # The node_modules of this very lock file are kept; any other lock installs afresh.
    if [ -d "$work/node_modules" ] && cmp -s "$work/package-lock.json" "$work/node_modules/.installed-lock"; then
        echo "the SDK is installed"
        exit 0
    fi
    cd "$work"
    npm ci --no-audit --no-fund --loglevel=error
    cp package-lock.json node_modules/.installed-lock
    ;;
test)
    work=$2 program=$3 file=$4
    if [ ! -d "$work/node_modules" ]; then
        echo "the SDK was not installed (see the Automation.SdkInstall test)" >&2
        exit 1
    fi
    cd "$work"
    OLLENDOR=$program exec node --test --test-reporter=spec "$file"
    ;;
esac
