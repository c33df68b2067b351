#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine: installs the Debian packages the build needs
# (when missing), configures and builds incrementally, then starts the program or runs the tests.
#   ./dev.sh run            build and start Pellamar
#   ./dev.sh test           build and run every test; then build and run them all again under
#                           AddressSanitizer and UBSan (build-asan), and fuzz the data-set reader
#                           for a minute (build-fuzz, with clang). Any failure fails the command.
#   ./dev.sh fuzz [SECONDS] only fuzz the data-set reader, 600 seconds unless given
#   ./dev.sh bench [ARGS]   build and run the benchmarks (medians); ARGS go to Google Benchmark
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-svg-dev libgl-dev fonts-liberation2 fonts-dejavu-core
    cups printer-driver-cups-pdf poppler-utils clang libclang-rt-14-dev
    desktop-file-utils appstream dpkg-dev libbenchmark-dev libreoffice-calc-nogui)
BUILD_DIR=build

install_missing_packages() {
    local missing=()
    for pkg in "${PACKAGES[@]}"; do
        if [ "$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null)" != installed ]; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configured through CMakePresets.json, as an IDE or a newcomer's own cmake call would be.
# Warnings are errors everywhere, so what builds here builds in CI. Without targets: everything.
build() {
    cmake --preset default >/dev/null
    if [ $# -gt 0 ]; then
        cmake --build --preset default --target "$@"
    else
        cmake --build --preset default
    fi
}

# Every target under AddressSanitizer and UBSan (preset "asan"). -O1 keeps the stacks readable
# and the build quick; the Debug configuration keeps the asserts, Qt's bounds checks among them.
build_asan() {
    cmake --preset asan >/dev/null
    cmake --build --preset asan
}

# libFuzzer comes with clang: only the reader's fuzz target and the libraries it links. GCC's
# warnings gate the code; clang's own opinions do not stop the fuzzing.
FUZZ_DIR=build-fuzz
build_fuzz() {
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz
}

# New inputs go to a scratch corpus in the build folder; the seeds in the repository are only
# read. A crash, a leak, a hang (over 30 s for one input) or running out of memory leaves its
# input in $FUZZ_DIR/crashes and fails.
run_fuzzer() {
    local seconds=$1
    mkdir -p "$FUZZ_DIR/corpus" "$FUZZ_DIR/crashes"
    echo "Fuzzing the data-set reader for $seconds s"
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "$FUZZ_DIR/fuzz/fuzz_reader" \
        -max_total_time="$seconds" -timeout=30 -print_final_stats=1 -dict=fuzz/reader.dict \
        -artifact_prefix="$FUZZ_DIR/crashes/" "$FUZZ_DIR/corpus" tests/data/fuzz-seeds
}

have_clang() {
    command -v clang++ >/dev/null
}

step() {
    echo "== $1 (after $SECONDS s)"
}

case "${1:-}" in
run)
    install_missing_packages
    # Only the program and what it links: the tests and benchmarks wait for "test".
    build pellamar
    exec "$BUILD_DIR/src/app/pellamar" "${@:2}"
    ;;
test)
    install_missing_packages
    step "build and test"
    build
    ctest --preset default -j "$(nproc)"
    step "sanitizer build and test"
    build_asan
    ctest --preset asan -j "$(nproc)"
    if have_clang; then
        step "fuzzing"
        build_fuzz
        run_fuzzer 60
    else
        echo "== fuzzing skipped: clang++ is not installed"
    fi
    step "all passed"
    ;;
fuzz)
    seconds=${2:-600}
    if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
        echo "usage: $0 fuzz [SECONDS]" >&2
        exit 2
    fi
    install_missing_packages
    build_fuzz
    run_fuzzer "$seconds"
    ;;
bench)
    # Medians of five runs in milliseconds; extra arguments go to Google Benchmark, e.g.
    # ./dev.sh bench --benchmark_filter=GridCommit
    install_missing_packages
    build
    exec "$BUILD_DIR/bench/pellamar-bench" --benchmark_min_time=0.2 --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true "${@:2}"
    ;;
*)
    echo "usage: $0 run [FILE.csv] | test | fuzz [SECONDS] | bench [ARGS]" >&2
    exit 2
    ;;
esac
