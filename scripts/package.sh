#!/bin/sh
# Builds the Debian package of Varnel: a release build of the two programs in build-package
# (incremental; no tests, benchmarks or fuzz targets) with Debian's hardening flags, then
# cpack. The last line printed names the .deb.
#   BUILD=somewhere sh scripts/package.sh   # another build folder
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh

BUILD=${BUILD:-build-package}
# Debian's compiler and linker flags, every hardening feature on; no debug information,
# since the package's programs are stripped anyway.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export DEB_CXXFLAGS_MAINT_STRIP=-g
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DVARNEL_TESTS=OFF -DVARNEL_BENCH=OFF -DVARNEL_FUZZ=OFF -DVARNEL_SANITIZE=OFF -DVARNEL_UI=ON \
  -DCMAKE_CXX_FLAGS="$CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
(cd "$BUILD" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$BUILD/CPackConfig.cmake")
deb="$BUILD/varnel_${version}_$(dpkg --print-architecture).deb"
test -f "$deb"
echo "$deb"
