#!/usr/bin/env bash
# Builds the viewer, paints its pictures and opens it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake -S . -B build -DSOLAR_TESTS=OFF -DSOLAR_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target solar-system textures
cd build
exec ./solar-system "$@"
