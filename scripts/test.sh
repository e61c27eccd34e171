#!/bin/sh
# Builds every target with AddressSanitizer + UndefinedBehaviorSanitizer (clang, with the
# libFuzzer targets) and runs every test through CTest.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
# The look of the code first: a file that does not follow .clang-format fails the run.
sh scripts/format.sh --check

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

# Run as root, the cases that need a file or folder the test cannot read or write skip
# themselves (root reads and writes anyway). Run them once more as an ordinary user when
# the build can be reached by one.
if [ "$(id -u)" = "0" ] && command -v setpriv >/dev/null 2>&1; then
  AS_USER="setpriv --reuid=65534 --regid=65534 --clear-groups"
  for t in "$(pwd)/$BUILD"/tests/*/test_*; do
    [ -f "$t" ] && [ -x "$t" ] || continue
    case "$t" in *test_ui) continue ;; esac
    if $AS_USER test -x "$t" 2>/dev/null; then
      echo "== $(basename "$t") as an ordinary user: read-only and unreadable cases"
      (cd /tmp && HOME=/tmp TMPDIR=/tmp $AS_USER "$t" --gtest_filter='*ReadOnly*:*Unreadable*:*Readonly*')
    else
      echo "== $(basename "$t"): build not reachable by an ordinary user; those cases stay skipped"
    fi
  done
fi
