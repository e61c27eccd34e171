#!/bin/sh
# Every speed ratio of reading at the speed of the disk, in one run, with peak memory:
#
#   MP3 check      varnel-cli check of a 60-minute 128 kbit/s MP3   vs cat, mp3val   <= 1.5 x cat
#   leading scan   silence of a silent 100 MiB region (in process)  vs cat           <= 1.2 x
#   trailing scan  the same region scanned from its end             vs cat           <= 1.2 x
#   layout load    varnel-cli show of a 99-track layout (cut options on)             < 50 ms
#   disc check     varnel-cli lint of the same layout, beyond show                   < 20 ms
#   make --test    of a track with 10 minutes of leading silence    vs show          <= 1.1 x
#   make           of a full disc                                   vs cat           <= 1.1 x
#
#   sh bench/compare.sh [RUNS]      (DISC_RUNS=N for the full disc, 5 by default)
#
# Page cache warm throughout: every command runs once untimed first. Whole processes are
# timed with hyperfine (medians; the make --test pairs in alternating rounds); the scans in process with bench_silence (medians), against
# `cat` of a file of the same size. Peak memory is the largest resident set (/usr/bin/time
# %M) of one run. A Release build is made in build-bench. Test files are made under $TMPDIR
# (the MP3 is kept there between runs: lame takes about a minute; the full disc needs about
# 1.8 GB while it is measured) and removed afterwards.
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
RUNS=${1:-10}
# The full disc writes 800 MB per run: fewer runs.
DISC_RUNS=${DISC_RUNS:-5}
BUILD=$ROOT/build-bench
TMP=${TMPDIR:-/tmp}

for tool in sox lame mp3val hyperfine python3 /usr/bin/time; do
  command -v "$tool" >/dev/null 2>&1 || { echo "missing: $tool (sh scripts/setup.sh)" >&2; exit 1; }
done

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF \
  -DVARNEL_BENCH=ON -DVARNEL_FUZZ=OFF >/dev/null
cmake --build "$BUILD" --target varnel-cli bench_silence >/dev/null
CLI=$BUILD/src/cli/varnel-cli

W=$(mktemp -d "$TMP/varnel-compare.XXXXXX")
trap 'rm -rf "$W"' EXIT INT TERM
RESULTS=$W/results.txt
: >"$RESULTS"

# result NAME OURS_MS REFERENCE_NAME REFERENCE_MS TARGET PEAK_KB
# TARGET is "ratio<=X" or "ms<X".
result() {
  echo "$1|$2|$3|$4|$5|$6" >>"$RESULTS"
}

# The median wall time in ms of each command of a hyperfine JSON export, one per line.
medians() {
  python3 -c 'import json, sys
for r in json.load(open(sys.argv[1]))["results"]: print("%.3f" % (r["median"] * 1000))' "$1"
}

# Runs the commands in ROUNDS short rounds of hyperfine (5 runs each, in turn), so that a
# drift of the machine's speed (a shared host) weighs on every command alike, and prints the
# median wall time in ms of all the runs of each command, one per line.
rounds() { # ROUNDS COMMAND...
  n=$1
  shift
  k=0
  while [ $k -lt "$n" ]; do
    hyperfine -N --warmup 1 --runs 5 --export-json "$W/round$k.json" --style none "$@" >/dev/null
    k=$((k + 1))
  done
  python3 - "$W" "$n" <<'EOF'
import json, statistics, sys
times = {}
for k in range(int(sys.argv[2])):
    for i, r in enumerate(json.load(open("%s/round%d.json" % (sys.argv[1], k)))["results"]):
        times.setdefault(i, []).extend(r["times"])
for i in sorted(times):
    print("%.3f" % (statistics.median(times[i]) * 1000))
EOF
}

# Peak resident memory in KB of one run of a command (its output dropped).
peak() {
  /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1
}

load() {
  cut -d' ' -f1-3 /proc/loadavg
}
LOAD_BEFORE=$(load)
# Settings whose new tracks cut their leading and trailing silence.
printf '[Default]\r\nTrackCutLeading=1\r\nTrackCutTrailing=1\r\n' >"$W/cut.ini"

