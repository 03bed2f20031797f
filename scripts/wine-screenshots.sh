#!/usr/bin/env bash
# Takes the pictures in docs/screenshots/win32-*.png: fwut-update.exe under
# wine on a virtual display, with the sample firmware and one port, its main
# dialog and its About dialog; then with 22 ports up to COM100, whose labels
# must all show whole. wine draws the window frames itself (no window
# manager runs). Needs the mingw build (scripts/wine-tests.sh makes it) and
# the packages x11-apps and imagemagick.
# Environment: FWUT_MINGW_BUILD (the build folder, build/mingw by default).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/lib/xvfb.sh
build=${FWUT_MINGW_BUILD:-$root/build/mingw}
driver="$build/tests/wine/fwut-wine-driver.exe"

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

env -u DISPLAY wineboot -i >/dev/null 2>&1
wineserver -w
start_xvfb "$work"
pids+=("$XVFB_PID")
# The first wine command after the prefix is made starts wine's desktop
# process, which needs the display.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null

mkdir -p "$work/app"
cp "$build/app/win32/fwut-update.exe" firmware-sample/FieldGatherer_MM_Psion.txt \
    firmware-sample/FG_MM_sample.hex "$work/app/"
(cd "$work/app" && exec wine fwut-update.exe) >/dev/null 2>&1 &
pids+=($!)

shoot() {  # shoot TITLE FILE: the window with that title, as it is on the screen
    local x y w h
    read -r x y w h < <(wine "$driver" rect "$1" | tr -d '\r')
    sleep 1  # visible comes before painted
    xwd -root -silent -display "$DISPLAY" | convert xwd:- -crop "${w}x${h}+${x}+${y}" +repage "$2"
    echo "$2: ${w}x${h}"
}
mkdir -p docs/screenshots
wine "$driver" main-ready COM1 COM1 | grep FAIL || true  # a firmware date or port that differs is no reason to stop
shoot "FieldGatherer Mobile Module Firmware Update" docs/screenshots/win32-main.png
wine "$driver" show-about
shoot "About FieldGatherer Mobile Module Update" docs/screenshots/win32-about.png
wineserver -k 2>/dev/null || true

ports=(1 2 3 8 9 10 11 12 20 33 34 35 40 55 64 65 66 77 88 98 99 100)
for port in "${ports[@]}"; do
    wine reg add 'HKLM\Hardware\DeviceMap\SERIALCOMM' /v "\\Device\\fwut$port" /d "COM$port" /f >/dev/null
done
(cd "$work/app" && exec wine fwut-update.exe) >/dev/null 2>&1 &
pids+=($!)
wine "$driver" main-ready "$(printf 'COM%s,' "${ports[@]}" | sed 's/,$//')" COM1 | grep -E 'FAIL.*clipped' || true
shoot "FieldGatherer Mobile Module Firmware Update" docs/screenshots/win32-22-ports.png
