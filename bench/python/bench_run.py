"""agvsim.run against agvsim-batch on the 56.1 m circle, medians of alternating runs.

    PYTHONPATH=build-rel/python /usr/bin/python3 bench/python/bench_run.py build-rel/src/agvsim-batch

Prints the median time of agvsim.run (the call, the computation and the arrays), of the
same computation as a whole agvsim-batch process, and of handing the arrays of a computed
run to Python.
"""

import statistics
import subprocess
import sys
import time

import agvsim
from agvsim import _agvsim
from agvsim._arguments import PACKAGE_TABLES as TABLES

CIRCLE = dict(error=2, error_values=(2.0,), curve=15, curve_params=(4.7, 1.9))
BATCH_ARGS = ["--error", "2", "--error-values", "2", "--curve", "15", "--curve-params", "4.7,1.9"]
REPEATS = 11


def main():
    batch = sys.argv[1] if len(sys.argv) > 1 else "build/src/agvsim-batch"
    agvsim.run(**CIRCLE)  # tables loaded, code warm
    python, process, arrays = [], [], []
    for _ in range(REPEATS):
        start = time.perf_counter()
        agvsim.run(**CIRCLE)
        python.append(time.perf_counter() - start)

        start = time.perf_counter()
        subprocess.run([batch, *BATCH_ARGS], check=True, capture_output=True)
        process.append(time.perf_counter() - start)

        computation = _agvsim.Computation(2, [2.0], 15, [4.7, 1.9], 1.0, 1.0, True, TABLES)
        start = time.perf_counter()
        agvsim.Run(computation)
        arrays.append(time.perf_counter() - start)
    ms = lambda values: statistics.median(values) * 1000.0
    print(f"agvsim.run, 56.1 m circle:          {ms(python):8.2f} ms (median of {REPEATS})")
    print(f"agvsim-batch process, same run:     {ms(process):8.2f} ms")
    print(f"ratio run / batch:                  {statistics.median(python) / statistics.median(process):8.3f}")
    print(f"arrays of a run handed to Python:   {ms(arrays):8.3f} ms")


if __name__ == "__main__":
    main()