# ---- MP3 check -------------------------------------------------------------------------
mp3_check() {
  mp3=$TMP/varnel-bench-60min-128k.mp3
  if [ ! -s "$mp3" ]; then
    echo "making $mp3 (about a minute) ..." >&2
    sox -n -r 44100 -c 2 -b 16 -t wav - synth 3600 sine 440 2>/dev/null |
      lame --quiet -b 128 - "$mp3.part"
    mv "$mp3.part" "$mp3"
  fi
  hyperfine -N --warmup 2 --runs "$RUNS" --export-json "$W/mp3.json" --style none \
    "cat $mp3" "$CLI check $mp3" "mp3val $mp3" >/dev/null
  set -- $(medians "$W/mp3.json")
  result "MP3 check (60 min)" "$2" "cat" "$1" "ratio<=1.5" "$(peak "$CLI" check "$mp3")"
  result "  mp3val, same file" "$3" "cat" "$1" "-" "$(peak mp3val "$mp3")"
  result "  cat, same file" "$1" "-" "-" "-" "$(peak cat "$mp3")"
}

# ---- silence scans -----------------------------------------------------------------------
silence_scans() {
  "$BUILD/bench/bench_silence" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv >"$W/silence.csv" 2>/dev/null
  median() { awk -F, -v n="\"$1/real_time_median\"" '$1 == n { print $3 }' "$W/silence.csv"; }
  # The same bytes as a file for cat and for the peak memory of a whole scan.
  python3 - "$W/silent.wav" <<'EOF'
import struct, sys
size = 100 * 1024 * 1024
with open(sys.argv[1], "wb") as f:
    f.write(b"RIFF" + struct.pack("<I", 36 + size) + b"WAVEfmt " +
            struct.pack("<IHHIIHH", 16, 1, 2, 44100, 176400, 4, 16) + b"data" + struct.pack("<I", size))
    block = bytes(1 << 20)
    for _ in range(size >> 20):
        f.write(block)
EOF
  hyperfine -N --warmup 3 --runs "$RUNS" --export-json "$W/cat.json" --style none \
    "cat $W/silent.wav" >/dev/null
  cat_ms=$(medians "$W/cat.json")
  # A layout that cuts both ends of the silent file: show scans it from each end.
  "$CLI" new --yes --force --settings "$W/cut.ini" "$W/silent.txt" "$W/silent.wav" >/dev/null
  scan_peak=$(peak "$CLI" show --settings "$W/cut.ini" "$W/silent.txt")
  result "leading scan (100 MiB)" "$(median BM_LeadingSilence)" "cat" "$cat_ms" "ratio<=1.2" \
    "$scan_peak"
  result "trailing scan (100 MiB)" "$(median BM_TrailingSilence)" "cat" "$cat_ms" "ratio<=1.2" \
    "$scan_peak"
  result "  read() floor (in process)" "$(median BM_ReadFloor/131072)" "cat" "$cat_ms" "-" "-"
}

# ---- loading a 99-track layout ------------------------------------------------------------
layout_load() {
  mkdir -p "$W/tracks"
  # 99 tracks of 3 s: half a second of silence at each end, noise between.
  python3 - "$W/tracks" <<'EOF'
import os, random, struct, sys
random.seed(99)
frames = 3 * 44100
sound = bytes(random.randrange(1, 256) for _ in range(4096))
for i in range(99):
    data = bytearray(frames * 4)
    for at in range(22050 * 4, (frames - 22050) * 4, 4096):
        chunk = sound[: min(4096, (frames - 22050) * 4 - at)]
        data[at:at + len(chunk)] = chunk
    with open(os.path.join(sys.argv[1], "t%02d.wav" % i), "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " +
                struct.pack("<IHHIIHH", 16, 1, 2, 44100, 176400, 4, 16) + b"data" +
                struct.pack("<I", len(data)) + data)
EOF
  # shellcheck disable=SC2046
  "$CLI" new --yes --force --settings "$W/cut.ini" "$W/disc99.txt" $(ls "$W"/tracks/t*.wav) >/dev/null
  hyperfine -N --warmup 3 --runs "$RUNS" --export-json "$W/load.json" --style none \
    "$CLI show --settings $W/cut.ini $W/disc99.txt" >/dev/null
  result "layout load (99 tracks)" "$(medians "$W/load.json")" "-" "-" "ms<50" \
    "$(peak "$CLI" show --settings "$W/cut.ini" "$W/disc99.txt")"
  # lint loads as show does, then checks; its findings (tracks cut below 4 seconds) make it
  # exit 1, which is not a failure here.
  hyperfine -N -i --warmup 3 --runs "$RUNS" --export-json "$W/lint.json" --style none \
    "$CLI show --settings $W/cut.ini $W/disc99.txt" \
    "$CLI lint --settings $W/cut.ini $W/disc99.txt" >/dev/null
  set -- $(medians "$W/lint.json")
  result "disc check beyond the load" "$(awk "BEGIN { printf \"%.3f\", $2 - $1 }")" "-" "-" \
    "ms<20" "$(peak "$CLI" lint --settings "$W/cut.ini" "$W/disc99.txt")"
}

