#!/usr/bin/env bash
# fuzz/run.sh [seconds]   build the libFuzzer targets with clang and run them
#
# The time is shared: a third to fuzz_read (the readers, thousands of inputs
# a second), the rest to fuzz_pipeline (the whole chain, far slower).
# Seeds: the HPGL samples beside the repository, read in place. New inputs
# go to fuzz-corpus/read and fuzz-corpus/chain (not tracked); findings to
# build-fuzz/findings/. Replay a finding with the ordinary build:
# build/fuzz/fuzz_read_replay <file> or build/fuzz/fuzz_replay <file>.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_TO_RUN=${1:-60}
BUILD=build-fuzz
SAMPLES=../shared/data/hpgl-samples

CXX=$(command -v clang++ || true)
if [ -z "$CXX" ]; then
    echo "fuzz: clang++ not found, skipped"
    exit 0
fi

cmake -S fuzz -B "$BUILD" -DCMAKE_CXX_COMPILER="$CXX" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$(nproc)" >/dev/null

mkdir -p fuzz-corpus/read fuzz-corpus/chain "$BUILD/findings"
# what an older run kept at the top belongs to the chain
find fuzz-corpus -maxdepth 1 -type f -exec mv -t fuzz-corpus/chain {} + 2>/dev/null || true

readSeconds=$(( SECONDS_TO_RUN / 3 > 0 ? SECONDS_TO_RUN / 3 : 1 ))
chainSeconds=$(( SECONDS_TO_RUN - readSeconds > 0 ? SECONDS_TO_RUN - readSeconds : 1 ))

# fuzz <target> <corpus> <seconds>: runs one target, prints its result line
fuzz() {
    local target=$1 corpus=$2 seconds=$3 status=0
    local dirs=("$corpus")
    [ -d "$SAMPLES" ] && dirs+=("$SAMPLES")
    local log="$BUILD/$target.log"
    "$BUILD/$target" -max_total_time="$seconds" -timeout=20 -max_len=16384 \
        -artifact_prefix="$BUILD/findings/$target-" -print_final_stats=1 "${dirs[@]}" \
        >"$log" 2>&1 || status=$?
    local runs
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    if [ "$status" -ne 0 ]; then
        grep -E 'ERROR|fuzz:|SUMMARY|Test unit written' "$log" | head -20 || true
        echo "fuzz: $target FAILED after ${runs:-?} runs (log: $log, findings: $BUILD/findings/)"
        return 1
    fi
    echo "fuzz: $target ${runs} runs in ${seconds} s, no findings"
}

status=0
fuzz fuzz_read fuzz-corpus/read "$readSeconds" || status=1
fuzz fuzz_pipeline fuzz-corpus/chain "$chainSeconds" || status=1
exit "$status"
