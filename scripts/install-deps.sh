#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Volmar
# (clang and its libFuzzer runtime for scripts/fuzz.sh; GCC stays the
# default compiler).
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail
packages=(
  build-essential cmake
  qt6-base-dev qt6-charts-dev qt6-svg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-qpa-plugins fonts-dejavu-core fonts-liberation
  xvfb xauth openbox wmctrl x11-utils
  poppler-utils
  libcsv-dev libreadstat-dev readstat
  clang libclang-rt-dev
)
# Tools the tests run as they are, without the extras Debian recommends
# (R alone would bring a compiler tool chain and its manuals).
lean_packages=(
  r-base-core r-cran-haven
  # the split stability study's tests: a real single-node Slurm, GNU parallel
  slurmctld slurmd slurm-client munge parallel
)
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
missing_lean=()
for p in "${lean_packages[@]}"; do installed "$p" || missing_lean+=("$p"); done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_lean[@]} -eq 0 ] && exit 0
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
[ ${#missing[@]} -eq 0 ] || "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
[ ${#missing_lean[@]} -eq 0 ] || "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing_lean[@]}"
