#!/usr/bin/python3
"""The global stability protocol of volmar's bench_stability done with
scikit-learn, for comparison: for every number of segments N in lower..upper
and B pairs, two bootstrap samples are drawn, KMeans(n_init=10) is fitted on
each, every case is predicted under both fits and the adjusted Rand index of
the two partitions is taken. Prints the seconds the protocol took (after the
imports and the reading of the data) and the median index per N.

    stability_sklearn.py DATA.txt LOWER UPPER PAIRS

Needs Debian's python3-sklearn (benchmark only; the tests do not use it).
"""
import sys
import time

import numpy as np
from sklearn.cluster import KMeans
from sklearn.metrics import adjusted_rand_score


def main():
    data, lower, upper, pairs = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    x = np.loadtxt(data, dtype=np.float32)
    n = x.shape[0]
    rng = np.random.default_rng(7)
    start = time.perf_counter()
    medians = []
    for k in range(lower, upper + 1):
        values = []
        for _ in range(pairs):
            labels = []
            for _side in range(2):
                sample = x[rng.integers(0, n, n)]
                fit = KMeans(n_clusters=k, n_init=10, random_state=int(rng.integers(0, 2**31))).fit(sample)
                labels.append(fit.predict(x))
            values.append(adjusted_rand_score(labels[0], labels[1]))
        medians.append(float(np.median(values)))
    elapsed = time.perf_counter() - start
    print(f"{elapsed:.6f}")
    print(" ".join(f"{m:.3f}" for m in medians))


if __name__ == "__main__":
    main()
