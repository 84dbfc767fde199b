#!/usr/bin/env bash
# Builds Mailvane (installing what it needs) and starts the desktop program.
# Arguments are passed on, so `scripts/run.sh extract -o out mail/` runs the command line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec build/default/bin/mailvane "$@"
