#!/usr/bin/python3
"""Times SciPy's cdist(P, P, 'sqeuclidean') on the points toolbox_bench gives pairsq.

    pairsq_scipy.py [--quick] [--rounds N]

Coordinate k of point i is ((7919 i + 104729 k + 13) mod 10007) / 1000, as in
bench/distmatrix_cases.cpp and bench/octave/bench_cases_distmatrix.m. Prints
the fastest of N calls, into a new array and into an existing one, and whether cdist's result has the bits of the sums
in coordinate order that pairsq computes.
"""
import sys
import time

import numpy as np
import scipy
from scipy.spatial.distance import cdist


def main(argv):
    quick = "--quick" in argv
    rounds = 9
    if "--rounds" in argv:
        rounds = max(1, int(argv[argv.index("--rounds") + 1]))
    n, d = (203, 3) if quick else (4000, 3)
    i = np.arange(n, dtype=np.int64)[:, None]
    k = np.arange(d, dtype=np.int64)[None, :]
    P = ((7919 * i + 104729 * k + 13) % 10007) * 0.001  # n-by-d, one point per row

    # Into a new array (what a caller writes), and into one made beforehand
    # (as pairsqKernel gets its Q).
    best = best_out = float("inf")
    out = np.zeros((n, n))
    for _ in range(rounds):
        t0 = time.perf_counter()
        Q = cdist(P, P, "sqeuclidean")
        t1 = time.perf_counter()
        cdist(P, P, "sqeuclidean", out=out)
        t2 = time.perf_counter()
        del Q
        best = min(best, t1 - t0)
        best_out = min(best_out, t2 - t1)
    Q = out

    # pairsq's arithmetic: element (i, j) sums (P[i,k] - P[j,k])^2 from 0.0
    # in coordinate order.
    exact = np.zeros((n, n))
    for c in range(d):
        exact = exact + (P[:, c, None] - P[None, :, c]) ** 2
    same = np.array_equal(Q.view(np.uint64), exact.view(np.uint64))
    differing = int(np.count_nonzero(Q != exact))
    print(f"pairsq    d={d} n={n}: SciPy {scipy.__version__} cdist(P, P, 'sqeuclidean'), "
          f"fastest of {rounds}: {best * 1e3:.2f} ms into a new array, "
          f"{best_out * 1e3:.2f} ms into an existing one (out=); bits of the coordinate-order "
          f"sums: {'same' if same else f'{differing} elements differ'}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
