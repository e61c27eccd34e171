#!/bin/sh
# Times "varnel-cli make" on a full ~80-minute disc of wave tracks (~800 MB) against the
# floor (cat of the same source bytes into new files in an empty folder) and against sox
# and shntool doing the same cuts, pads and joins, with hyperfine: once into an empty work
# folder, and once again over the files of a run made before (a re-make must cost no more
# than a first make; the files it replaces are freed after it has ended, in a process of
# their own). Every timed phase starts after sync, as a user's re-make minutes later finds
# the earlier files written out. Targets: both makes within 1.10 x the floor. Then the TOC file for
# cdrdao: a make with --toc against one with --no-toc, and the same for Test runs (which
# scan the sources but write only the sheets), target under 1 % more. Also reports the
# peak memory of varnel-cli for the whole disc and for half of it.
#
#   sh bench/make_vs_floor.sh [RUNS]
#
# MAKE_ONLY=1 times only the floor and the two makes (no sox, shntool or TOC pairs).
#
# VARNEL_CLI may name a varnel-cli to use; otherwise a Release build is made in
# build-bench. Sources are generated with sox under $TMPDIR and removed afterwards.
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)
RUNS=${1:-5}

for tool in sox shntool hyperfine python3 /usr/bin/time; do
  command -v "$tool" >/dev/null 2>&1 || { echo "missing: $tool (sh scripts/setup.sh)" >&2; exit 1; }
done

if [ -z "${VARNEL_CLI:-}" ]; then
  cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVARNEL_TESTS=OFF -DVARNEL_BENCH=OFF -DVARNEL_FUZZ=OFF >&2
  cmake --build build-bench --target varnel-cli >&2
  VARNEL_CLI=$ROOT/build-bench/src/cli/varnel-cli
fi

W=$(mktemp -d "${TMPDIR:-/tmp}/varnel-bench.XXXXXX")
trap 'rm -rf "$W"' EXIT INT TERM

# Sources ~850 MB, plus one set of outputs and shntool's intermediates at a time.
avail_kb=$(df -Pk "$W" | awk 'NR==2 {print $4}')
if [ "$avail_kb" -lt 3500000 ]; then
  echo "need about 3.5 GB free under ${TMPDIR:-/tmp}" >&2
  exit 1
fi

echo "generating sources in $W ..." >&2
# Noise (never a silent sample frame in practice), no dither so that padded silence stays
# digital silence. Odd sample counts need padding; odd tracks start with 15 s of silence.
SR=44100
gen() { # name samples leading-silence-seconds
  sox -D -r $SR -c 2 -n -r $SR -c 2 -b 16 -e signed-integer "$W/$1" synth "$2s" whitenoise vol 0.3 \
    pad "$3" 0
}
gen hidden.wav 1764011 0                     # 40 s of hidden audio before track 1
NTRACKS=10
i=1
while [ $i -le $NTRACKS ]; do
  n=$(printf %02d $i)
  samples=$((476 * SR + 123 * i + 1))
  if [ $((i % 2)) -eq 1 ]; then lead=15; else lead=0; fi
  gen "t$n.wav" $samples $lead
  i=$((i + 1))
done

frames_of() { echo $(( ($(stat -c %s "$1") - 44) / 4 )); }

# The layout: track 1 has the hidden audio of hidden.wav in its pre-gap; every track cuts
# its leading silence; MakeAlways makes a new file for every track.
layout() { # file tracks
  {
    printf '[FileInfo]\r\nSoftName=Varnel\r\nVersion=2.03\r\n\r\n'
    printf '[DiscInfo]\r\nNumTracks=%d\r\nMediaCatalog=             \r\nCD-Text=0\r\nCdtPath=\r\n\r\n' "$2"
    printf '[DataTrack]\r\nTrackFileNmae=\r\nImageType=0\r\n\r\n'
    k=1
    while [ $k -le "$2" ]; do
      n=$(printf %02d $k)
      style=0; gapfile=; gapend=0
      if [ $k -eq 1 ]; then style=1; gapfile=$W/hidden.wav; gapend=$(frames_of "$W/hidden.wav"); fi
      printf '[Track%02d]\r\n' $((k - 1))
      printf 'TrackFileNmae=%s\r\nFileMode=0\r\nTrackPreGapPos=0\r\nTrackStartPos=0\r\n' "$W/t$n.wav"
      printf 'TrackEndPos=%d\r\nTrackPaddingHead=0\r\nTrackCutLeading=1\r\nTrackCutTrailing=0\r\n' \
        "$(frames_of "$W/t$n.wav")"
      printf 'PreGapStyle=%d\r\nPreGapFileName=%s\r\nPreGapStartPos=0\r\nPreGapEndPos=%d\r\n' \
        $style "$gapfile" "$gapend"
      printf 'PreGapPaddingHead=1\r\nPreGapLength=150\r\nPreGapCutLeading=0\r\nPreGapCutTrailing=0\r\n'
      printf 'PreEmph=0\r\nProtect=0\r\nISRC=\r\n\r\n'
      k=$((k + 1))
    done
  } >"$1"
}
layout "$W/disc.txt" $NTRACKS
layout "$W/half.txt" $((NTRACKS / 2))
printf '[Path]\r\nWorkDir=%s\r\n[Silece]\r\nAddFrames=1\r\nNumFrames=5\r\n[Other]\r\nMakeAlways=1\r\n' \
  "$W/work" >"$W/varnel.ini"

