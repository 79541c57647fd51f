#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test: the normal build
# and its packaging checks, then the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then a short run of the benchmarks against their targets (only what
# noise cannot explain fails), then the four fuzz targets for 90 s in all, and last the web
# page's build and browser tests.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
rivo_setup
export LANG=C.UTF-8 LC_ALL=C.UTF-8
jobs="$(nproc)"
# RIVO_BUILD_DIR names another folder for the normal build; RIVO_CONFIGURE_ONLY=1 stops after
# configuring it (tests/scripts_build_options_test.sh).
build="${RIVO_BUILD_DIR:-build}"

echo "== normal build"
# Every option set here, whatever an earlier configure of the folder cached: the tests and the
# benchmarks are always built (scripts/run.sh uses the same options).
bash scripts/build.sh "$build" "${RIVO_BUILD_OPTIONS[@]}"
if [ -n "${RIVO_CONFIGURE_ONLY:-}" ]; then
    exit 0
fi
# A build without tests is a failure, never a pass.
ctest --test-dir "$build" --output-on-failure --no-tests=error --parallel "$jobs"

echo "== packaging (install, .deb, validators)"
bash scripts/package-check.sh "$build"

echo "== sanitizer build (clang, ASan + UBSan; the tests labelled \"once\" ran above only)"
# clang, not g++: it compiles the instrumented tree in less than half the time, and the same tree
# then serves the fuzz targets (-DRIVO_FUZZ=ON), which are clang's libFuzzer.
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DRIVO_SANITIZE=ON -DRIVO_FUZZ=ON -DRIVO_TESTS=ON -DRIVO_BENCH=OFF -DRIVO_PACKAGING=OFF \
    -DRIVO_WERROR=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure --no-tests=error --parallel "$jobs" -LE once

echo "== benchmarks against their targets (short run: a miss within what noise explains warns;"
echo "   scripts/bench.sh alone checks every target strictly)"
bash scripts/bench.sh --quick "$build"

echo "== fuzzing, 90 s over four targets (in the sanitizer build)"
bash scripts/fuzz.sh 90 build-asan

echo "== web page (WebAssembly build, browser tests, its numbers against the desktop build's)"
RIVO_NATIVE_BUILD="$build" bash scripts/web.sh --test
