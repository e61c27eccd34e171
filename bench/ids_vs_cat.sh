#!/bin/sh
# The disc's identity and checksums against their floors:
#
#   ids            varnel-cli ids of a 99-track layout, beyond show of it     < 5 ms
#   ids --crc      of a full disc (79 minutes of wave files)        vs cat      <= 1.3 x cat
#   memory         peak of ids --crc, full disc and a tenth of it               the same
#
#   sh bench/ids_vs_cat.sh [RUNS]
#
# Page cache warm: every command runs once untimed first. Whole processes are timed with
# hyperfine (medians), peak memory is the largest resident set (/usr/bin/time %M) of one run.
# A Release build is made in build-bench; the test files (about 800 MB) are made under $TMPDIR
# and removed afterwards.
set -eu
cd "$(dirname "$0")/.."
RUNS=${1:-10}

. bench/prelude.sh
bench_needs sox hyperfine python3 /usr/bin/time
bench_cli
bench_workdir ids
printf '[Path]\r\nWorkDir=%s\r\n' "$W/work" >"$W/settings.ini"

median() { # JSON → median ms of each command, one per line
  python3 -c 'import json, sys
for r in json.load(open(sys.argv[1]))["results"]: print("%.3f" % (r["median"] * 1000))' "$1"
}
peak() { # command… → peak resident set in KiB
  /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1
}

# 99 tracks of 4 s of noise.
i=1
while [ $i -le 99 ]; do
  sox -n -r 44100 -c 2 -b 16 "$W/t$i.wav" synth 4 whitenoise vol 0.3
  i=$((i + 1))
done
"$CLI" new --settings "$W/settings.ini" "$W/99.txt" $(i=1; while [ $i -le 99 ]; do echo "$W/t$i.wav"; i=$((i + 1)); done) >/dev/null
hyperfine -N -w 3 -r "$RUNS" --export-json "$W/99.json" \
  "$CLI show --settings $W/settings.ini $W/99.txt" \
  "$CLI ids --settings $W/settings.ini $W/99.txt" >/dev/null
set -- $(median "$W/99.json")
echo "ids, 99 tracks: show $1 ms, ids $2 ms: $(python3 -c "print('%.2f' % ($2 - $1))") ms beyond loading (target < 5 ms)"

# A full disc: 10 tracks of 7.9 minutes of noise (sox makes one, the others are copies of it
# with their first bytes changed so that no two are alike); and a tenth of it.
sox -n -r 44100 -c 2 -b 16 "$W/d0.wav" synth 474 whitenoise vol 0.3
FILES=""
i=0
while [ $i -lt 10 ]; do
  [ $i -gt 0 ] && { cp "$W/d0.wav" "$W/d$i.wav"; printf '%04d' $i | dd of="$W/d$i.wav" bs=1 seek=1000 conv=notrunc 2>/dev/null; }
  FILES="$FILES $W/d$i.wav"
  i=$((i + 1))
done
"$CLI" new --settings "$W/settings.ini" "$W/disc.txt" $FILES >/dev/null
"$CLI" new --settings "$W/settings.ini" "$W/tenth.txt" "$W/d0.wav" >/dev/null
hyperfine -N -w 1 -r "$RUNS" --export-json "$W/disc.json" \
  "cat $FILES" \
  "$CLI ids --crc --settings $W/settings.ini $W/disc.txt" >/dev/null
set -- $(median "$W/disc.json")
echo "ids --crc, full disc: cat $1 ms, ids --crc $2 ms: $(python3 -c "print('%.2f' % ($2 / $1))") x cat (target <= 1.3)"
echo "peak memory: full disc $(peak "$CLI" ids --crc --settings "$W/settings.ini" "$W/disc.txt") KiB," \
  "a tenth $(peak "$CLI" ids --crc --settings "$W/settings.ini" "$W/tenth.txt") KiB"
