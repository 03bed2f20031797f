#!/usr/bin/env bash
# Sets everything up, checks the C++ layout against .clang-format, gives each fuzzer (HEX file, description file, settings
# file) a short run, builds the normal and the sanitizer build and runs every
# test in both, runs fwut-cli on real kernel serial drivers in a QEMU guest,
# then builds the Windows programs with mingw-w64 and tests them
# under wine, and makes, installs and removes both packages.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-format.sh

jobs=$(nproc)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
for target in hex description settings; do
    mkdir "$corpus/$target"
    cp fuzz/corpus/"$target"/* "$corpus/$target"/
    dictionary=()
    [[ -f fuzz/$target.dict ]] && dictionary=(-dict="fuzz/$target.dict")
    echo "fuzzing the $target reader:"
    build/fuzz/fuzz/fwut-fuzz-"$target" -max_total_time="${FWUT_FUZZ_SECONDS:-20}" "${dictionary[@]}" \
        "$corpus/$target" 2>&1 | tail -n 1
done

for preset in default asan; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done

scripts/driver-tests.sh build/default/app/cli/fwut-cli build/default/tools/sim/fwut-sim
FWUT_SIM=$PWD/build/default/tools/sim/fwut-sim scripts/wine-tests.sh
FWUT_SIM=$PWD/build/default/tools/sim/fwut-sim scripts/package-tests.sh