# ---- making -------------------------------------------------------------------------------
# Settings for making: the cut options of cut.ini, made files under $W/work, a TOC file as
# the defaults give one.
make_settings() {
  printf '[Path]\r\nWorkDir=%s\r\n[Default]\r\nTrackCutLeading=1\r\nTrackCutTrailing=1\r\n' \
    "$W/work" >"$W/make.ini"
}

# `make --test` of a track with 10 minutes of leading silence against `show` of the same
# layout: both load the layout, which counts the track's silence once; the Test run must
# take those counts instead of scanning again. Target <= 1.1 x. Beside it the same pair for
# a one-second track without silence: what a Test run costs whatever its tracks (starting
# the run, saving the sheets in place of the old ones), and the cost of the silence in
# each (10-minute layout minus one-second layout), which a second scan would double: that
# row fails at 1.5 x, halfway, being a difference of differences and as noisy as that.
make_test_vs_show() {
  make_settings
  python3 - "$W/lead10.wav" "$W/short.wav" <<'EOF2'
import random, struct, sys
random.seed(10)
def wave(path, silence, sound):
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + silence + len(sound)) + b"WAVEfmt " +
                struct.pack("<IHHIIHH", 16, 1, 2, 44100, 176400, 4, 16) + b"data" +
                struct.pack("<I", silence + len(sound)))
        block = bytes(1 << 20)
        left = silence
        while left > 0:
            f.write(block[: min(left, len(block))])
            left -= len(block)
        f.write(sound)
wave(sys.argv[1], 600 * 44100 * 4, bytes(random.randrange(1, 256) for _ in range(10 * 44100 * 4)))
wave(sys.argv[2], 0, bytes(random.randrange(1, 256) for _ in range(44100 * 4)))
EOF2
  "$CLI" new --yes --force --settings "$W/make.ini" "$W/lead10.txt" "$W/lead10.wav" >/dev/null
  "$CLI" new --yes --force --settings "$W/make.ini" "$W/short.txt" "$W/short.wav" >/dev/null
  mkdir -p "$W/out"
  # The sources written back first, so that no writeback of them runs beside the timings.
  sync
  # At least 50 runs of each, in rounds: the pair differs by a millisecond or so, less than
  # the drift of a shared machine over a whole batch.
  set -- $(rounds $((RUNS > 20 ? RUNS / 2 : 10)) \
    "$CLI show --settings $W/make.ini $W/lead10.txt" \
    "$CLI make --test --force --yes --settings $W/make.ini $W/lead10.txt $W/out/lead10.cue" \
    "$CLI show --settings $W/make.ini $W/short.txt" \
    "$CLI make --test --force --yes --settings $W/make.ini $W/short.txt $W/out/short.cue")
  result "make --test (10 min lead)" "$2" "show" "$1" "ratio<=1.1" \
    "$(peak "$CLI" make --test --force --yes --settings "$W/make.ini" "$W/lead10.txt" \
      "$W/out/lead10.cue")"
  result "  show, same layout" "$1" "-" "-" "-" \
    "$(peak "$CLI" show --settings "$W/make.ini" "$W/lead10.txt")"
  result "  make --test (1 s track)" "$4" "show" "$3" "-" "-"
  result "  the 10 min: lead - 1 s" "$(echo "$2 $4" | awk '{printf "%.3f", $1 - $2}')" "show" \
    "$(echo "$1 $3" | awk '{printf "%.3f", $1 - $2}')" "ratio<=1.5" "-"
  rm -f "$W/lead10.wav" "$W/short.wav"
}

