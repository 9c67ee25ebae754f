#!/usr/bin/env python3
"""What the Python package adds to a read.

Times, on one file (by default the largest of ../shared/bsdl):
  * bscan.read(path), the Device dropped right away (as the C++ loop
    destroys its parser);
  * the C++ read, Initialize + Read + CloseFile of a BScanParser, in this
    same process (bscan._bscan._core_read_seconds), so that both run with
    the same allocator state: the binding's own cost is the difference;
  * the same C++ read in its own process, bscan_bench_read
    (BM_Read/largest_vendor_file, counter read_us), when that program is
    there and the file is the largest one;
  * reading the file into a Python str, the floor of any Python reader.

Times are this thread's CPU time (the machine is shared); the loops of the
three in-process measures take turns, round after round, and each figure is
the best and the median over the rounds of the mean time of one call. Run
with the build's package on the path:

    PYTHONPATH=build/python /usr/bin/python3 bench/bench_python.py \
        [--file FILE] [--cxx build/bench/bscan_bench_read] [--instructions]

--instructions also counts the instructions of one call of each under
valgrind, in processes of their own: a figure the machine's load does not
move.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parents[1]


def largest_real_file():
    folder = SOURCE_DIR.parent / "shared" / "bsdl"
    if not folder.is_dir():
        return None
    files = [p for p in folder.iterdir() if p.is_file()]
    return max(files, key=lambda p: p.stat().st_size) if files else None


def timed_us(function, loops):
    """The mean CPU time of one of `loops` calls."""
    start = time.thread_time()
    for _ in range(loops):
        function()
    return (time.thread_time() - start) / loops * 1e6


def best_median(times):
    return min(times), statistics.median(times)


def cxx_read_us(program, rounds):
    """read_us of bscan_bench_read's run on the largest vendor file: the best
    and the median over `rounds` repetitions."""
    run = subprocess.run([program, "--benchmark_filter=largest_vendor_file", "--benchmark_format=json",
                          f"--benchmark_repetitions={rounds}"],
                         capture_output=True, text=True, check=True)
    values = [b["read_us"] for b in json.loads(run.stdout)["benchmarks"]
              if b.get("run_type") == "iteration" and "read_us" in b]
    return (min(values), statistics.median(values)) if values else None


INSTRUCTION_MODES = {
    "nothing": "pass",
    "bscan.read": "for _ in range(n): bscan.read(p)",
    "C++ read, same process": "_bscan._core_read_seconds(p, n)",
    "file into a str": "for _ in range(n): open(p, encoding='utf-8', errors='replace').read()",
}


def instructions_per_call(path, loops):
    """Instructions of one call of each mode, counted by valgrind (callgrind)
    in a process of its own: what the binding adds, whatever the load."""
    counts = {}
    for name, body in INSTRUCTION_MODES.items():
        code = ("import bscan; from bscan import _bscan; p = %r; n = %d\n"
                "bscan.read(p); _bscan._core_read_seconds(p, 1)\n%s\n" % (path, loops, body))
        run = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
                              sys.executable, "-c", code], capture_output=True, text=True, env=os.environ)
        collected = [line for line in run.stderr.splitlines() if "Collected :" in line]
        if run.returncode != 0 or not collected:
            sys.exit("valgrind failed:\n" + run.stderr[-2000:])
        counts[name] = int(collected[-1].split(":")[-1])
    base = counts.pop("nothing")
    return {name: (count - base) / loops for name, count in counts.items()}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--file", type=Path, help="the BSDL file (default: the largest of ../shared/bsdl)")
    parser.add_argument("--cxx", type=Path, default=SOURCE_DIR / "build" / "bench" / "bscan_bench_read",
                        help="bscan_bench_read, for the C++ figure")
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--loops", type=int, default=20)
    parser.add_argument("--instructions", action="store_true",
                        help="also count instructions per call under valgrind (slow; independent of the load)")
    args = parser.parse_args()

    import bscan

    path = args.file or largest_real_file()
    if path is None:
        sys.exit("no file: give --file, or put vendor files in ../shared/bsdl")
    path = str(path)
    print(f"file: {path} ({os.path.getsize(path) / 1024:.0f} KiB, {bscan.read(path)!r})")
    print(f"package: {bscan.__file__}")

    def read_str():
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()

    from bscan import _bscan
    times = {"bscan.read": [], "C++ read, same process": [], "file into a str": []}
    for _ in range(2):  # warm up
        bscan.read(path)
        _bscan._core_read_seconds(path, 2)
    for _ in range(args.rounds):
        times["bscan.read"].append(timed_us(lambda: bscan.read(path), args.loops))
        times["C++ read, same process"].append(_bscan._core_read_seconds(path, args.loops) / args.loops * 1e6)
        times["file into a str"].append(timed_us(read_str, args.loops * 5))
    figures = {name: best_median(values) for name, values in times.items()}
    for name, (best, median) in figures.items():
        print(f"{name:24} best {best:9.1f} us   median {median:9.1f} us")
    (py_best, py_median), (cxx_best, cxx_median) = figures["bscan.read"], figures["C++ read, same process"]
    str_median = figures["file into a str"][1]
    print(f"binding adds:            {100 * (py_best / cxx_best - 1):+.1f} % (best)  "
          f"{100 * (py_median / cxx_median - 1):+.1f} % (median)")
    print(f"bscan.read / str read:   {py_median / str_median:.1f}x (median)")

    is_largest = largest_real_file() is not None and os.path.samefile(path, largest_real_file())
    if args.instructions:
        counts = instructions_per_call(path, args.loops)
        for name, count in counts.items():
            print(f"{name:24} {count / 1e6:9.3f} M instructions per call")
        print(f"binding adds:            {100 * (counts['bscan.read'] / counts['C++ read, same process'] - 1):+.2f} %"
              " (instructions)")

    if args.cxx.exists() and is_largest:
        own = cxx_read_us(str(args.cxx), args.rounds)
        if own:
            print(f"C++ read, own process    best {own[0]:9.1f} us   median {own[1]:9.1f} us   ({args.cxx.name}; "
                  f"bscan.read against it: {100 * (py_median / own[1] - 1):+.1f} % (median))")
    else:
        print("C++ read in its own process: not measured (bscan_bench_read, built with -DBSCAN_BENCH=ON, "
              "times the largest file)")


if __name__ == "__main__":
    main()
