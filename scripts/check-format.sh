#!/usr/bin/env bash
# Checks that every C++ file is laid out as .clang-format says; prints the
# files that are not. scripts/check-format.sh --fix rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if [[ ${1:-} == --fix ]]; then
    clang-format -i "${sources[@]}"
    exit 0
fi
clang-format --dry-run --Werror "${sources[@]}"
