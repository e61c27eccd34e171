#!/bin/sh
# Decoding speed and memory, against the reference decoders.
#
#   bench/decode_vs_tools.sh [BUILD_DIR]
#
# BUILD_DIR is a Release build with the benchmarks (default build-bench; configured and the
# driver built when missing). Source files are made once with sox, flac and lame and kept in
# $TMPDIR/varnel-bench-decode.
#
# 1. A 10-minute 44.1 kHz 16-bit stereo FLAC: `flac -d -c FILE >/dev/null` against our
#    decoder into a sink that drops the audio (target: at least 0.8 x flac's speed), and
#    into a wave file on the same disk.
# 2. A 10-minute 192 kbit/s MP3: `mpg123 -q -w /dev/null FILE` against our decoder, in
#    samples per second (target: at least 0.9 x).
# 3. Peak resident memory (/usr/bin/time) for a 10-second and a 10-minute file of each
#    path (exact FLAC, MP3, 24-bit 96 kHz FLAC resampled): it must not grow with length.
# 4. Warm-cache lookups of 15 FLAC files (target: under 100 ms for all 15).
# 5. Loading a 15-track layout of those FLAC files with a warm cache, as `varnel-cli show`
#    does it (the whole process, against the same layout of their decoded wave copies).
# Wall-clock and CPU (user + system) time are both printed; on a shared machine the CPU
# time is the steadier figure.
set -eu
cd "$(dirname "$0")/.."
BUILD=${1:-build-bench}
TMP=${TMPDIR:-/tmp}
SRC="$TMP/varnel-bench-decode"
OUT=$(mktemp -d "$TMP/varnel-bench-out-XXXXXX")
trap 'rm -rf "$OUT"' EXIT INT TERM
mkdir -p "$SRC"

