#!/usr/bin/env bash
# Installs what building, testing and running the project needs (Debian 12),
# and any further packages named on the command line.
set -euo pipefail

packages=("$@"
    build-essential cmake ninja-build
    qt6-base-dev libgl-dev fonts-liberation libx11-dev libxcb1-dev
    libgtest-dev libgmock-dev
    srecord
    libudev-dev
    libcli11-dev nlohmann-json3-dev libssl-dev
    clang libclang-rt-14-dev clang-format
    xvfb
    at-spi2-core dbus-daemon python3-gi gir1.2-atspi-2.0
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if ((${#missing[@]})); then
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
