#!/bin/bash
# The merge of a split global stability study (see volmar-stability.sbatch),
# run after every task has ended well:
#
#   sbatch --dependency=afterok:$jid --export=ALL,PARTS=.,RESULTS="values=stab.txt chart=stab.png" \
#          volmar-stability-merge.sbatch
#
# Its output holds the study's lines, exactly as the single run prints them.
#SBATCH --job-name=volmar-stability-merge
#SBATCH --output=volmar-stability-merge-%j.out
set -euo pipefail
parts=${PARTS:-.}
shopt -s nullglob
files=("$parts"/part-*.txt)
[ ${#files[@]} -gt 0 ] || { echo "no part files in $parts" >&2; exit 1; }
line="stability merge"
for f in "${files[@]}"; do line+=" \"$f\""; done
echo "$line ${RESULTS:-} replace=yes" | "${VOLMAR_BATCH:-volmar-batch}" -
