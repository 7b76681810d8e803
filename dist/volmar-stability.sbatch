#!/bin/bash
# One task of a global stability study split over a Slurm job array:
#
#   jid=$(sbatch --parsable --array=1-T \
#           --export=ALL,TASKS=T,STUDY=study.vb,SEED=7,ANSWERS="lower=2 upper=8 pairs=100" \
#           volmar-stability.sbatch)
#   sbatch --dependency=afterok:$jid --export=ALL,PARTS=. volmar-stability-merge.sbatch
#
# STUDY is a volmar-batch script that opens the data and sets the parameters;
# every task runs it with the same SEED and appends its own
#   stability global ANSWERS tasks=T task=I part=PARTS/part-I.txt
# The task uses the cores of its allocation (--cpus-per-task), 1 by default.
# VOLMAR_BATCH names the program when it is not on the PATH.
#SBATCH --job-name=volmar-stability
#SBATCH --output=volmar-stability-%A_%a.out
#SBATCH --cpus-per-task=1
set -euo pipefail
: "${TASKS:?set TASKS to the number of tasks of the array}"
: "${STUDY:?set STUDY to the script that opens the data and sets the parameters}"
: "${SEED:?set SEED: every task must draw from the same seed}"
task=${SLURM_ARRAY_TASK_ID:?run as a job array: sbatch --array=1-TASKS}
parts=${PARTS:-.}
{
  cat "$STUDY"
  echo "stability global ${ANSWERS:-} tasks=$TASKS task=$task part=\"$parts/part-$task.txt\" replace=yes"
} | "${VOLMAR_BATCH:-volmar-batch}" --seed "$SEED" --threads "${SLURM_CPUS_PER_TASK:-1}" -
