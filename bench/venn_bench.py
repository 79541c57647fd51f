#!/usr/bin/python3
"""The batch renderer's yardstick: the same 3-circle shadings as bench/batch_bench.cpp (every
set of the seven regions), drawn with matplotlib-venn and saved as 400 x 400 PNG files in one
Python process, a new figure per picture as a script would make them. Writes
{"pictures_per_second": ...} as JSON to the file named by its one argument.

Run by scripts/bench.sh (full run only) with the system's Python, which holds the Debian
package python3-matplotlib-venn."""
import json
import sys
import tempfile
import time
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
from matplotlib_venn import venn3  # noqa: E402

# Region codes of three circles and matplotlib-venn's subset names: A, B, C inside or not.
SUBSETS = {1: "100", 2: "110", 3: "010", 4: "101", 5: "111", 6: "011", 7: "001"}
SILVER = "#c0c0c0"


def draw(mask, file):
    figure = plt.figure(figsize=(4, 4), dpi=100)
    diagram = venn3(subsets=(1,) * 7, set_labels=("A", "B", "C"))
    for region, name in SUBSETS.items():
        patch = diagram.get_patch_by_id(name)
        patch.set_color(SILVER if mask >> (region - 1) & 1 else "white")
        patch.set_alpha(1.0)
        patch.set_edgecolor("black")
        diagram.get_label_by_id(name).set_text("")
    figure.savefig(file, dpi=100)
    plt.close(figure)


def main(out):
    masks = list(range(128))
    with tempfile.TemporaryDirectory() as folder:
        draw(0, Path(folder) / "warm-up.png")
        start = time.perf_counter()
        for i, mask in enumerate(masks):
            draw(mask, Path(folder) / f"p-{i:04d}.png")
        seconds = time.perf_counter() - start
    Path(out).write_text(json.dumps({"pictures": len(masks), "seconds": seconds,
                                     "pictures_per_second": len(masks) / seconds}))


if __name__ == "__main__":
    main(sys.argv[1])
