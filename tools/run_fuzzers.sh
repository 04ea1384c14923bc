#!/bin/sh
# Runs every fuzz target of a build for a bounded time over its seed corpus, JOBS at a time.
#   tools/run_fuzzers.sh BUILD_DIR SECONDS JOBS [NAME...]
# New inputs go to BUILD_DIR/fuzz/NAME/corpus (the committed seeds are only read); a finding
# leaves its reproducer in BUILD_DIR/fuzz/NAME/ and fails the run with the fuzzer's log.
set -eu
build=$1 seconds=$2 jobs=$3
shift 3
source_dir=$(cd "$(dirname "$0")/.." && pwd)
names=${*:-machine vdp tape sound rom_loader state recording symbols automation}

run_one() {
    name=$1
    out=$build/fuzz/$name
    mkdir -p "$out/corpus"
    if "$build/fuzz-$name" -max_total_time="$seconds" -timeout=60 -close_fd_mask=3 \
        -print_final_stats=1 -artifact_prefix="$out/" \
        "$out/corpus" "$source_dir/tests/fuzz/corpus/$name" >"$out/log.txt" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/log.txt")
        cov=$(grep -o 'cov: [0-9]*' "$out/log.txt" | tail -n 1)
        echo "fuzz-$name: ${seconds}s, $runs runs, $cov, no finding"
    else
        cat "$out/log.txt"
        echo "fuzz-$name: FAILED (reproducer and log in $out/)"
        return 1
    fi
}

status=0
running=0
pids=""
for name in $names; do
    run_one "$name" &
    pids="$pids $!"
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        for pid in $pids; do wait "$pid" || status=1; done
        pids="" running=0
    fi
done
for pid in $pids; do wait "$pid" || status=1; done
exit $status
