#!/bin/sh
# Importing a ripped disc against decoding its image alone:
#
#   import    varnel-cli import of a 99-track cue sheet over one FLAC image, hidden track and
#             gaps included, with an empty decode cache (the image is decoded)
#   flac -d   of the same image to a wave file                                  target <= 1.2 x
#
#   sh bench/import_vs_flac.sh [MINUTES] [RUNS]      (defaults: 70 minutes, 5 runs)
#
# The image is white noise at half scale, so that FLAC hardly compresses it: 70 minutes make
# a FLAC file of about 700 MB. Each timed import starts from an empty decode cache
# ($XDG_CACHE_HOME points into the work folder); each flac -d writes a new wave file. The
# page cache is left as it is (the FLAC file is read once untimed first), so both sides read
# the image from memory. Whole processes are timed with hyperfine (medians). A Release build
# is made in build-bench; test files are made under $TMPDIR and removed afterwards.
set -eu
cd "$(dirname "$0")/.."
MINUTES=${1:-70}
RUNS=${2:-5}

. bench/prelude.sh
bench_needs sox flac hyperfine python3
bench_cli
bench_workdir import

echo "making a $MINUTES-minute FLAC image ..." >&2
sox -r 44100 -c 2 -n -b 16 -t wav - synth "$((MINUTES * 60))" whitenoise vol 0.5 2>/dev/null |
  flac -s -5 -o "$W/image.flac" - 2>/dev/null
FRAMES=$((MINUTES * 60 * 75))

# 99 tracks of equal length over the image: a 3-second hidden track before track 1, and
# 2 seconds of gap (INDEX 00) before every other track.
python3 - "$FRAMES" >"$W/image.cue" <<'EOF'
import sys
frames = int(sys.argv[1])
msf = lambda f: "%02d:%02d:%02d" % (f // 4500, f // 75 % 60, f % 75)
print('FILE "image.flac" WAVE')
step = (frames - 225) // 99
for n in range(1, 100):
    start = 225 + (n - 1) * step
    print("  TRACK %02d AUDIO" % n)
    print("    INDEX 00 %s" % msf(0 if n == 1 else start - 150))
    print("    INDEX 01 %s" % msf(start))
EOF

cat "$W/image.flac" >/dev/null
export XDG_CACHE_HOME="$W/cache"
hyperfine -N --runs "$RUNS" --export-json "$W/times.json" --style none \
  --prepare "rm -rf $W/cache $W/ref.wav" \
  "$CLI import --force $W/image.cue $W/image.txt" \
  "flac -d -s -f -o $W/ref.wav $W/image.flac" >/dev/null

python3 - "$W/times.json" "$(stat -c %s "$W/image.flac")" <<'EOF'
import json, sys
ours, flac = [r["median"] for r in json.load(open(sys.argv[1]))["results"]]
size = int(sys.argv[2]) / 1e6
print("FLAC image: %.0f MB" % size)
print("import (99 tracks, decoding included): %8.3f s" % ours)
print("flac -d of the image:                  %8.3f s" % flac)
print("ratio: %.2f x (target <= 1.2 x)" % (ours / flac))
EOF
