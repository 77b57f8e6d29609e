#!/usr/bin/env bash
# Installs what is missing, builds Ironbell and starts it with the given arguments.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Works from any folder: every path is taken from the script's own place.
# IRONBELL_JOBS=N limits the parallel build jobs (default: one per core).
jobs=${IRONBELL_JOBS:-$(nproc)}
if [ "$jobs" != "${jobs//[^0-9]/}" ] || [ -z "$jobs" ] || [ "$jobs" -eq 0 ]; then
  echo "IRONBELL_JOBS must be a number of jobs, 1 or more, not '$jobs'" >&2
  exit 1
fi
"$root/scripts/deps.sh"
# Only the game is built here, so no benchmarks; scripts/test.sh turns them on
# in the same build/ for its own run.
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIRONBELL_BENCH=OFF \
      -DIRONBELL_SANITIZE=OFF -DIRONBELL_FUZZ=OFF >/dev/null
cmake --build "$root/build" --target ironbell -j"$jobs"
exec "$root/build/host/ironbell" "$@"
