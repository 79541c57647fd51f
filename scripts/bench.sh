#!/usr/bin/env bash
# Runs the benchmark suite of a build tree and checks its speed and memory targets.
# Usage: scripts/bench.sh [--quick] [BUILD_DIR]
#   --quick  five repetitions of 0.2 s, for the test command: a figure fails only where noise
#            cannot take it (scripts/check_bench.py), anything milder warns.
#   without  the figures docs/development.md shows (ten repetitions of half a second each),
#            every target strict.
set -euo pipefail
cd "$(dirname "$0")/.."
reps=10
min_time=0.5
quick=
if [ "${1:-}" = "--quick" ]; then
    quick=1
    reps=5
    min_time=0.2
    shift
fi
build="${1:-build}"
bench="$build/bench"
out="$build/bench-results"
rm -rf "$out"
mkdir -p "$out"
run() {
    local name="$1"
    shift
    "$@" --benchmark_format=console --benchmark_out_format=json \
        --benchmark_out="$out/$name.json" >"$out/$name.txt" 2>"$out/$name.err"
}

run draw "$bench/draw_bench" --benchmark_min_time="$min_time" --benchmark_repetitions="$reps"
run pipeline "$bench/pipeline_bench" --benchmark_min_time="$min_time" \
    --benchmark_repetitions="$reps"
# One fresh process per shape and a single run: the peak resident set is then that of one
# request, not of a heap that earlier repetitions left fragmented.
for shape in $("$bench/road_bench" --benchmark_list_tests | cut -d/ -f2); do
    run "road-$shape" "$bench/road_bench" --benchmark_filter="^Road/$shape/"
done
run diff_blowup "$bench/diff_blowup_bench" --benchmark_repetitions=3
run batch "$bench/batch_bench" --benchmark_min_time="$min_time" --benchmark_repetitions="$reps"
# The yardstick of the batch: matplotlib-venn, from the system's Python. Only the full run
# installs it and takes the minute it needs.
if [ -z "$quick" ]; then
    source scripts/setup.sh
    rivo_setup_bench
    /usr/bin/python3 bench/venn_bench.py "$out/venn.json"
fi
run express "$bench/express_bench" --benchmark_min_time="$min_time" \
    --benchmark_repetitions="$reps"
# Whole rivo-cli processes on hostile and large inputs; a few repetitions, each a process.
run input "$bench/input_bench" --benchmark_repetitions="$([ -n "$quick" ] && echo 2 || echo 5)"
# The real window (offscreen): one fresh process per session, as for the road; the short run
# takes the shapes that need the most memory. The QLineEdit reference and the long session
# only in the full run.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
if [ -n "$quick" ]; then
    sessions="left_chain products trailing_minus"
    keys='^KeyPress/(start|middle|end)$'
else
    sessions=$("$bench/window_bench" --benchmark_list_tests | grep '^WindowSession/' | cut -d/ -f2)
    keys='^KeyPress/'
    run window-long "$bench/window_bench" --benchmark_filter='^LongSession/'
fi
for shape in $sessions; do
    run "window-$shape" "$bench/window_bench" --benchmark_filter="^WindowSession/$shape/"
done
run window-keys "$bench/window_bench" --benchmark_filter="$keys" \
    --benchmark_min_time="$min_time" --benchmark_repetitions="$reps"
python3 scripts/check_bench.py "$out" ${quick:+--quick}
