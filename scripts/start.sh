#!/bin/sh
# Builds Varnel (release) and starts it: only the window program and what it needs, not the
# tests or the benchmarks.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh

BUILD=build
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF -DVARNEL_BENCH=OFF
cmake --build "$BUILD" -j "$(nproc)" --target varnel
exec "$BUILD/app/varnel" "$@"
