#!/usr/bin/env bash
# Builds the fuzz target (clang, ASan, UBSan) in build-fuzz/ and runs it on a scratch copy of
# the seeds, so the repository is not modified. Fails on any finding, whose input is kept in
# build-fuzz/findings/. Usage: scripts/fuzz.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DRIVO_FUZZ=ON -DRIVO_TESTS=OFF -DRIVO_BENCH=OFF >/dev/null
cmake --build build-fuzz --parallel "$(nproc)" --target rivo_fuzz_draw

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/corpus" build-fuzz/findings
cp fuzz/corpus/* "$scratch/corpus/"
status=0
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ./build-fuzz/fuzz/rivo_fuzz_draw "$scratch/corpus" -dict=fuzz/rivo.dict \
    -max_total_time="$seconds" -max_len=4096 -len_control=20 -rss_limit_mb=2048 -timeout=5 \
    -artifact_prefix=build-fuzz/findings/ -print_final_stats=1 >"$scratch/log" 2>&1 ||
    status=$?
grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)" "$scratch/log" || true
if [ "$status" -ne 0 ] || ls build-fuzz/findings/* >/dev/null 2>&1; then
    tail -60 "$scratch/log"
    echo "fuzzing found a problem; the input is in build-fuzz/findings/" >&2
    exit 1
fi
echo "fuzzing: no finding in ${seconds} s"
