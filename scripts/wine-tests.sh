#!/usr/bin/env bash
# Builds the Windows programs with mingw-w64 (preset "mingw") and tests them
# under wine on a virtual X display:
#   1. the Windows unit tests (ctest), the serial backend on a COM port mapped
#      onto an echoing pseudo-terminal;
#   2. end to end: fwut-update.exe against the module simulator fwut-sim (the
#      Linux build) on COM1, worked by tests/wine/driver: its dialog, what
#      MSAA (oleacc) tells of it, an update with the keyboard alone, the About
#      dialog's links, the saved port; then the hand-off of COM12
#      with a stand-in companion window, once freed in time and once not; an
#      adapter unplugged while the window waits for the module.
# Environment: FWUT_SIM (a fwut-sim to use instead of building one),
# FWUT_MINGW_BUILD (the build folder, build/mingw by default),
# FWUT_WINE_KEEP=1 (keep the wine prefix and logs in <build folder>/wine-run).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/lib/xvfb.sh

# wine's X11 driver loads these at run time; libwine only recommends them.
scripts/setup.sh g++-mingw-w64-x86-64-posix wine wine64 googletest python3 \
    libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1 \
    libgl1 libfreetype6 libfontconfig1

jobs=$(nproc)
if [[ -z ${FWUT_SIM:-} ]]; then
    cmake --preset default >/dev/null
    cmake --build --preset default -j "$jobs" --target fwut-sim
    FWUT_SIM=$root/build/default/tools/sim/fwut-sim
fi
build=${FWUT_MINGW_BUILD:-$root/build/mingw}
cmake --preset mingw -B "$build" >/dev/null
cmake --build "$build" -j "$jobs"
cmake --build "$build" --target package-win64

work=$build/wine-run
rm -rf "$work"
mkdir -p "$work/app"
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
    [[ ${FWUT_WINE_KEEP:-0} == 1 ]] || rm -rf "$work"
}
trap cleanup EXIT

# --- wine prefix, display and serial ports ----------------------------------
# The prefix is made without a display; a display here would open windows.
env -u DISPLAY wineboot -i >"$work/wineboot.log" 2>&1
wineserver -w
wineserver -p >"$work/wineserver.log" 2>&1
start_xvfb "$work"
pids+=("$XVFB_PID")

# A new wineserver rewrites com1 to /dev/ttyS0 when it fills SERIALCOMM, so
# the links are made once the key is there. The key is volatile: its values
# are written now that the server is up.
serialcomm='HKLM\Hardware\DeviceMap\SERIALCOMM'
for _ in $(seq 100); do wine reg query "$serialcomm" >/dev/null 2>&1 && break; sleep 0.2; done
add_port() {  # add_port N TARGET: COM<N> reaches TARGET (a missing TARGET: a port held elsewhere)
    ln -sfn "$2" "$WINEPREFIX/dosdevices/com$1"
    wine reg add "$serialcomm" /v "\\Device\\fwut$1" /d "COM$1" /f >/dev/null
}

# An echoing pseudo-terminal: raw, its slave kept open so the line stays up.
python3 - "$work/echo-link" <<'EOF' &
import os, pty, sys, tty
master, slave = pty.openpty()
tty.setraw(slave)
os.symlink(os.ttyname(slave), sys.argv[1])
while True:
    os.write(master, os.read(master, 4096))
EOF
pids+=($!)
"$FWUT_SIM" --link "$work/com1-link" --transcript "$work/sim-com1.log" &
sims=($!)
"$FWUT_SIM" --link "$work/com12-link" --transcript "$work/sim-com12.log" &
sims+=($!)
pids+=("${sims[@]}")
for link in echo-link com1-link com12-link; do
    for _ in $(seq 100); do [[ -e $work/$link ]] && break; sleep 0.1; done
done
add_port 5 "$work/echo-link"

# --- unit tests -------------------------------------------------------------
FWUT_WINE_ECHO_PORT=5 ctest --test-dir "$build" --output-on-failure --verbose

# --- end to end -------------------------------------------------------------
wine reg delete "$serialcomm" /v '\Device\fwut5' /f >/dev/null
add_port 1 "$work/com1-link"
add_port 12 "$work/com12-link.absent"
cp "$build/app/win32/fwut-update.exe" firmware-sample/FieldGatherer_MM_Psion.txt \
    firmware-sample/FG_MM_sample.hex "$work/app/"
driver="$build/tests/wine/fwut-wine-driver.exe"
# The desktop's link handler is the driver, which writes down every target.
for scheme in http mailto; do
    wine reg add "HKCR\\$scheme\\shell\\open\\command" /ve /f \
        /d "\"$(winepath -w "$driver")\" record-target \"$(winepath -w "$work/targets.txt")\" \"%1\"" >/dev/null
