#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer in ./build-fuzz and runs
# each for SECONDS (default 30), one after the other. The inputs a run finds
# interesting are kept in build-fuzz/corpus; a failing input is written to
# build-fuzz/crashes and fails the run: copy it to tests/fuzz/corpus/<target>
# so that the test suite replays it from then on.
#   usage: scripts/fuzz.sh [SECONDS] [TARGET...]
# Without clang++ or its libFuzzer runtime the run is skipped (exit 0).
# Each run starts from a fixed seed (FUZZ_SEED, default 1), so a run that
# finds nothing exits 0 and a finding can be repeated.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(FuzzDataRows FuzzSubsamples FuzzPrototypes FuzzNumberPictures FuzzBatchScript FuzzCsvImport)
seed=${FUZZ_SEED:-1}
bash scripts/install-deps.sh
if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is not installed; fuzzing skipped"
  exit 0
fi
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
    clang++ -fsanitize=fuzzer -x c++ - -o /dev/null 2>/dev/null; then
  echo "fuzz.sh: clang++ has no libFuzzer runtime (Debian package libclang-rt-dev); fuzzing skipped"
  exit 0
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DVOLMAR_BUILD_UI=OFF -DVOLMAR_BUILD_TESTS=OFF -DVOLMAR_BUILD_BENCH=OFF -DVOLMAR_FUZZ_ENGINE=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"
mkdir -p build-fuzz/crashes
status=0
for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$t"
  echo "== $t: ${seconds} s"
  # -timeout is far above the slowest input (well under a second), so that a
  # busy machine does not report a slow unit; -rss_limit_mb also caps a
  # single allocation, so a reader that asks for too much is a finding.
  if ! "build-fuzz/tests/fuzz/$t" -max_total_time="$seconds" -seed="$seed" -max_len=8192 -timeout=60 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$t-" \
      "build-fuzz/corpus/$t" "tests/fuzz/corpus/$t" > "build-fuzz/$t.log" 2>&1; then
    status=1
    tail -n 40 "build-fuzz/$t.log"
  fi
  grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "build-fuzz/$t.log" || true
done
exit $status
