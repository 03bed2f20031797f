#!/usr/bin/env bash
# Makes the Debian package and the Windows installer, each carrying the
# firmware of FIRMWARE_DIR (its description file and the HEX file it names;
# default: firmware-sample/). A firmware that fwut-cli rejects stops it with
# fwut-cli's message.
#   scripts/package.sh [--deb | --windows] [FIRMWARE_DIR]
# Results:
#   build/default/fwut-update_<version>_amd64.deb
#   build/mingw/fwut-update-<version>-win64-setup.exe
set -euo pipefail

make_deb=1
make_windows=1
case ${1:-} in
--deb) make_windows=0; shift ;;
--windows) make_deb=0; shift ;;
-*) echo "usage: scripts/package.sh [--deb | --windows] [FIRMWARE_DIR]" >&2; exit 2 ;;
esac
firmware=$(realpath -e "${1:-$(dirname "$0")/../firmware-sample}")
cd "$(dirname "$0")/.."

packages=(dpkg-dev file)
((make_windows)) && packages+=(nsis g++-mingw-w64-x86-64-posix wine wine64 googletest)
scripts/setup.sh "${packages[@]}"
jobs=$(nproc)

if ((make_deb)); then
    cmake --preset default -DFWUT_FIRMWARE_DIR="$firmware" >/dev/null
    cmake --build --preset default -j "$jobs" --target fwut-cli fwut-update fwut-package-docs
    rm -f build/default/fwut-update_*.deb
    (cd build/default && cpack -G DEB)
fi
if ((make_windows)); then
    cmake --preset mingw -DFWUT_FIRMWARE_DIR="$firmware" >/dev/null
    cmake --build --preset mingw -j "$jobs" --target installer-win64
fi
