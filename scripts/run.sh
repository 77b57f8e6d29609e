#!/usr/bin/env bash
# Installs what is missing, builds Ironbell and starts it with the given arguments.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIRONBELL_BENCH=OFF >/dev/null
cmake --build "$root/build" --target ironbell -j"$(nproc)"
exec "$root/build/host/ironbell" "$@"
