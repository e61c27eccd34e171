#!/bin/sh
# Adding an album, decoding included, against decoding it with flac alone:
#
#   new       varnel-cli new of a layout from a 12-track FLAC album (about 50 minutes), with
#             an empty decode cache: every track decoded into it, on every core
#   flac -d   flac -d -c >/dev/null of the same files, one after another       target <= 0.6 x
#   memory    peak resident set of new for 4 and for 12 of the tracks: the same, whatever the
#             number of files beyond the pool
#
#   sh bench/add_vs_flac.sh [SECONDS_PER_TRACK] [RUNS]      (defaults: 250 s, 5 runs)
#
# The tracks are white noise at half scale (FLAC hardly compresses it, so each file is about
# 40 MB). The decode cache is cold in every timed run: each starts with an empty cache folder
# ($XDG_CACHE_HOME points into the work folder and --prepare removes it). The page cache is
# left warm for the sources (they are read once untimed first), so both sides read them from
# memory; only the writing of the decoded copies is ours alone. Whole processes are timed with
# hyperfine (medians); peak memory with /usr/bin/time. A Release build is made in build-bench;
# test files are made under $TMPDIR and removed afterwards. The machine's load (uptime) is
# printed before and after: other work on a shared machine skews the ratio, so the processor
# time of both sides is printed too.
set -eu
cd "$(dirname "$0")/.."
SECONDS_PER_TRACK=${1:-250}
RUNS=${2:-5}

. bench/prelude.sh
bench_needs sox flac hyperfine python3 /usr/bin/time
bench_cli
bench_workdir add

echo "making 12 FLAC tracks of $SECONDS_PER_TRACK s ..." >&2
FILES=
for n in 01 02 03 04 05 06 07 08 09 10 11 12; do
  sox -r 44100 -c 2 -n -b 16 -t wav - synth "$SECONDS_PER_TRACK" whitenoise vol 0.5 2>/dev/null |
    flac -s -5 -o "$W/t$n.flac" - 2>/dev/null
  FILES="$FILES $W/t$n.flac"
done
FOUR="$W/t01.flac $W/t02.flac $W/t03.flac $W/t04.flac"

cat $FILES >/dev/null
export XDG_CACHE_HOME="$W/cache"
NEW="$CLI new --force --settings $W/none.ini $W/album.txt"
echo "load before: $(uptime)"
hyperfine -N --runs "$RUNS" --export-json "$W/times.json" --style none \
  --prepare "rm -rf $W/cache" \
  "$NEW $FILES" \
  "sh -c 'for f in $FILES; do flac -d -c -s \$f >/dev/null; done'" >/dev/null
echo "load after:  $(uptime)"

rm -rf "$W/cache"
/usr/bin/time -f %M -o "$W/mem4" $NEW $FOUR
rm -rf "$W/cache"
/usr/bin/time -f %M -o "$W/mem12" $NEW $FILES

python3 - "$W/times.json" "$(cat $FILES | wc -c)" "$(cat "$W/mem4")" "$(cat "$W/mem12")" <<'PY'
import json, os, sys
results = json.load(open(sys.argv[1]))["results"]
ours, flac = [r["median"] for r in results]
cpu_ours, cpu_flac = [r["user"] + r["system"] for r in results]
print("cores: %d" % os.cpu_count())
print("12 FLAC tracks: %.0f MB" % (int(sys.argv[2]) / 1e6))
print("varnel-cli new (cold decode cache):   %8.3f s" % ours)
print("flac -d -c >/dev/null, one by one:   %8.3f s" % flac)
print("ratio: %.2f x (target <= 0.6 x)" % (ours / flac))
# Processor time (user + system, means): what a loaded machine leaves comparable.
print("cpu time: new %.3f s, flac -d %.3f s" % (cpu_ours, cpu_flac))
print("peak memory of new: %s KB for 4 tracks, %s KB for 12" % (sys.argv[3], sys.argv[4]))
PY
