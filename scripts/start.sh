#!/bin/sh
# Builds Varnel (release) and starts it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh

BUILD=build
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF
cmake --build "$BUILD" -j "$(nproc)"
exec "$BUILD/app/varnel"