done

passed=0
failed=0
step() {  # step NAME COMMAND...: one checked step of the end-to-end test
    echo "--- $1"
    if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi
}
drive() { wine "$driver" "$@"; }
start_program() {
    (cd "$work/app" && exec wine fwut-update.exe "$@") >>"$work/program.log" 2>&1 &
    program=$!
}
wait_program() {  # the program ends within 30 s
    for _ in $(seq 300); do kill -0 "$program" 2>/dev/null || return 0; sleep 0.1; done
    echo "fwut-update.exe did not end"
    kill "$program"
    return 1
}
start_companion() {  # start_companion TITLE LOG: a visible companion window, up before the next step
    drive companion "$1" "$(winepath -w "$2")" &
    pids+=($!)
    for _ in $(seq 300); do grep -q ready "$2" 2>/dev/null && return; sleep 0.1; done
}
# The companion's log: "<tick> ready 0", then "<tick> release|return <port>" per message.
handoff_ok() {  # handoff_ok LOG: its last two lines become release 12, then return 12 at least 1000 ms later
    for _ in $(seq 50); do
        tail -n 2 "$1" | awk 'NR == 1 { ok = ($2 == "release" && $3 == 12); t = $1 }
                              NR == 2 { ok = ok && ($2 == "return" && $3 == 12 && $1 - t >= 1000) }
                              END { exit !(ok && NR == 2) }' && return 0
        sleep 0.1
    done
    cat "$1"
    return 1
}
free_port_on_release() {  # the companion lets go of COM12: its device appears
    for _ in $(seq 300); do
        grep -q release "$1" 2>/dev/null && { ln -sfn "$work/com12-link" "$WINEPREFIX/dosdevices/com12"; return; }
        sleep 0.05
    done
}

start_program
step "the main dialog at start" drive main-ready COM1,COM12 COM1
step "the main dialog through MSAA" drive accessibility COM1,COM12
step "an update on COM1 with the keyboard alone" drive keyboard-update-succeeds
step "the About dialog and its links" drive about "$(winepath -w "$work/targets.txt")"
step "COM1 is saved" drive saved-port 1
step "Done ends the program" drive "done"
step "the program has ended" wait_program

start_program /C12
start_companion "Fernhollow LineProbeTool - COM12" "$work/companion1.log"
free_port_on_release "$work/companion1.log" &
step "/C12 selects COM12" drive main-ready COM1,COM12 COM12
step "an update on COM12 after the companion let it go" drive update-succeeds
step "COM12 is saved" drive saved-port 12
step "release, one second, return" handoff_ok "$work/companion1.log"

ln -sfn "$work/com12-link.absent" "$WINEPREFIX/dosdevices/com12"
start_companion "fernhollow serial test program" "$work/companion2.log"
step "a port the companion keeps cannot be opened" drive update-cannot-open 12
step "release, one second, return: the second companion" handoff_ok "$work/companion2.log"
step "release, one second, return: the first companion too" handoff_ok "$work/companion1.log"
step "Done ends the program" drive "done"
step "the program has ended" wait_program

# An adapter unplugged while the window waits for a module that never answers.
"$FWUT_SIM" --link "$work/com3-link" --never-answer --transcript "$work/sim-com3.log" &
unplugged=$!
disown "$unplugged"  # its SIGKILL below is the test, no news for the shell
pids+=("$unplugged")
for _ in $(seq 100); do [[ -e $work/com3-link ]] && break; sleep 0.1; done
add_port 3 "$work/com3-link"
unplug_when_waiting() {
    for _ in $(seq 600); do [[ -e $work/waiting ]] && { kill -9 "$unplugged"; return; }; sleep 0.05; done
}
unplug_when_waiting &
start_program /C3
step "an adapter unplugged in the wait ends it, and the status line says so" \
    drive line-gone-in-wait "$(winepath -w "$work/waiting")"
step "Done ends the program" drive "done"
step "the program has ended" wait_program

no_image_left() {  # every update deleted its temporary image
    ! find "$WINEPREFIX/drive_c/users" -name Hex.tmp | grep .
}
step "no temporary image is left behind" no_image_left

# The simulators write their summary as they end.
kill "${sims[@]}"
wait "${sims[@]}" || true
for port in 1 12; do
    summary=$(tail -n 1 "$work/sim-com$port.log")
    echo "simulator on COM$port: $summary"
    step "the simulator on COM$port saw the protocol kept" grep -q ', 1 completed, 0 protocol errors' <<<"$summary"
done
echo "end-to-end: $passed passed, $failed failed"
((failed == 0))
