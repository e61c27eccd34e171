#!/bin/sh
# Makes docs/window-default.png and docs/window-500x400.png: the Varnel window with a real
# disc layout at the size it opens at and at its smallest size, photographed on a virtual
# X server. The audio is synthesised with sox, the layout is built with varnel-cli (its
# first track then gets a hidden track from another file) and loaded through the window's
# own "Load disc layout" dialog, driven with xdotool.
#   BUILD=build-test sh scripts/screenshot.sh   # use an existing build folder
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh

BUILD=${BUILD:-build}
if [ ! -x "$BUILD/app/varnel" ] || [ ! -x "$BUILD/src/cli/varnel-cli" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF
  cmake --build "$BUILD" --target varnel varnel-cli
fi
# A sanitised build may be used; its leak report at exit is of no interest here.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"

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
# user's settings stay untouched. It holds no size and no column widths: the window opens
# at its default size with columns that fit their texts.
mkdir -p "$WORK/bin" "$WORK/cd"
cp "$BUILD/app/varnel" "$WORK/bin/varnel"
printf '%s\r\n' '[Form]' 'Top=0' 'Left=0' '[Path]' "WorkDir=$WORK/cd" \
  "LayoutFileDir=$WORK/cd" > "$WORK/bin/varnel.ini"

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

# A free display: the server picks it and tells its number.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
XPID=$!
i=0
until [ -s "$WORK/display" ] && xdpyinfo -display ":$(cat "$WORK/display")" >/dev/null 2>&1; do
  i=$((i + 1))
  [ "$i" -gt 100 ] && { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
export DISPLAY=":$(cat "$WORK/display")"

QT_QPA_PLATFORM=xcb "$WORK/bin/varnel" >/dev/null 2>&1 &
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
xdotool mousemove --window "$WID" 200 "${ROW2_Y:-258}" click 1
sleep 0.5

mkdir -p docs
import -window "$WID" docs/window-default.png
echo "docs/window-default.png written ($(xdotool getwindowgeometry "$WID" | sed -n 's/.*Geometry: //p'))"

# The smallest size the window allows.
xdotool windowsize --sync "$WID" 500 400
sleep 1
import -window "$WID" docs/window-500x400.png
echo "docs/window-500x400.png written"
