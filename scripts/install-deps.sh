#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Volmar
# (clang and its libFuzzer runtime for scripts/fuzz.sh; GCC stays the
# default compiler).
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail
packages=(
  build-essential cmake
  qt6-base-dev qt6-charts-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-qpa-plugins fonts-dejavu-core fonts-liberation
  xvfb xauth openbox wmctrl x11-utils
  poppler-utils
  libcsv-dev libreadstat-dev readstat
  clang libclang-rt-dev
)
# ---- Stability (bootstrap): the SVG charts, and the split study's tests on
# a real single-node Slurm and under GNU parallel; without the recommended
# extras, which the tests do not use ----
lean_packages=(qt6-svg-dev slurmctld slurmd slurm-client munge parallel)
# ---- end of stability ----
missing=()
lean_missing=()
for p in "${lean_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || lean_missing+=("$p")
done
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && [ ${#lean_missing[@]} -eq 0 ] && exit 0
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
[ ${#missing[@]} -eq 0 ] || "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
[ ${#lean_missing[@]} -eq 0 ] || "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${lean_missing[@]}"
