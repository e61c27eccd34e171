#!/bin/sh
# Runs one libFuzzer target for a while: sh scripts/fuzz.sh NAME SECONDS
# New inputs are kept in fuzz/work/NAME (not committed); the seeds in fuzz/corpus/NAME are read.
set -eu
cd "$(dirname "$0")/.."
name="$1"
secs="${2:-600}"
BUILD=build-test
if [ ! -x "$BUILD/fuzz/fuzz_$name" ]; then
  sh scripts/setup.sh
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++-14 \
    -DVARNEL_SANITIZE=ON -DVARNEL_FUZZ=ON -DVARNEL_BENCH=OFF
  cmake --build "$BUILD" --target "fuzz_$name"
fi
mkdir -p "fuzz/work/$name"
# Leaks inside a library that a target cannot free are named in fuzz/lsan/NAME.supp.
[ -f "fuzz/lsan/$name.supp" ] && export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan/$name.supp"
seeds=""
[ -d "fuzz/corpus/$name" ] && seeds="fuzz/corpus/$name"
exec "$BUILD/fuzz/fuzz_$name" -max_total_time="$secs" -print_final_stats=1 "fuzz/work/$name" $seeds
