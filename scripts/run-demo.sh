#!/usr/bin/env bash
# Sets everything up and runs one firmware update against the built-in module
# simulator: the simulator's pseudo-terminal is mapped as COM5 in a
# throw-away settings folder, and the sample firmware lies beside a copy of
# the program. With a display the desktop window opens (press "Begin
# Update"); without one the command-line updater runs the same update.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/setup.sh
cmake --preset default >/dev/null
targets=(fwut-cli fwut-sim)
[[ -n "${DISPLAY:-}" ]] && targets+=(fwut-update)
cmake --build --preset default -j "$(nproc)" --target "${targets[@]}"

demo=$(mktemp -d /tmp/fwut-demo.XXXXXX)
sim_pid=""
cleanup() {  # under set -e: a simulator that already ended must not stop the clean-up
    if [[ -n "$sim_pid" ]]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$demo"
}
trap cleanup EXIT

cp build/default/app/cli/fwut-cli "$demo"/
[[ -n "${DISPLAY:-}" ]] && cp build/default/app/gui/fwut-update "$demo"/
cp firmware-sample/FieldGatherer_MM_Psion.txt firmware-sample/*.hex "$demo"/

export XDG_CONFIG_HOME="$demo/config"
mkdir -p "$XDG_CONFIG_HOME/Fernhollow Systems"
printf '[Ports]\nCOM5=%s\n' "$demo/ttyFWUT" > "$XDG_CONFIG_HOME/Fernhollow Systems/fwut-update.conf"

"$root"/build/default/tools/sim/fwut-sim --link "$demo/ttyFWUT" --image-out "$demo/flashed.bin" \
    --transcript "$demo/simulator.log" &
sim_pid=$!
for _ in $(seq 50); do [[ -e "$demo/ttyFWUT" ]] && break; sleep 0.1; done

status=0
if [[ -n "${DISPLAY:-}" ]]; then
    "$demo"/fwut-update /C5 || status=$?
else
    "$demo"/fwut-cli update --port 5 || status=$?
fi
echo
echo "Simulator transcript (last lines):"
tail -n 4 "$demo/simulator.log"
exit "$status"
