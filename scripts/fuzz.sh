#!/usr/bin/env bash
# Builds the fuzz targets (clang, ASan, UBSan) in build-fuzz/ and runs each in turn on a scratch
# copy of the seeds, so the repository is not modified: the parser against the literal parser,
# the pipeline without painting, the whole road to the picture, the files of lines of sheet and
# draw --batch with the steps and express of each line. The seconds are split between
# them. Prints, per target, the inputs run, inputs per second and the coverage reached. Fails on
# any finding, whose input is kept in BUILD_DIR/findings/TARGET/.
# Usage: scripts/fuzz.sh [SECONDS [BUILD_DIR]]   (default 90 s in all, build-fuzz/)
# A BUILD_DIR configured already with -DRIVO_FUZZ=ON and clang (the test command's sanitizer
# build, which holds the tests too) is used as it is: only the fuzz targets are built in it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-90}"
build="${2:-build-fuzz}"
# target:share of the time in percent:longest input. The parser's reference is quadratic, so
# its target takes half the length. The lines target reads a file of many lines and runs steps
# and express on each drawn one.
targets=(rivo_fuzz_parse:25:512 rivo_fuzz_pipeline:30:1024 rivo_fuzz_draw:25:1024
    rivo_fuzz_lines:20:1024)

if [ -z "${2:-}" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DRIVO_FUZZ=ON -DRIVO_TESTS=OFF -DRIVO_BENCH=OFF \
        -DRIVO_WERROR=ON -DRIVO_PACKAGING=OFF >/dev/null
elif ! grep -q '^RIVO_FUZZ:BOOL=ON$' "$build/CMakeCache.txt" 2>/dev/null; then
    echo "fuzz.sh: $build is not configured with -DRIVO_FUZZ=ON" >&2
    exit 2
fi
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]%%:*}"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failed=
for entry in "${targets[@]}"; do
    IFS=: read -r target percent max_len <<<"$entry"
    share=$((seconds * percent / 100))
    [ "$share" -ge 1 ] || share=1
    findings="$build/findings/$target"
    rm -rf "$findings" "$scratch/corpus"
    mkdir -p "$findings" "$scratch/corpus"
    cp fuzz/corpus/* "$scratch/corpus/"
    status=0
    # The budgets of the targets (fuzz/fuzz_support.h) keep every legal input of 1 KiB far
    # below the timeout. A small quarantine lets freed blocks come back while they are still
    # mapped: with the default 256 MB every allocation of a short run touches fresh pages.
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:quarantine_size_mb=16 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "./$build/fuzz/$target" "$scratch/corpus" -dict=fuzz/rivo.dict \
        -max_total_time="$share" -max_len="$max_len" -len_control=20 -rss_limit_mb=2048 -timeout=5 \
        -artifact_prefix="$findings/" -print_final_stats=1 >"$scratch/$target.log" 2>&1 ||
        status=$?
    last="$(grep -E '^#[0-9]+.* cov: ' "$scratch/$target.log" | tail -1 || true)"
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$scratch/$target.log")"
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$scratch/$target.log")"
    rss="$(sed -n 's/^stat::peak_rss_mb: *//p' "$scratch/$target.log")"
    printf '%-20s %4s s  %8s inputs  %6s inputs/s  cov %s  ft %s  corpus %s  peak RSS %s MB\n' \
        "$target" "$share" "${runs:-?}" "${rate:-?}" \
        "$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")" \
        "$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")" \
        "$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")" "${rss:-?}"
    if [ "$status" -ne 0 ] || [ -n "$(ls -A "$findings")" ]; then
        tail -60 "$scratch/$target.log"
        echo "$target found a problem; replay: ./$build/fuzz/$target $findings/<file>" >&2
        failed=1
    fi
done
[ -z "$failed" ] || exit 1
echo "fuzzing: no finding in ${seconds} s"
