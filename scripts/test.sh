#!/usr/bin/env bash
# Sets everything up, gives the HEX parser's fuzzer a short run, builds the
# normal and the sanitizer build and runs every test in both, then builds the
# Windows programs with mingw-w64 and tests them under wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=$(nproc)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" --target fwut-fuzz-hex
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp fuzz/corpus/hex/* "$corpus"/
build/fuzz/fuzz/fwut-fuzz-hex -max_total_time="${FWUT_FUZZ_SECONDS:-30}" -dict=fuzz/hex.dict "$corpus" 2>&1 | tail -n 2

for preset in default asan; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done

FWUT_SIM=$PWD/build/default/tools/sim/fwut-sim scripts/wine-tests.sh
FWUT_SIM=$PWD/build/default/tools/sim/fwut-sim scripts/package-tests.sh
