#!/bin/bash
# Volmar's training with five replications and the refinement of every
# replication, beside k-means with ten k-means++ restarts, on the data sets of
# bench_refine_sets (written into DATA_DIR first):
#   1. bench_refine_sets --write-data: the data files and their list;
#   2. kmeans_reference.py: scikit-learn's KMeans(n_init=10, init="k-means++")
#      three times on each file (fit time and sum of squared distances);
#   3. the whole volmar-batch run (process start and reading included) on the
#      30000 x 100 set, seeds 1 to 3, timed from outside;
#   4. bench_refine_sets: training and refinement in the process, three seeds
#      per set, and the table of sums and times against step 2.
# Needs scikit-learn and numpy (Debian: python3-sklearn) for step 2 only; the
# program and its tests never use them.
# Usage: bash bench/refine_vs_kmeans.sh [BUILD_DIR] [DATA_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
data=${2:-$build/refine-sets}
if ! /usr/bin/python3 -c 'import sklearn, numpy' 2>/dev/null; then
  echo "refine_vs_kmeans.sh needs scikit-learn for the comparison: apt-get install python3-sklearn" >&2
  exit 1
fi
mkdir -p "$data"
echo "load at the start: $(cat /proc/loadavg)"
"$build/bench/bench_refine_sets" --write-data="$data"
/usr/bin/python3 "$here/kmeans_reference.py" "$data" "$data/kmeans.txt" 3

script=$data/groups.vb
printf 'open %s cases=30000 vars=100\nparameterize lower=30 upper=30 trials=10 epochs=10 reps=5\ntrain\nrefine replications=all\n' \
  "$data/groups.dat" > "$script"
times=()
for seed in 1 2 3; do
  start=$(date +%s%N)
  "$build/src/batch/volmar-batch" --seed "$seed" "$script" > "$data/groups-$seed.out" 2>&1
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000000 )))
done
median_ms=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 2p)
echo "whole volmar-batch runs on groups (ms): ${times[*]}; median $median_ms"
"$build/bench/bench_refine_sets" --kmeans="$data/kmeans.txt" --batch-seconds="$(printf '%d.%03d' $((median_ms / 1000)) $((median_ms % 1000)))"
echo "load at the end: $(cat /proc/loadavg)"
