#!/bin/sh
# Builds every target with AddressSanitizer + UndefinedBehaviorSanitizer (clang, with the
# libFuzzer targets) and runs every test through CTest.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh

BUILD=build-test
cmake -S . -B "$BUILD" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_COMPILER=clang++-14 \
  -DVARNEL_SANITIZE=ON -DVARNEL_FUZZ=ON -DVARNEL_BENCH=OFF
cmake --build "$BUILD" -j "$(nproc)"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)"