# The same work for sox and shntool, as shell scripts.
{
  echo 'set -e'
  echo "cd '$W'; mkdir -p sox"
  hp=$(( (588 - $(frames_of "$W/hidden.wav") % 588) % 588 ))
  i=1
  while [ $i -le $NTRACKS ]; do
    n=$(printf %02d $i)
    if [ $((i % 2)) -eq 1 ]; then lead=$((15 * SR)); else lead=0; fi
    rest=$(( $(frames_of "$W/t$n.wav") - lead ))
    tp=$(( (588 - rest % 588) % 588 ))
    if [ $i -eq 1 ]; then
      echo "sox -D \"|sox -D hidden.wav -p pad $((5 * 588 + hp))s 0\" \"|sox -D t$n.wav -p trim ${lead}s pad 0 ${tp}s\" sox/$n.wav"
    else
      echo "sox -D t$n.wav sox/$n.wav trim ${lead}s pad 0 ${tp}s"
    fi
    i=$((i + 1))
  done
} >"$W/sox.sh"
{
  echo 'set -e'
  echo "cd '$W'; mkdir -p shn shn/tmp"
  echo "shntool pad -q -b -O always -d shn/tmp hidden.wav"
  i=1
  while [ $i -le $NTRACKS ]; do
    n=$(printf %02d $i)
    src=t$n.wav
    if [ $((i % 2)) -eq 1 ]; then
      echo "shntool trim -q -b -O always -d shn/tmp $src"
      src=shn/tmp/t$n-trimmed.wav
    fi
    if [ $i -eq 1 ]; then
      echo "shntool join -q -e -r none -O always -d shn shn/tmp/hidden-padded.wav $src"
      echo "mv shn/joined.wav shn/$n.wav"
    else
      echo "shntool pad -q -e -O always -d shn $src"
    fi
    i=$((i + 1))
  done
} >"$W/shntool.sh"
cat_script() { # folder
  echo "cd '$W'; mkdir -p $1"
  echo "cat hidden.wav t01.wav > $1/01.wav"
  i=2
  while [ $i -le $NTRACKS ]; do
    n=$(printf %02d $i)
    echo "cat t$n.wav > $1/$n.wav"
    i=$((i + 1))
  done
}
cat_script cat >"$W/cat.sh"
cat_script cat2 >"$W/cat2.sh"

du -sh "$W" >&2
MAKE="'$VARNEL_CLI' make --force --settings '$W/varnel.ini' '$W/disc.txt' '$W/out/disc.cue' >/dev/null 2>&1"
CLEAN="rm -rf '$W/work' '$W/out' '$W/cat' '$W/cat2' '$W/sox' '$W/shn'; mkdir -p '$W/out'; sync"

# One prepare per command: every command starts from an empty, synced work folder, except
# the re-make, which finds the files of a make before it, written out (synced) as they are
# when a user makes again minutes later.
# The floor and the two makes run in alternating rounds of two runs each (a shared host's
# speed drifts by a third over a minute, and slows now one, now another batch); each median
# is taken over all of its runs. Beside them, for reference, the floor of a re-make: cat of
# the same bytes into new files while the set written just before is still there (a run
# that replaces its old files only on success must keep them until then, and on a virtual
# machine whose host takes back free memory, fresh page cache costs more than the pages a
# deleted set has just left). Then sox and shntool, in one batch each.
round=0
while [ $((round * 2)) -lt "$RUNS" ]; do
  hyperfine --warmup 1 --runs 2 --export-json "$W/round$round.json" --style none \
    --prepare "$CLEAN" -n floor-cat "sh '$W/cat.sh'" \
    --prepare "$CLEAN" -n make-empty "$MAKE" \
    --prepare "$CLEAN; $MAKE; sync" -n make-over "$MAKE" \
    --prepare "$CLEAN; sh '$W/cat.sh'; sync" -n cat-beside "sh '$W/cat2.sh'" >/dev/null
  round=$((round + 1))
done
if [ "${MAKE_ONLY:-0}" = 1 ]; then
  python3 - "$W" "$round" <<'EOF'
import json, statistics, sys
times = {}
for k in range(int(sys.argv[2])):
    for r in json.load(open("%s/round%d.json" % (sys.argv[1], k)))["results"]:
        times.setdefault(r["command"], []).extend(r["times"])
floor = statistics.median(times["floor-cat"])
for name in ["floor-cat", "make-empty", "make-over", "cat-beside"]:
    t = statistics.median(times[name])
    verdict = ("  within 1.10 x" if t <= 1.10 * floor else "  OVER 1.10 x") if name.startswith("make") else ""
    print("%-11s median %7.3f s   %.3f x floor  (%d runs)%s" % (name, t, t / floor, len(times[name]), verdict))
