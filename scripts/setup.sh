#!/bin/sh
# Installs the Debian packages that building, running and testing Varnel need,
# and only those that are missing.
set -eu

PACKAGES="
  build-essential cmake ninja-build pkg-config git clang-format
  clang-14 libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  qt6-base-dev qt6-multimedia-dev libqt6svg6
  sox lame shntool cuetools libcue-dev cdrdao libcdio-utils mpg123 libmpg123-dev
  libdiscid-dev zlib1g-dev libudev-dev
  libsndfile1-dev libsoxr-dev flac libflac-dev vorbis-tools opus-tools
  libtag1-dev
  hyperfine time mp3val xvfb x11-utils xdotool imagemagick
  pulseaudio pulseaudio-utils fontconfig fonts-dejavu-core
  python3-pyatspi at-spi2-core dbus-daemon
  dpkg-dev lintian desktop-file-utils appstream librsvg2-bin groff-base man-db bash-completion
"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -z "$missing" ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" != "0" ]; then
  SUDO="sudo"
fi
echo "Installing:$missing"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
