#!/usr/bin/env bash
# ./dev.sh run    install what is missing, build, start the program
# ./dev.sh test   install what is missing, build, run all tests
# ./dev.sh bench  build and run the benchmarks
set -euo pipefail
cd "$(dirname "$0")"

# What the program needs to build and run; qttranslations5-l10n holds Qt's
# own Chinese catalogue (its buttons and dialogs in the Chinese interface).
PACKAGES=(build-essential cmake ninja-build pkg-config qtbase5-dev qttools5-dev-tools
          qttools5-dev libqrencode-dev qttranslations5-l10n)
# Only for the tests and benchmarks: the fuzz run needs clang.
TEST_PACKAGES=(libbenchmark-dev clang libclang-rt-14-dev)
# Only for a person starting the program: a font that shows the Chinese
# interface, and xdg-open, which "Open QR Folder." starts.
RUN_PACKAGES=(fonts-wqy-microhei xdg-utils)
BUILD=${BUILD_DIR:-build}

deps() {
    local wanted=("${PACKAGES[@]}" "$@") installed missing=()
    # one query for all: a start on a ready machine should be quick
    installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${wanted[@]}" 2>/dev/null |
        sed -n 's/^\([^ :]*\).* install ok installed$/\1/p' || true)
    for p in "${wanted[@]}"; do
        grep -qx "$p" <<<"$installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# build [target...]: everything, or only the targets named. Ninja, which
# knows at once that nothing is to be done, where Make walks every target's
# steps. Configured only when it must be: Ninja itself runs CMake again when
# a CMakeLists.txt has changed. A folder that an earlier dev.sh configured
# for Make is configured again for Ninja.
build() {
    if [ -f "$BUILD/CMakeCache.txt" ] &&
        ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$BUILD/CMakeCache.txt"; then
        rm -rf "$BUILD/CMakeCache.txt" "$BUILD/CMakeFiles"
    fi
    if [ ! -f "$BUILD/build.ninja" ]; then
        cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$BUILD" -j"$(nproc)" "${targets[@]}"
}

case "${1:-run}" in
run)
    # the program alone (it brings the restart program) and the calibration
    # circle copied beside it; the suites and benchmarks wait for test/bench
    deps "${RUN_PACKAGES[@]}"; build VemoCommonPlugin calibration_circle
    exec "$BUILD/app/VemoCommonPlugin"
    ;;
test)
    deps "${TEST_PACKAGES[@]}"; build
    # A short fuzz run of the path toolkit where clang is installed; it
    # prints its own result line. Longer runs: fuzz/run.sh <seconds>.
    # It runs first so that CTest's summary stays the last line.
    fuzzed=0
    if command -v clang++ >/dev/null; then
        fuzz/run.sh "${FUZZ_SECONDS:-60}" || fuzzed=$?
    fi
    (cd "$BUILD" && ctest --output-on-failure -j"$(nproc)")
    exit "$fuzzed"
    ;;
bench)
    deps "${TEST_PACKAGES[@]}"; build
    # bench_process also times hp2xx on the same file and prints the ratio
    # when hp2xx is installed (apt-get install hp2xx); nothing needs it.
    for b in "$BUILD"/bench/bench_*; do
        if [ -f "$b" ] && [ -x "$b" ]; then "$b"; fi
    done
    ;;
*)
    echo "usage: $0 run|test|bench" >&2; exit 2 ;;
esac
