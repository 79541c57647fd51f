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

echo "== normal build"
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIVO_WERROR=ON \
    -DRIVO_PACKAGING=ON
ctest --test-dir build --output-on-failure --parallel "$jobs"

echo "== packaging (install, .deb, validators)"
bash scripts/package-check.sh build

echo "== sanitizer build (ASan + UBSan)"
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIVO_SANITIZE=ON \
    -DRIVO_BENCH=OFF -DRIVO_WERROR=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure --parallel "$jobs"

echo "== benchmarks against their targets (short run: a miss within what noise explains warns;"
echo "   scripts/bench.sh alone checks the README's targets strictly)"
bash scripts/bench.sh --quick build

echo "== fuzzing, 90 s over four targets (clang, ASan + UBSan)"
bash scripts/fuzz.sh 90

echo "== web page (WebAssembly build, browser tests, its numbers against the desktop build's)"
bash scripts/web.sh --test
