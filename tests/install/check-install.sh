#!/usr/bin/env bash
# Installs the build into a fresh prefix, checks that every file is there,
# and runs the README's worked example with the installed volmar-batch.
# Usage: check-install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.log"

fail=0
for f in bin/volmar bin/volmar-batch bin/volmar-survey-reader \
         share/applications/volmar.desktop share/icons/hicolor/scalable/apps/volmar.svg \
         share/doc/volmar/guide/index.html share/doc/volmar/guide/parameters.html \
         share/doc/volmar/README.md share/volmar/data/iris.dat share/man/man1/volmar-batch.1; do
  [ -f "$prefix/$f" ] || { echo "missing after install: $f"; fail=1; }
done
grep -q '^Exec=volmar$' "$prefix/share/applications/volmar.desktop" || { echo "desktop entry does not start volmar"; fail=1; }
grep -q '^Icon=volmar$' "$prefix/share/applications/volmar.desktop" || { echo "desktop entry names no icon"; fail=1; }

"$prefix/bin/volmar" --version | grep -Eq '^volmar [0-9]+\.[0-9]+' || { echo "volmar --version"; fail=1; }
"$prefix/bin/volmar-batch" --version | grep -Eq '^volmar-batch [0-9]+\.[0-9]+' || { echo "volmar-batch --version"; fail=1; }

# The worked example as the README gives it, run beside the installed data.
mkdir "$work/run"
cp -r "$prefix/share/volmar/data" "$work/run/data"
sed -n '/^    # iris.vb/,/^$/p' "$source/README.md" | sed 's/^    //' > "$work/run/iris.vb"
[ -s "$work/run/iris.vb" ] || { echo "no worked example found in the README"; exit 1; }
command=$(grep -E '^    volmar-batch --seed' "$source/README.md" | head -1 | sed 's/^    //')
(cd "$work/run" && PATH="$prefix/bin:$PATH" bash -c "$command") || { echo "the example failed: $command"; cat "$work/run/iris.log" || true; fail=1; }
for f in iris.wgt iris.lst iris.inf iris.out; do
  [ -s "$work/run/$f" ] || { echo "the example did not write $f"; fail=1; }
done
exit $fail
