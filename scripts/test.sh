#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: once in an
# optimised build with warnings as errors, once under AddressSanitizer and
# UndefinedBehaviorSanitizer; then runs each fuzz target for a few seconds
# (libFuzzer, with clang++ when present).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIN_WERROR=ON -DTAVRIN_LIBRETRO=ON >/dev/null
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRIN_WERROR=ON \
  -DTAVRIN_SANITIZE=ON -DTAVRIN_BENCH=OFF -DTAVRIN_LIBRETRO=ON >/dev/null
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

# clang++ comes from install-deps.sh; without it fuzz.sh says it skips.
scripts/fuzz.sh 5
