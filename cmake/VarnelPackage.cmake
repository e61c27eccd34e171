# The Debian package, made by `cpack -G DEB` in a release build folder configured with the
# prefix /usr (scripts/package.sh does both). It holds whatever the install rules install:
# both programs, the menu entry, icons, AppStream metadata, man pages, completion and the
# documentation. The libraries it needs are found by dpkg-shlibdeps; the SVG icon engine
# that Qt loads as a plug-in is named by hand, since no program links it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Varnel developers")
set(CPACK_PACKAGE_CONTACT "Varnel developers <varnel@users.noreply.github.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://varnel.github.io/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# TagLib's shlibs name libtag1v5, whose library file libtag1v5-vanilla holds: named too.
# libudev1 tells which drives write CD-R (the burn's drive list).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, libtag1v5-vanilla, libudev1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cdrdao, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "audio CD layout editor with hidden pre-gap tracks
Varnel prepares an audio CD, or a mixed-mode CD with a data track, for
recording. Its speciality is the hidden track: audio placed in the pre-gap
of a track, above all before track 1, which players reach only by rewinding
from the start of the disc.

A disc is laid out from wave, MP3, CD+G, FLAC, AIFF, Ogg Vorbis and Opus
files, an optional data track image, a media catalog number, CD-Text, ISRCs
and flags. Making it writes a cue sheet, a TOC file for cdrdao and the cut,
padded and joined wave files they name.

The package holds the window program varnel and the command-line front end
varnel-cli, which checks, shows, builds, lints, imports and makes disc
layouts from scripts.")

include(CPack)