print("make-over against cat-beside (like for like): %.3f x" %
      (statistics.median(times["make-over"]) / statistics.median(times["cat-beside"])))
EOF
  exit 0
fi
hyperfine --warmup 1 --runs "$RUNS" --export-json "$W/tools.json" \
  --prepare "$CLEAN" -n sox "sh '$W/sox.sh'" \
  --prepare "$CLEAN" -n shntool "sh '$W/shntool.sh'"

# What writing the TOC file adds: runs with --no-toc and --toc in alternating pairs, each
# into an empty work folder, for Make and for Test runs (which scan the sources but write
# only the sheets). The median of the pairwise differences is set against the median run
# without the TOC: alternating pairs cancel the drift of a shared machine.
TOCMAKE="'$VARNEL_CLI' make --force --settings '$W/varnel.ini'"
TOCRUNS=$((RUNS > 20 ? RUNS : 20))
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
toc_pairs() { # label extra-options
  : >"$W/pairs.txt"
  k=0
  while [ $k -lt $TOCRUNS ]; do
    sh -c "$CLEAN"
    t0=$(date +%s%N)
    sh -c "$TOCMAKE $2 --no-toc '$W/disc.txt' '$W/out/disc.cue' >/dev/null 2>&1"
    t1=$(date +%s%N)
    sh -c "$CLEAN"
    t2=$(date +%s%N)
    sh -c "$TOCMAKE $2 --toc '$W/disc.txt' '$W/out/disc.cue' >/dev/null 2>&1"
    t3=$(date +%s%N)
    echo "$((t1 - t0)) $((t3 - t2))" >>"$W/pairs.txt"
    k=$((k + 1))
  done
  base=$(cut -d' ' -f1 "$W/pairs.txt" | median)
  diff=$(awk '{print $2 - $1}' "$W/pairs.txt" | median)
  awk -v l="$1" -v b="$base" -v d="$diff" -v n="$TOCRUNS" 'BEGIN {
    printf "%-5s --no-toc median %8.2f ms; --toc adds %+7.2f ms (%+.2f %%, median of %d pairs)%s\n",
      l, b / 1e6, d / 1e6, 100 * d / b, n, (d <= 0.01 * b ? "  under 1 %" : "  OVER 1 %") }'
}
toc_pairs make ""
toc_pairs test "--test"

# The produced files must be what a recorder wants: every one cut on a sector boundary.
sh -c "$CLEAN"
sh -c "$MAKE"
bad=$(shntool info "$W"/work/disc/*.wav | grep -c 'Cut on sector boundary: *no' || true)
echo "produced files not cut on a sector boundary: $bad"
sh -c "$MAKE"
# The old files of a re-make are removed by a process of their own once the run has ended.
waited=0
while [ "$(ls -A "$W/work/disc" | wc -l)" -gt 10 ] && [ $waited -lt 100 ]; do
  sleep 0.1
  waited=$((waited + 1))
done
echo "files in the work folder after a re-make: $(ls -A "$W/work/disc" | wc -l) (10 made files;" \
  "the replaced ones gone within $((waited * 100)) ms of the end of the run)"
if command -v cdrdao >/dev/null 2>&1; then
  echo "cdrdao toc-info on the TOC file: $(cdrdao toc-info "$W/out/disc.toc" 2>/dev/null)"
fi

medians=$(python3 - "$W" "$round" <<'EOF'
import json, statistics, sys
times = {}
files = ["%s/round%d.json" % (sys.argv[1], k) for k in range(int(sys.argv[2]))]
for f in files + ["%s/tools.json" % sys.argv[1]]:
    for r in json.load(open(f))["results"]:
        times.setdefault(r["command"], []).extend(r["times"])
for name in ["floor-cat", "make-empty", "make-over", "cat-beside", "sox", "shntool"]:
    print(statistics.median(times[name]))
EOF
)
echo "$medians" | awk 'BEGIN {split("floor-cat make-empty make-over cat-beside sox shntool", names, " ")}
  NR==1 {floor=$1}
  {verdict = ""; t[names[NR]] = $1;
   if (names[NR] ~ /^make-/) verdict = ($1 <= 1.10 * floor ? "  within 1.10 x" : "  OVER 1.10 x");
   printf "%-11s median %7.3f s   %.3f x floor%s\n", names[NR], $1, $1 / floor, verdict}
  END {printf "make-over against cat-beside (like for like): %.3f x\n", t["make-over"] / t["cat-beside"]}'
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"

peak() { /usr/bin/time -f %M "$VARNEL_CLI" make --force --settings "$W/varnel.ini" "$1" "$W/out/m.cue" 2>&1 >/dev/null | tail -1; }
sh -c "$CLEAN"
echo "peak memory of varnel-cli make: full disc $(peak "$W/disc.txt") KB, half disc $(peak "$W/half.txt") KB"
