#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: the whole
# suite, the same suite under the address, leak and undefined-behaviour
# sanitizers, then 30 s of fuzzing for each fuzz target (skipped, with a
# note, where clang++ is not installed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$(nproc)"
bash scripts/test-sanitizers.sh
bash scripts/fuzz.sh 30
