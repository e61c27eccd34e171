#!/bin/sh
# Makes docs/screenshot.png: the Varnel window with a real disc layout, photographed on a
# virtual X server. The audio is synthesised with sox, the layout is built with varnel-cli
# (its first track then gets a hidden track from another file) and loaded through the
# window's own "Load disc layout" dialog, driven with xdotool.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh

BUILD=${BUILD:-build}
if [ ! -x "$BUILD/app/varnel" ] || [ ! -x "$BUILD/src/cli/varnel-cli" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF
  cmake --build "$BUILD" --target varnel varnel-cli
fi

WORK=$(mktemp -d)
XPID=""
VPID=""
cleanup() {
  [ -n "$VPID" ] && kill "$VPID" 2>/dev/null || true
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

# The program runs from a folder of its own, so its settings file is the one below and the
# user's settings stay untouched.
mkdir -p "$WORK/bin" "$WORK/cd"
cp "$BUILD/app/varnel" "$WORK/bin/varnel"
printf '%s\r\n' '[Form]' 'Top=0' 'Left=0' 'Width=900' 'Height=470' \
  '[ColumnWidth]' 'TrackNo=52' 'TrackFile=150' 'FileType=46' 'HiddenTrackFile=96' \
  'Length=128' 'PreEmphasis=66' 'DigitalCopy=84' 'ISRC=104' 'Path=260' \
  '[Path]' "WorkDir=$WORK/cd" > "$WORK/bin/varnel.ini"

tone() {  # file seconds frequency
  sox -n -r 44100 -b 16 -c 2 "$WORK/cd/$1" synth "$2" sine "$3" vol 0.25
}
tone "hidden intro.wav" 38 330
tone "01 Morning Light.wav" 167 440
tone "02 Harbour Lines.wav" 201 392
tone "03 Paper Boats.wav" 245 523
tone "04 Last Ferry.wav" 118 294

LAYOUT="$WORK/cd/disc layout.txt"
"$BUILD/src/cli/varnel-cli" new --settings "$WORK/bin/varnel.ini" --catalog 4006381333931 \
  "$LAYOUT" "$WORK/cd/01 Morning Light.wav" "$WORK/cd/02 Harbour Lines.wav" \
  "$WORK/cd/03 Paper Boats.wav" "$WORK/cd/04 Last Ferry.wav"
# Track 1 carries the hidden intro in its pre-gap; track 3 has an ISRC and pre-emphasis.
sed -i \
  -e '/^\[Track00\]/,/^\r\{0,1\}$/ s|^PreGapStyle=.*|PreGapStyle=1\r|' \
  -e "/^\[Track00\]/,/^\r\{0,1\}$/ s|^PreGapFileName=.*|PreGapFileName=$WORK/cd/hidden intro.wav\r|" \
  -e '/^\[Track00\]/,/^\r\{0,1\}$/ s|^PreGapEndPos=.*|PreGapEndPos=1675800\r|' \
  -e '/^\[Track02\]/,/^\r\{0,1\}$/ s|^ISRC=.*|ISRC=DEA120500017\r|' \
  -e '/^\[Track02\]/,/^\r\{0,1\}$/ s|^PreEmph=.*|PreEmph=1\r|' \
  "$LAYOUT"

DISPLAY_NO=${DISPLAY_NO:-97}
Xvfb ":$DISPLAY_NO" -screen 0 1024x600x24 -nolisten tcp >/dev/null 2>&1 &
XPID=$!
export DISPLAY=":$DISPLAY_NO"
i=0
until xdpyinfo >/dev/null 2>&1; do
  i=$((i + 1))
  [ "$i" -gt 100 ] && { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done

"$WORK/bin/varnel" >/dev/null 2>&1 &
VPID=$!
WID=$(xdotool search --sync --onlyvisible --name '^Varnel$' | head -n 1)
sleep 1
# File > Load disc layout, then the file name typed into Qt's file dialog.
xdotool windowfocus --sync "$WID"
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key l
sleep 1.5
xdotool type --delay 15 "$LAYOUT"
xdotool key Return
sleep 2
# Select the second row, as a user looking at it would.
xdotool mousemove --window "$WID" 200 268 click 1
sleep 0.5

mkdir -p docs
import -window "$WID" docs/screenshot.png
echo "docs/screenshot.png written"
