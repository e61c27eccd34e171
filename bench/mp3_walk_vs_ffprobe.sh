#!/bin/sh
# Measuring a 60-minute 128 kbit/s MP3: our Open + CountFrames against outside tools.
#
#   bench/mp3_walk_vs_ffprobe.sh [BUILD_DIR]
#
# BUILD_DIR is a Release build with the benchmarks (default build-bench), e.g.
#   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF
#   cmake --build build-bench --target bench_mp3_walk varnel-cli
#
# 1. bench_mp3_walk (Google Benchmark): our load + walk, our walk alone, and libmpg123
#    counting the frames of the same file without decoding (mpg123_framebyframe_next).
# 2. hyperfine, whole processes: `mpg123 -t -q` (decodes everything, no output), ffprobe
#    counting frames when it is installed (it is not installed for this), and
#    `varnel-cli check` when it is built.
# 3. The frame counts: ours against mpg123's (which reads lame's Info frame as metadata, so
#    ours must be exactly one more).
# The MP3 is made once with sox and lame and cached in $TMPDIR.
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build-bench}
TMP=${TMPDIR:-/tmp}
MP3="$TMP/varnel-bench-60min-128k.mp3"
OUT="$TMP/varnel-bench-mp3"
mkdir -p "$OUT"

for tool in sox lame mpg123 hyperfine python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -x "$BUILD/bench/bench_mp3_walk" ] || { echo "build $BUILD/bench/bench_mp3_walk first" >&2; exit 1; }

if [ ! -s "$MP3" ]; then
  echo "making $MP3 (about a minute)" >&2
  sox -n -r 44100 -c 2 -b 16 -t wav - synth 3600 sine 440 2>/dev/null |
    lame --quiet -b 128 - "$MP3.part"
  mv "$MP3.part" "$MP3"
fi

"$BUILD/bench/bench_mp3_walk" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$OUT/bench.json" --benchmark_out_format=json

set -- "mpg123 -t -q '$MP3'"
if command -v ffprobe >/dev/null; then
  set -- "$@" "ffprobe -v error -count_frames -select_streams a:0 -show_entries stream=nb_read_frames -of csv=p=0 '$MP3'"
fi
if [ -x "$BUILD/src/cli/varnel-cli" ]; then
  set -- "$@" "'$BUILD/src/cli/varnel-cli' check '$MP3'"
fi
hyperfine --warmup 1 --runs 5 --export-json "$OUT/hyperfine.json" "$@"

# mpg123's own frame count: the last progress line "> DONE+LEFT ..." of a verbose test run,
# gapless trimming off so that no padding-only frame is dropped.
THEIRS=$(mpg123 -t -v --no-gapless "$MP3" 2>&1 | tr '\r' '\n' | sed -n 's/^> \([0-9]*\)+\([0-9]*\).*/\1 \2/p' |
  tail -n 1 | awk '{print $1 + $2}')

python3 - "$OUT/bench.json" "$OUT/hyperfine.json" "$THEIRS" <<'EOF'
import json, sys
bench = json.load(open(sys.argv[1]))
hyper = json.load(open(sys.argv[2]))
theirs_cli = int(sys.argv[3])
# Wall-clock and CPU time (user + system): on a shared machine the CPU time is the steadier.
wall, cpu, counters = {}, {}, {}
for b in bench["benchmarks"]:
    if b.get("aggregate_name") != "mean":
        continue
    name = b["run_name"]
    wall[name] = b["real_time"] / 1000.0  # ms -> s
    cpu[name] = b["cpu_time"] / 1000.0
    counters[name] = b
ours = "BM_OpenAndCountFrames"
ours_frames = int(counters[ours]["frames"])
def line(label, w, c, extra=""):
    print("%-32s wall %8.2f ms (x%6.1f)  cpu %8.2f ms (x%6.1f)%s"
          % (label[:32], w * 1e3, w / wall[ours], c * 1e3, c / cpu[ours], extra))
print()
line("our Open + CountFrames", wall[ours], cpu[ours], "  %d frames" % ours_frames)
line("our CountFrames (loaded)", wall["BM_CountFramesLoaded"], cpu["BM_CountFramesLoaded"])
if "BM_Libmpg123FrameScan" in wall:
    lib = counters["BM_Libmpg123FrameScan"]
    line("libmpg123 frame scan", wall["BM_Libmpg123FrameScan"], cpu["BM_Libmpg123FrameScan"],
         "  %d frames, ours - theirs = %d" % (int(lib["frames"]), int(lib["ours_minus_theirs"])))
for r in hyper["results"]:
    line(r["command"], r["mean"], r["user"] + r["system"])
print("mpg123 -t -v frame count: %d; ours - theirs = %d (expected 1: lame's Info frame)"
      % (theirs_cli, ours_frames - theirs_cli))
sys.exit(0 if ours_frames - theirs_cli == 1 else 1)
EOF
