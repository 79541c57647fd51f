#!/usr/bin/env python3
"""Reads the JSON of the benchmark suite (scripts/bench.sh) and prints each speed and memory
target with its measured figure and PASS or FAIL; exits 1 when any target fails.

Every figure is the fastest repetition of its benchmark, so that a moment of load on a shared
machine does not decide; the ratios compare benchmarks of the same run. With --quick (the short
run of the test command) a time or a growth within twice its target only warns: on a shared
machine a short run cannot tell a slow moment from slow code (a 4 KiB run takes well under a
millisecond), while a quadratic step, some 4000x from 4 to 256 KiB, still fails at once; the
painter ratio and the memory figures always decide."""
import json
import sys
from pathlib import Path

MB = 1e6 / 2**20  # 256 MB, read strictly as 10^6 bytes, in MiB: 244.1
MEMORY_LIMIT_MIB = 256 * MB
TIME_LIMIT_MS = 2000.0
KEY_LIMIT_MS = 100.0
GROWTH_LIMIT = 64**1.15
TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def load(path):
    """Benchmark name -> list of its repetitions (the runs, not the aggregates)."""
    runs = {}
    for entry in json.loads(Path(path).read_text())["benchmarks"]:
        if entry.get("run_type", "iteration") != "iteration":
            continue
        if entry.get("error_occurred"):
            sys.exit(f"{entry['name']}: {entry.get('error_message', 'error')}")
        name = entry.get("run_name", entry["name"]).removesuffix("/iterations:1")
        runs.setdefault(name, []).append(entry)
    return runs


def fastest_ms(runs, name):
    if name not in runs:
        sys.exit(f"benchmark {name} did not run")
    return min(r["real_time"] * TO_MS[r["time_unit"]] for r in runs[name])


def counter(runs, name, key):
    return max(r[key] for r in runs[name])


def main(out_dir, quick):
    out = Path(out_dir)
    results = []

    def check(target, figure, limit, ok, slack=None):
        verdict = "PASS" if ok else "FAIL"
        if not ok and quick and slack:
            verdict = "WARN"
        results.append(verdict)
        print(f"{verdict}  {target:<58} {figure:>14}   (target {limit})")

    draw = load(out / "draw.json")
    floor = fastest_ms(draw, "PainterFloor/default/3_circles")
    drawn = fastest_ms(draw, "Draw/default/3_circles")
    check("default draw, 3 circles, against its painter floor",
          f"{drawn * 1e3:.1f}/{floor * 1e3:.1f} us = {drawn / floor:.2f}x", "<= 1.50x",
          drawn <= 1.5 * floor)

    pipeline = load(out / "pipeline.json")
    shapes = sorted({n.split("/")[1] for n in pipeline if n.startswith("Pipeline/")})
    for shape in shapes:
        ms = fastest_ms(pipeline, f"Pipeline/{shape}/32KiB")
        check(f"pipeline, 32 KiB {shape}", f"{ms:.2f} ms", "<= 5 ms", ms <= 5.0,
              slack=ms <= 10.0)
    for shape in shapes:
        small = fastest_ms(pipeline, f"Pipeline/{shape}/4KiB")
        large = fastest_ms(pipeline, f"Pipeline/{shape}/256KiB")
        check(f"pipeline growth 4 -> 256 KiB, {shape}", f"{large / small:.1f}x",
              f"<= 64^1.15 = {GROWTH_LIMIT:.0f}x", large / small <= GROWTH_LIMIT,
              slack=large / small <= 2 * GROWTH_LIMIT)

    road = {}
    for path in sorted(out.glob("road-*.json")):
        road.update(load(path))
    for name in sorted(road):
        ms = fastest_ms(road, name)
        rss = counter(road, name, "peak_rss_MiB")
        outcome = road[name][0].get("label", "")
        ok = ms <= TIME_LIMIT_MS and rss <= MEMORY_LIMIT_MIB
        check(f"{name} ({outcome[:22]})", f"{ms:.0f} ms {rss:.0f} MiB",
              f"<= 2 s, <= {MEMORY_LIMIT_MIB:.0f} MiB", ok)

    blowup = load(out / "diff_blowup.json")
    for name in blowup:
        ms = fastest_ms(blowup, name)
        rss = counter(blowup, name, "peak_rss_MiB")
        ok = ms <= TIME_LIMIT_MS and rss <= MEMORY_LIMIT_MIB
        check(f"{name} (budget error)", f"{ms:.0f} ms {rss:.0f} MiB",
              f"<= 2 s, <= {MEMORY_LIMIT_MIB:.0f} MiB", ok)

    window = {}
    for path in sorted(out.glob("window-*.json")):
        if path.name != "window-keys.json":
            window.update(load(path))
    for name in sorted(window):
        rss = counter(window, name, "peak_rss_MiB")
        outcome = window[name][0].get("label", "")
        check(f"window, {name} ({outcome[:20]})", f"{rss:.0f} MiB",
              f"<= {MEMORY_LIMIT_MIB:.0f} MiB", rss <= MEMORY_LIMIT_MIB)
    keys = load(out / "window-keys.json")
    for name in sorted(keys):
        ms = fastest_ms(keys, name)
        if name.endswith("_reference"):
            print(f"INFO  {name:<58} {ms:>11.1f} ms   (no target)")
            continue
        check(f"window, key press in a 1 MiB line, {name.split('/')[-1]}", f"{ms:.2f} ms",
              f"<= {KEY_LIMIT_MS:.0f} ms", ms <= KEY_LIMIT_MS, slack=ms <= 2 * KEY_LIMIT_MS)

    missed = results.count("FAIL")
    print(f"benchmark targets: {results.count('PASS')} met, {missed} missed, "
          f"{results.count('WARN')} within twice the target in a short run")
    return 1 if missed else 0


if __name__ == "__main__":
    args = [a for a in sys.argv[1:] if a != "--quick"]
    sys.exit(main(args[0] if args else "build/bench-results", "--quick" in sys.argv[1:]))
