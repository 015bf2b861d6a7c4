#!/usr/bin/env bash
# Installs what is missing, builds the optimised program (and the libretro
# core beside it) and runs the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIN_TESTS=OFF -DTAVRIN_BENCH=OFF -DTAVRIN_LIBRETRO=ON >/dev/null
cmake --build build/run -j "$(nproc)" --target tavrin tavrin_libretro
exec build/run/src/tavrin "$@"
