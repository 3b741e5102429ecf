"""The Python module against the engine, side by side in one run:

  - a scalar state, Fluid.state(T=..., p=...): the timeit median, and the
    engine benchmark's median for the same state (engine_state/..._with_glide);
  - h and rho of 10^6 single-phase states, Fluid.props on one thread and on
    two, and the C++ loop over the same states (props_loop).

Usage: PYTHONPATH=BUILD/python VANTREL_DATA=data python3 bench/python_bench.py BUILD/vantrel_bench
"""

import json
import statistics
import subprocess
import sys
import time
import timeit

import numpy as np

import vantrel


def engine(bench, name):
    out = subprocess.run([bench, f"--benchmark_filter=^{name}$", "--benchmark_repetitions=5",
                          "--benchmark_format=json"], capture_output=True, text=True, check=True).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[runs[0]["time_unit"]]
    return statistics.median(b["real_time"] for b in runs) * unit


def best_of(call, n=5):
    times = []
    for _ in range(n):
        start = time.perf_counter()
        call()
        times.append(time.perf_counter() - start)
    return min(times)


def main(bench):
    f = vantrel.Fluid("R507A")
    timer = timeit.Timer(lambda: f.state(T=293.15, p=5e5))
    per_call = statistics.median(t / 20000 for t in timer.repeat(repeat=15, number=20000))
    cpp_state = engine(bench, "engine_state/R507A_20C_5bar_with_glide")
    print(f"state: python {per_call * 1e6:.3f} us, engine {cpp_state * 1e6:.3f} us, "
          f"difference {(per_call - cpp_state) * 1e6:.3f} us")

    n = 1000000
    i = np.arange(n)
    T = 300 + 100.0 * i / n
    p = 1e5 + 1e5 * (i % 1000) / 1000
    r134a = vantrel.Fluid("R134a")
    one = best_of(lambda: r134a.props(["h", "rho"], T=T, p=p), 3)
    two = best_of(lambda: r134a.props(["h", "rho"], T=T, p=p, threads=2), 3)
    loop = engine(bench, "props_loop/iterations:3")
    print(f"props of 1e6 states: C++ loop {n / loop / 1e6:.3f} M/s, python 1 thread {n / one / 1e6:.3f} M/s "
          f"({loop / one:.2f} x the loop), 2 threads {n / two / 1e6:.3f} M/s ({one / two:.2f} x one thread)")


if __name__ == "__main__":
    main(sys.argv[1])
