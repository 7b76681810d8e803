#!/usr/bin/env bash
# Installs what is needed, builds and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -x build/src/app/volmar ]; then
  exec build/src/app/volmar "$@"
fi
echo "The desktop program is not built yet; running the batch front end instead."
exec build/src/batch/volmar-batch --help
