#!/usr/bin/env bash
# Times full updates of a 64 KiB image (256 pages) against the module
# simulator: at full speed, where everything beyond the 60 ms of pauses per
# page is our own overhead; at full speed with every core kept busy by other
# work, where a late wake-up stretches the pauses; and with the simulator
# emulating the 57600-baud wire. Needs a built default preset
# (scripts/test.sh builds it).
# Usage: scripts/bench-update.sh [RUN...] (full-speed, loaded, throttled;
# default all). FWUT_BUILD names another build folder, to compare builds.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${FWUT_BUILD:-build/default}
work=$(mktemp -d /tmp/fwut-bench.XXXXXX)
sim=""
load=()
cleanup() {  # a failed update leaves its --once simulator waiting
    if [[ -n "$sim" ]]; then kill "$sim" 2>/dev/null || true; fi
    if ((${#load[@]})); then kill "${load[@]}" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

"$build"/tools/hexgen/fwut-hexgen --pages 256 --fill --seed 7 --output "$work/full.hex"
printf '2.40 (benchmark)\nfull.hex\n' > "$work/FieldGatherer_MM_Psion.txt"
export XDG_CONFIG_HOME="$work/config"

run() {  # run NAME [simulator options...]
    local name=$1
    shift
    "$build"/tools/sim/fwut-sim --link "$work/tty" --once --answer-after 1 "$@" \
        --transcript "$work/$name.log" --image-out "$work/$name.bin" &
    sim=$!
    for _ in $(seq 50); do [[ -e "$work/tty" ]] && break; sleep 0.1; done
    local start end
    start=$(date +%s.%N)
    ( "$build"/app/cli/fwut-cli update --device "$work/tty" --dir "$work" >"$work/$name.out"; times ) \
        >"$work/$name.times"
    end=$(date +%s.%N)
    wait "$sim" || { echo "$name: the simulator reported a protocol error:"; grep -m3 "PROTOCOL ERROR" "$work/$name.log"; }
    sim=""
    local cpu
    cpu=$(awk 'NR==2 { split($1, u, "m"); split($2, s, "m");
                       print u[1] * 60 + u[2] + s[1] * 60 + s[2] }' "$work/$name.times")
    # Page pace from the simulator's clock: first page header to the end marker.
    local first last
    first=$(awk '/rx page 0 header/ { print $1; exit }' "$work/$name.log")
    last=$(awk '/rx end marker/ { print $1; exit }' "$work/$name.log")
    awk -v name="$name" -v start="$start" -v end="$end" -v cpu="$cpu" -v first="$first" -v last="$last" \
        'BEGIN {
            wall = end - start;
            per_page = (last - first) / 256;
            printf "%-10s wall %.2f s, CPU %.3f s (%.2f%% of wall), %.2f ms per page (%.4f of the 60 ms of pauses)\n",
                   name, wall, cpu, 100 * cpu / wall, per_page, per_page / 60;
        }'
}

runs=("$@")
((${#runs[@]})) || runs=(full-speed loaded throttled)
for name in "${runs[@]}"; do
    case $name in
        full-speed) run full-speed ;;
        loaded)
            for _ in $(seq "$(nproc)"); do
                (while :; do :; done) &
                load+=($!)
            done
            run loaded
            kill "${load[@]}"
            load=()
            ;;
        throttled) run throttled --throttle ;;
        *) echo "unknown run: $name" >&2; exit 2 ;;
    esac
done
[[ " ${runs[*]} " == *" throttled "* ]] || exit 0
# What the wire and the pauses allow at 57600 baud (10 bits a byte): per page
# the header frame (24 bytes) and its 20 ms pause, then the data frames
# (322 bytes) and the checksum frame (23 bytes) back to back on the wire, and
# the one-byte answer.
awk 'BEGIN { byte = 10 / 57600 * 1000;
             printf "throttled floor: %.2f ms per page\n", 20 + (322 + 23 + 1) * byte }'