for tool in sox flac lame mpg123 hyperfine python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "missing: /usr/bin/time (Debian time)" >&2; exit 1; }
if [ ! -x "$BUILD/bench/bench_decode" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF \
    -DVARNEL_UI=OFF -DVARNEL_BENCH=ON >/dev/null
  cmake --build "$BUILD" --target bench_decode >/dev/null
fi
[ -x "$BUILD/src/cli/varnel-cli" ] || cmake --build "$BUILD" --target varnel-cli >/dev/null
CLI="$BUILD/src/cli/varnel-cli"
DRIVER="$BUILD/bench/bench_decode"

make_once() {  # make_once FILE COMMAND...: runs the command (writing FILE.part) once
  f=$1; shift
  [ -s "$f" ] && return 0
  echo "making $f" >&2
  "$@"
  mv "$f.part" "$f"
}
# Music-like material: pink noise under two tones, so that FLAC has real work to do.
synth() {  # synth SECONDS RATE BITS TYPE OUT [TONE]
  sox -n -r "$2" -c 2 -b "$3" -t "$4" "$5" synth "$1" pinknoise sine mix "${6:-440}" \
    gain -6 2>/dev/null
}
make_once "$SRC/ten.wav" synth 600 44100 16 wav "$SRC/ten.wav.part"
make_once "$SRC/short.wav" synth 10 44100 16 wav "$SRC/short.wav.part"
make_once "$SRC/ten.flac" flac --silent -o "$SRC/ten.flac.part" "$SRC/ten.wav"
make_once "$SRC/short.flac" flac --silent -o "$SRC/short.flac.part" "$SRC/short.wav"
make_once "$SRC/ten.mp3" lame --quiet -b 192 "$SRC/ten.wav" "$SRC/ten.mp3.part"
make_once "$SRC/short.mp3" lame --quiet -b 192 "$SRC/short.wav" "$SRC/short.mp3.part"
make_once "$SRC/ten96.flac" synth 600 96000 24 flac "$SRC/ten96.flac.part"
make_once "$SRC/short96.flac" synth 10 96000 24 flac "$SRC/short96.flac.part"
i=1
while [ $i -le 15 ]; do
  make_once "$SRC/album$i.flac" synth 60 44100 16 flac "$SRC/album$i.flac.part" $((200 + 40 * i))
  i=$((i + 1))
done

echo "load: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"

echo "== 1. 10-minute FLAC, 44.1 kHz 16-bit stereo ($(du -h "$SRC/ten.flac" | cut -f1))"
hyperfine --warmup 1 --runs 5 --style none --export-json "$OUT/flac.json" \
  "flac -d -c -s '$SRC/ten.flac' >/dev/null" \
  "$DRIVER null '$SRC/ten.flac'" \
  "rm -f '$OUT/ten.wav'; $DRIVER wave '$SRC/ten.flac' '$OUT/ten.wav'" >/dev/null

echo "== 2. 10-minute MP3, 192 kbit/s"
hyperfine --warmup 1 --runs 5 --style none --export-json "$OUT/mp3.json" \
  "mpg123 -q -w /dev/null '$SRC/ten.mp3'" \
  "$DRIVER null '$SRC/ten.mp3'" >/dev/null

python3 - "$OUT/flac.json" "$OUT/mp3.json" <<'EOF'
import json, sys
frames = 600 * 44100
for path, target in ((sys.argv[1], 0.8), (sys.argv[2], 0.9)):
    runs = json.load(open(path))["results"]
    ref = runs[0]
    for r in runs:
        cpu = r["user"] + r["system"]
        ref_cpu = ref["user"] + ref["system"]
        print("  %-70s wall %7.3f s  cpu %7.3f s  %6.1f M sample frames/s  speed x%.2f wall, x%.2f cpu"
              % (r["command"][-70:], r["mean"], cpu, frames / r["mean"] / 1e6,
                 ref["mean"] / r["mean"], ref_cpu / cpu))
    print("  target: at least x%.1f of the first line" % target)
EOF

echo "== 3. Peak resident memory (KiB)"
for f in short.flac ten.flac short.mp3 ten.mp3 short96.flac ten96.flac; do
  kib=$(/usr/bin/time -f %M "$DRIVER" null "$SRC/$f" 2>&1 >/dev/null | tail -n 1)
  printf '  %-14s %8s KiB\n' "$f" "$kib"
done

echo "== 4. Warm-cache lookups of 15 one-minute FLAC files"
set --
i=1
while [ $i -le 15 ]; do set -- "$@" "$SRC/album$i.flac"; i=$((i + 1)); done
"$DRIVER" fill "$OUT/cache" "$@"
for run in 1 2 3 4 5; do "$DRIVER" lookup "$OUT/cache" "$@"; done
hyperfine --warmup 2 --runs 10 --style basic "$DRIVER lookup '$OUT/cache' $*" 2>/dev/null |
  grep -E "Time|Range" | sed 's/^/  whole process: /'
echo "== 5. Loading a 15-track layout of the FLAC files, warm cache (varnel-cli show)"
: >"$OUT/none.ini"
XDG_CACHE_HOME="$OUT/xdg" "$CLI" new --settings "$OUT/none.ini" "$OUT/flac.txt" "$@" >/dev/null
# The same layout naming the decoded copies themselves: what a wave layout costs.
set --
for f in "$OUT"/xdg/varnel/decoded/*.wav; do set -- "$@" "$f"; done
"$CLI" new --settings "$OUT/none.ini" "$OUT/wave.txt" "$@" >/dev/null
hyperfine --warmup 2 --runs 20 --style none --export-json "$OUT/load.json" \
  "XDG_CACHE_HOME='$OUT/xdg' '$CLI' show --settings '$OUT/none.ini' '$OUT/wave.txt'" \
  "XDG_CACHE_HOME='$OUT/xdg' '$CLI' show --settings '$OUT/none.ini' '$OUT/flac.txt'" >/dev/null
python3 - "$OUT/load.json" <<'EOF'
import json, sys
runs = json.load(open(sys.argv[1]))["results"]
for name, r in zip(("wave copies", "FLAC sources"), runs):
    print("  %-13s mean %6.1f ms  min %6.1f ms  (whole process)" % (name, r["mean"] * 1e3, r["min"] * 1e3))
print("  the FLAC layout costs %.1f ms more than the wave one (target: under 100 ms in all)"
      % ((runs[1]["mean"] - runs[0]["mean"]) * 1e3))
EOF
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
