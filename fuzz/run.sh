#!/usr/bin/env bash
# fuzz/run.sh [seconds]   build the libFuzzer target with clang and run it
#
# Seeds: the HPGL samples beside the repository, read in place. New inputs
# go to fuzz-corpus/ (not tracked); findings to build-fuzz/findings/.
# Replay a finding with the ordinary build:  build/fuzz/fuzz_replay <file>
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
cmake --build "$BUILD" -j4 >/dev/null

mkdir -p fuzz-corpus "$BUILD/findings"
dirs=(fuzz-corpus)
[ -d "$SAMPLES" ] && dirs+=("$SAMPLES")

log="$BUILD/fuzz.log"
status=0
"$BUILD/fuzz_pipeline" -max_total_time="$SECONDS_TO_RUN" -timeout=20 -max_len=16384 \
    -artifact_prefix="$BUILD/findings/" -print_final_stats=1 "${dirs[@]}" >"$log" 2>&1 || status=$?

runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
if [ "$status" -ne 0 ]; then
    grep -E 'ERROR|fuzz_pipeline:|SUMMARY|Test unit written' "$log" | head -20 || true
    echo "fuzz: FAILED after ${runs:-?} runs (log: $log, findings: $BUILD/findings/)"
    exit 1
fi
echo "fuzz: ${runs} runs in ${SECONDS_TO_RUN} s, no findings"
