#!/usr/bin/env bash
# The pause figures of the Windows build under wine: the Delay benchmark
# (fwut-delay-bench.exe), then full updates of a 64 KiB image (256 pages)
# through fwut-cli.exe against the module simulator on a mapped COM port,
# timed with the simulator's clock as scripts/bench-update.sh does.
# Needs the default and mingw builds. Environment: FWUT_MINGW_BUILD (default
# build/mingw), FWUT_CLI_EXE (another fwut-cli.exe to time, e.g. an older
# build's), FWUT_BENCH_RUNS (updates to time, default 3).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/default
mingw=${FWUT_MINGW_BUILD:-build/mingw}
cli=${FWUT_CLI_EXE:-$mingw/app/cli/fwut-cli.exe}
runs=${FWUT_BENCH_RUNS:-3}
work=$(mktemp -d /tmp/fwut-bench-wine.XXXXXX)
sim=""
cleanup() {
    if [[ -n "$sim" ]]; then kill "$sim" 2>/dev/null || true; fi
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
env -u DISPLAY wineboot -i >"$work/wineboot.log" 2>&1
wineserver -w
wineserver -p >/dev/null 2>&1

echo "--- Delay(20) under wine"
env -u DISPLAY wine "$mingw/bench/fwut-delay-bench.exe" || true

"$build"/tools/hexgen/fwut-hexgen --pages 256 --fill --seed 7 --output "$work/full.hex"
printf '2.40 (benchmark)\r\nfull.hex\r\n' >"$work/FieldGatherer_MM_Psion.txt"
serialcomm='HKLM\Hardware\DeviceMap\SERIALCOMM'
for _ in $(seq 100); do wine reg query "$serialcomm" >/dev/null 2>&1 && break; sleep 0.2; done
ln -sfn "$work/tty" "$WINEPREFIX/dosdevices/com5"
wine reg add "$serialcomm" /v '\Device\fwut5' /d COM5 /f >/dev/null

echo "--- full updates through $(basename "$cli") under wine"
for run in $(seq "$runs"); do
    "$build"/tools/sim/fwut-sim --link "$work/tty" --once --answer-after 1 --transcript "$work/sim$run.log" &
    sim=$!
    for _ in $(seq 50); do [[ -e "$work/tty" ]] && break; sleep 0.1; done
    env -u DISPLAY wine "$cli" update --port 5 --dir "$(winepath -w "$work")" >"$work/cli$run.out" 2>&1 ||
        { echo "run $run: the update failed:"; tail -n 5 "$work/cli$run.out"; }
    wait "$sim" || { echo "run $run: the simulator reported a protocol error:"; grep -m3 "PROTOCOL ERROR" "$work/sim$run.log"; }
    sim=""
    awk -v run="$run" '/rx page 0 header/ && !first { first = $1 }
        /rx end marker/ { last = $1 }
        END { per_page = (last - first) / 256;
              printf "run %d: %.2f ms per page (%.4f of the 60 ms of pauses)\n", run, per_page, per_page / 60 }' \
        "$work/sim$run.log"
done
