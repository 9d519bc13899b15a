#!/usr/bin/env python3
"""Each of the game's frames timed against bare SDL calls that draw the very same picture.

The benchmarks named ...VsBareSdl draw the two in many blocks of four frames (the game's, the bare,
the bare, the game's), each frame timed on the thread's own processor clock, and report the median of
the blocks' ratios (game over bare) with its quartiles. Whatever else the machine does falls on both
frames of a block alike, so the median holds on a shared machine.

As a regression guard: frame_ratios.py BENCH_BINARY --limit 1.15 prints the rows and fails when a
frame's median ratio is above the limit.
"""

import argparse
import json
import subprocess
import sys

# (benchmark, the frame it draws)
FRAMES = [
    ("BM_MainMenuFrameVsBareSdl", "the main menu"),
    ("BM_OptionsMenuFrameVsBareSdl", "the options menu"),
    ("BM_MapFrameVsBareSdl/40", "a 40 x 40 all-floor map"),
    ("BM_MapFrameVsBareSdl/150", "a 150 x 150 all-floor map"),
    ("BM_MapFrameVsBareSdl/512", "the largest map the game reads, 512 x 512 all floor"),
]


def measure(binary, cwd=None):
    """Runs the paired benchmarks once; gives, for each frame in FRAMES' order, a dict of what, game_us,
    bare_us (median processor time of one frame), ratio, q1 and q3 (the block ratios' median and
    quartiles)."""
    out = subprocess.run([binary, "--benchmark_filter=VsBareSdl", "--benchmark_format=json"],
                         check=True, capture_output=True, text=True, cwd=cwd).stdout
    # A fixed block count shows in the name as /iterations:N.
    runs = {b["run_name"].split("/iterations:")[0]: b for b in json.loads(out)["benchmarks"]}
    return [{"what": what, "game_us": runs[name]["game_us"], "bare_us": runs[name]["bare_us"],
             "ratio": runs[name]["ratio"], "q1": runs[name]["ratio_q1"], "q3": runs[name]["ratio_q3"]}
            for name, what in FRAMES]


def spread(row):
    """The ratio as the tables print it: median, then the quartiles."""
    return f"{row['ratio']:.2f}x ({row['q1']:.2f}-{row['q3']:.2f})"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("binary", help="the built quarrow_bench")
    parser.add_argument("--limit", type=float, required=True, help="the highest median ratio that passes")
    args = parser.parse_args()
    slow = []
    for row in measure(args.binary):
        print(f"{row['what']}: game {row['game_us']:.1f} us, bare SDL {row['bare_us']:.1f} us, {spread(row)}")
        if row["ratio"] > args.limit:
            slow.append(row["what"])
    for what in slow:
        print(f"FAIL: {what} costs more than {args.limit:.2f}x the bare SDL calls drawing it")
    return 1 if slow else 0


if __name__ == "__main__":
    sys.exit(main())
