#!/usr/bin/env bash
# Regenerates docs/screenshots: builds the desktop window's screenshot tour
# and runs it on a private X server (Xvfb), which it photographs phase by
# phase. Usage: scripts/screenshots.sh [BUILD_DIR] (default build/default).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/default}
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake --preset default >/dev/null
    build=build/default
fi
cmake --build "$build" --target fwut-screenshot-tour fwut-sim

export FWUT_SIM="$build/tools/sim/fwut-sim"
export QT_QPA_PLATFORM=xcb
export LSAN_OPTIONS="suppressions=$PWD/tests/gui/lsan.supp"
mkdir -p docs/screenshots
scripts/with-xvfb.sh -dpi 96 -- "$build/tools/screenshots/fwut-screenshot-tour" docs/screenshots
