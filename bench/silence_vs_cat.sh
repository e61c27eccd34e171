#!/bin/sh
# Silence scans against the cost of reading the same bytes: builds a Release build
# (build-bench), runs bench_silence (leading and trailing scans of a silent 100 MiB region,
# and a plain read() loop as the floor), times `cat` over a file of the same size with
# hyperfine (page cache warm), and prints the ratios.
set -eu
cd "$(dirname "$0")/.."

BUILD=build-bench
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF \
  -DVARNEL_BENCH=ON >/dev/null
cmake --build "$BUILD" --target bench_silence >/dev/null

WORK=$(mktemp -d "${TMPDIR:-/tmp}/varnel-cat-XXXXXX")
trap 'rm -rf "$WORK"' EXIT INT TERM

"$BUILD/bench/bench_silence" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=csv >"$WORK/bench.csv" 2>/dev/null
# name,iterations,real_time,cpu_time,time_unit,...: the medians, in ms.
median() { awk -F, -v n="\"$1/real_time_median\"" -v c="$2" '$1 == n { print $c }' "$WORK/bench.csv"; }
LEAD=$(median BM_LeadingSilence 3)
TRAIL=$(median BM_TrailingSilence 3)
FLOOR=$(median BM_ReadFloor/131072 3)
LEAD_CPU=$(median BM_LeadingSilence 4)
TRAIL_CPU=$(median BM_TrailingSilence 4)
FLOOR_CPU=$(median BM_ReadFloor/131072 4)

head -c $((44 + 100 * 1024 * 1024)) /dev/zero >"$WORK/silent.wav"
hyperfine --warmup 3 --runs 20 --export-csv "$WORK/cat.csv" --style none \
  "cat $WORK/silent.wav" >/dev/null
# command,mean,stddev,median,...: seconds.
CAT=$(awk -F, 'NR == 2 { printf "%.3f", $4 * 1000 }' "$WORK/cat.csv")

echo "100 MiB silent region, page cache warm (median, ms; wall / CPU of the thread):"
echo "  leading scan   $LEAD / $LEAD_CPU"
echo "  trailing scan  $TRAIL / $TRAIL_CPU"
echo "  read() floor   $FLOOR / $FLOOR_CPU"
echo "  cat (process)  $CAT (wall)"
awk -v l="$LEAD" -v t="$TRAIL" -v f="$FLOOR" -v c="$CAT" 'BEGIN {
  printf "ratio leading/cat  %.2f   trailing/cat  %.2f\n", l / c, t / c
  printf "ratio leading/read %.2f   trailing/read %.2f\n", l / f, t / f
}'
