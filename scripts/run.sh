#!/usr/bin/env bash
# Builds the viewer, paints its pictures and opens it.  The viewer finds its
# pictures beside itself, so it runs from whatever folder this is called in.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" run
cmake -S "$root" -B "$root/build" -DSOLAR_TESTS=OFF -DSOLAR_BENCH=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target solar-system textures
exec "$root/build/solar-system" "$@"