# `make` of a full disc (78 minutes in 10 wave tracks, MakeAlways: every track copied into
# a new file) against cat of the same source bytes into new files. Every run starts from an
# empty, synced output folder; the sources stay in the page cache. Target <= 1.1 x.
make_disc_vs_cat() {
  make_settings
  printf '[Other]\r\nMakeAlways=1\r\n' >>"$W/make.ini"
  mkdir -p "$W/disc"
  python3 - "$W/disc" <<'EOF2'
import os, random, struct, sys
random.seed(80)
block = bytes(random.randrange(1, 256) for _ in range(1 << 20))
for i in range(10):
    data = 470 * 44100 * 4 + 4 * (123 * i + 1)  # 7:50, never whole CD frames
    with open(os.path.join(sys.argv[1], "t%02d.wav" % i), "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + data) + b"WAVEfmt " +
                struct.pack("<IHHIIHH", 16, 1, 2, 44100, 176400, 4, 16) + b"data" +
                struct.pack("<I", data))
        left = data
        while left > 0:
            f.write(block[: min(left, len(block))])
            left -= len(block)
EOF2
  # shellcheck disable=SC2046
  "$CLI" new --yes --force --settings "$W/make.ini" "$W/disc.txt" $(ls "$W"/disc/t*.wav) >/dev/null
  {
    echo "mkdir -p '$W/catout'"
    for t in "$W"/disc/t*.wav; do echo "cat '$t' >'$W/catout/$(basename "$t")'"; done
  } >"$W/cat.sh"
  clean="rm -rf '$W/work' '$W/out' '$W/catout'; mkdir -p '$W/out'; sync"
  make="$CLI make --force --yes --settings $W/make.ini $W/disc.txt $W/out/disc.cue"
  cat "$W"/disc/t*.wav >/dev/null
  hyperfine --warmup 1 --runs "$DISC_RUNS" --export-json "$W/disc.json" --style none \
    --prepare "$clean" -n cat "sh $W/cat.sh" --prepare "$clean" -n make "$make" >/dev/null
  set -- $(medians "$W/disc.json")
  sh -c "$clean"
  result "make (full disc, 10 tracks)" "$2" "cat" "$1" "ratio<=1.1" "$(peak $make)"
  result "  cat, same bytes" "$1" "-" "-" "-" "$(peak sh "$W/cat.sh")"
  rm -rf "$W/disc" "$W/work" "$W/out" "$W/catout"
}

mp3_check
silence_scans
layout_load
make_test_vs_show
make_disc_vs_cat

echo "load average before: $LOAD_BEFORE, after: $(load) on $(nproc) cores; medians of $RUNS runs"
python3 - "$RESULTS" <<'EOF'
import sys
print("%-28s %10s %-8s %10s %8s %-11s %-5s %9s" %
      ("", "ours ms", "vs", "theirs ms", "ratio", "target", "met", "peak KB"))
for line in open(sys.argv[1]):
    name, ours, ref, theirs, target, peak = line.rstrip("\n").split("|")
    ratio = "-"
    met = "-"
    if ours != "-" and theirs != "-":
        ratio = "%.2f" % (float(ours) / float(theirs))
    if target.startswith("ratio<=") and ratio != "-":
        met = "yes" if float(ratio) <= float(target[7:]) else "NO"
    elif target.startswith("ms<") and ours != "-":
        met = "yes" if float(ours) < float(target[3:]) else "NO"
    elif target != "-":
        met = "todo"
    print("%-28s %10s %-8s %10s %8s %-11s %-5s %9s" % (name, ours, ref, theirs, ratio, target, met, peak))
EOF
