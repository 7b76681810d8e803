#!/usr/bin/python3
"""k-means with ten k-means++ restarts on the data sets of bench_refine_sets.

Usage: kmeans_reference.py DATA_FOLDER RESULTS_FILE [REPEATS]

Reads every data set that bench_refine_sets wrote into DATA_FOLDER (its
list is sets.txt there: name, file, cases, variables, prototypes per line), fits
sklearn.cluster.KMeans(n_clusters=N, n_init=10, init="k-means++") REPEATS
times (3 by default) with random_state 0, 1, ... and writes one line per set
to RESULTS_FILE: name, the median fit time in seconds, the median sum of
squared distances (inertia) and the best one. The fit time counts the fit
only, not the reading of the file.

Needs scikit-learn and numpy (Debian: python3-sklearn); they are used by this
comparison only, never by the program or its tests.
"""
import statistics
import sys
import time

try:
    import numpy as np
    from sklearn.cluster import KMeans
except ImportError as e:  # pragma: no cover
    sys.exit("kmeans_reference.py needs scikit-learn and numpy "
             "(apt-get install python3-sklearn): %s" % e)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    folder, results = sys.argv[1], sys.argv[2]
    repeats = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    out = []
    with open(folder + "/sets.txt") as sets:
        for line in sets:
            if not line.strip():
                continue
            name, file, cases, nvars, k = line.split()
            x = np.loadtxt(folder + "/" + file + ".dat", dtype=np.float64, ndmin=2)
            assert x.shape == (int(cases), int(nvars)), (name, x.shape)
            times, sums = [], []
            for seed in range(repeats):
                km = KMeans(n_clusters=int(k), n_init=10, init="k-means++", random_state=seed)
                t0 = time.perf_counter()
                km.fit(x)
                times.append(time.perf_counter() - t0)
                sums.append(float(km.inertia_))
            out.append("%s %.6f %.6f %.6f" % (name, statistics.median(times), statistics.median(sums), min(sums)))
            print("%-10s k=%2s  fit %.3f s (median of %d)  sum %.3f (median), %.3f (best)"
                  % (name, k, statistics.median(times), repeats, statistics.median(sums), min(sums)), flush=True)
    with open(results, "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
