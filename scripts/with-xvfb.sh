#!/usr/bin/env bash
# Runs a command on a private X server of its own and ends the server with it.
# Usage: scripts/with-xvfb.sh [XVFB_OPTION...] -- COMMAND [ARGUMENT...]
set -uo pipefail
source "$(dirname "$0")/lib/xvfb.sh"

options=()
while (($#)) && [[ $1 != -- ]]; do
    options+=("$1")
    shift
done
[[ ${1:-} == -- ]] && shift
if ((!$#)); then
    echo "usage: with-xvfb.sh [XVFB_OPTION...] -- COMMAND [ARGUMENT...]" >&2
    exit 2
fi
folder=$(mktemp -d)
trap 'kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; rm -rf "$folder"' EXIT
start_xvfb "$folder" "${options[@]}" || exit 1
"$@"
