#!/usr/bin/env bash
# Makes both packages with scripts/package.sh (reusing the builds that
# scripts/test.sh left) and tests them as a technician meets them:
#   1. a firmware folder with a broken HEX file stops the .deb and the
#      installer alike, with the conversion's message;
#   2. the .deb: lintian and appstreamcli; dpkg -i; the installed programs'
#      --version, 'fwut-cli check /opt/fwut-update', and an update by
#      /usr/bin/fwut-cli from its own folder against fwut-sim; dpkg -r leaves
#      none of its files, and the user's settings stay;
#   3. the installer under wine: /S, the files, the Start-menu shortcut and
#      the uninstall key; the installed fwut-cli.exe checks its folder and
#      updates fwut-sim on COM1; a second /S replaces the first; the
#      uninstaller's /S leaves no folder, shortcut or key.
# It installs and removes the package fwut-update, so it runs as root (or
# with sudo) where that package is not installed.
# Environment: FWUT_SIM (a fwut-sim to use instead of build/default's).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh lintian appstream man-db
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
if dpkg-query -W -f='${Status}' fwut-update 2>/dev/null | grep -q ' installed$'; then
    echo "fwut-update is installed on this machine; these tests install and remove it. Remove it first." >&2
    exit 1
fi
# fwut-cli makes the expected image; fwut-sim plays the module.
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target fwut-cli fwut-sim
FWUT_SIM=${FWUT_SIM:-$root/build/default/tools/sim/fwut-sim}

work=$(mktemp -d /tmp/fwut-package-tests.XXXXXX)
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
installed=0
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    ((installed)) && $sudo dpkg -r fwut-update >/dev/null
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
step() {  # step NAME COMMAND...: one checked step
    echo "--- $1"
    if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi
}
must() {  # must COMMAND...: a step the rest depends on
    "$@" || { echo "FAILED, cannot go on: $*"; exit 1; }
}
fails_with() {  # fails_with MESSAGE LEFTOVER_GLOB COMMAND...: fails, says MESSAGE, leaves no package
    local log=$work/fails_with.log
    if "${@:3}" >"$log" 2>&1; then cat "$log"; echo "it succeeded"; return 1; fi
    grep -F -- "$1" "$log" || { cat "$log"; return 1; }
    if compgen -G "$2" >/dev/null; then echo "a package was left: $2"; return 1; fi
}
start_sim() {  # start_sim NAME: fwut-sim for one session on $work/NAME-link, its image in $work/NAME.bin
    "$FWUT_SIM" --link "$work/$1-link" --once --image-out "$work/$1.bin" --transcript "$work/$1-sim.log" &
    pids+=($!)
    for _ in $(seq 100); do [[ -e $work/$1-link ]] && return; sleep 0.1; done
}

sample=$root/firmware-sample
firmware_version=$(head -n 1 "$sample/FieldGatherer_MM_Psion.txt")
hex_name=$(sed -n 2p "$sample/FieldGatherer_MM_Psion.txt")
"$FWUT_SIM" --help >/dev/null  # a fwut-sim that does not run would fail every update below
build/default/app/cli/fwut-cli convert "$sample/$hex_name" "$work/expected.bin" >/dev/null

# The wine prefix for the installer's firmware check and the tests, made
# without a display (with one, wine opens windows).
env -u DISPLAY wineboot -i >"$work/wineboot.log" 2>&1
wineserver -w

# --- a broken HEX file ------------------------------------------------------
broken=$work/broken-firmware
mkdir "$broken"
cp "$sample/FieldGatherer_MM_Psion.txt" "$sample/$hex_name" "$broken/"
sed -i '3s/^:10/:1G/' "$broken/$hex_name"
step "a broken HEX file stops the .deb" \
    fails_with "Invalid firmware hex file." "build/default/fwut-update_*.deb" scripts/package.sh --deb "$broken"
step "a broken HEX file stops the installer" \
    fails_with "Invalid firmware hex file." "build/mingw/fwut-update-*-setup.exe" scripts/package.sh --windows "$broken"

# --- the packages, with the sample firmware ---------------------------------
scripts/package.sh >"$work/package.log" 2>&1 || { cat "$work/package.log"; echo "FAILED, cannot go on: scripts/package.sh"; exit 1; }
deb=$(echo build/default/fwut-update_*_amd64.deb)
version=$(dpkg-deb -f "$deb" Version)
setup=build/mingw/fwut-update-${version}-win64-setup.exe
must test -f "$setup"

# --- the .deb ---------------------------------------------------------------
echo "=== $deb"
step "lintian finds no error or warning" lintian --fail-on error,warning "$deb"
dpkg-deb -x "$deb" "$work/deb-tree"
step "appstreamcli validates the metainfo" \
    appstreamcli validate --no-net "$work"/deb-tree/usr/share/metainfo/*.metainfo.xml
step "appstreamcli validates the tree (metainfo, desktop entry, icon)" \
    appstreamcli validate-tree --no-net "$work/deb-tree"
step "the description names the firmware" \
    grep -F "version $firmware_version" <(dpkg-deb -f "$deb" Description)

# Folders that exist before the package may stay after it.
mapfile -t present_dirs < <(dpkg-deb -c "$deb" | awk '/^d/ { print substr($6, 2) }' |
    while read -r dir; do [[ -d $dir ]] && echo "${dir%/}"; done)
must $sudo dpkg -i "$deb"
installed=1
mapfile -t package_paths < <(dpkg -L fwut-update)

export XDG_CONFIG_HOME=$work/config TMPDIR=$work/tmp
mkdir -p "$XDG_CONFIG_HOME/Fernhollow Systems" "$TMPDIR"
settings="$XDG_CONFIG_HOME/Fernhollow Systems/fwut-update.conf"
printf '[Ports]\nCOM5=%s\n' "$work/linux-link" >"$settings"

shipped_documents() {  # shipped_documents FOLDER: the README and the JSON contract as in the source
    cmp <(zcat "$1/README.md.gz") README.md && cmp <(zcat "$1/json-output.md.gz") docs/json-output.md
}

step "fwut-cli is found as /usr/bin/fwut-cli" test "$(command -v fwut-cli)" = /usr/bin/fwut-cli
step "fwut-cli --version" grep -E "^fwut-cli $version \(build [^)]+\)$" <(fwut-cli --version)
step "fwut-update --version, without a display" \
    grep -E "^fwut-update $version \(build [^)]+\)$" <(env -u DISPLAY fwut-update --version)
step "fwut-cli check /opt/fwut-update" fwut-cli check /opt/fwut-update
step "the manual pages" man -w fwut-cli fwut-update
step "the README and the JSON contract the manual page names" shipped_documents /usr/share/doc/fwut-update
start_sim linux
step "an update by the installed fwut-cli, with the firmware beside it" timeout 120 fwut-cli update --port 5
step "the module received that firmware" cmp "$work/expected.bin" "$work/linux.bin"
step "the port is saved" grep -q '^ComPort=5' "$settings"

must $sudo dpkg -r fwut-update
installed=0
left_behind() {
    local path left=0
    for path in "${package_paths[@]}"; do
        [[ $path != /. ]] || continue
        [[ -e $path || -L $path ]] || continue
        [[ -d $path && ! -L $path ]] && printf '%s\n' "${present_dirs[@]}" | grep -qxF "$path" && continue
        echo "left: $path"
        left=1
    done
    return $left
}
step "dpkg -r leaves none of its files or folders" left_behind
step "dpkg no longer knows the package" \
    bash -c "! dpkg-query -W -f='\${Status}' fwut-update 2>/dev/null | grep -q ' installed$'"
step "the user's settings stay" grep -q '^ComPort=5' "$settings"

# --- the Windows installer under wine ---------------------------------------
echo "=== $setup"
folder='C:\Program Files\Fernhollow Systems\FieldGatherer Firmware Update'
unix_folder="$WINEPREFIX/drive_c/Program Files/Fernhollow Systems/FieldGatherer Firmware Update"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/FieldGatherer Firmware Update.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\fwut-update'
installed_files=(FieldGatherer_MM_Psion.txt "$hex_name" README.md Uninstall.exe fwut-cli.exe fwut-update.exe
    json-output.md)

# The serial-port key is volatile: a persistent server keeps it.
wineserver -w
wineserver -p >"$work/wineserver.log" 2>&1
serialcomm='HKLM\Hardware\DeviceMap\SERIALCOMM'
for _ in $(seq 100); do wine reg query "$serialcomm" >/dev/null 2>&1 && break; sleep 0.2; done
start_sim windows
ln -sfn "$work/windows-link" "$WINEPREFIX/dosdevices/com1"
wine reg add "$serialcomm" /v '\Device\fwut1' /d COM1 /f >/dev/null

registry_value() {  # registry_value NAME: the uninstall key's value
    wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
key_holds() {  # key_holds NAME VALUE
    local value
    value=$(registry_value "$1")
    [[ $value == "$2" ]] || { echo "$1 is '$value', not '$2'"; return 1; }
}
installed_as_built() {  # exactly the installed files, the firmware as in firmware-sample
    diff <(printf '%s\n' "${installed_files[@]}" | sort) <(ls -A "$unix_folder" | sort) &&
        cmp "$sample/FieldGatherer_MM_Psion.txt" "$unix_folder/FieldGatherer_MM_Psion.txt" &&
        cmp "$sample/$hex_name" "$unix_folder/$hex_name" &&
        cmp README.md "$unix_folder/README.md" && cmp docs/json-output.md "$unix_folder/json-output.md"
}
gone() {  # gone PATH: within 30 s (the uninstaller runs on as a copy of itself)
    for _ in $(seq 150); do [[ -e $1 ]] || return 0; sleep 0.2; done
    echo "still there: $1"
    return 1
}
key_gone() {
    for _ in $(seq 150); do wine reg query "$key" >/dev/null 2>&1 || return 0; sleep 0.2; done
    echo "still there: $key"
    return 1
}

step "silent install" timeout 120 wine "$setup" /S
step "the programs and the firmware in Program Files" installed_as_built
step "the Start-menu shortcut" test -f "$shortcut"
step "uninstall key: DisplayName" key_holds DisplayName "FieldGatherer Firmware Update"
step "uninstall key: DisplayVersion" key_holds DisplayVersion "$version"
step "uninstall key: Publisher" key_holds Publisher "Fernhollow Systems"
step "uninstall key: UninstallString" key_holds UninstallString "\"$folder\\Uninstall.exe\""
step "fwut-update.exe --version" grep -E "^fwut-update $version \(build [^)]+\)" <(wine "$folder\\fwut-update.exe" --version)
step "the installed fwut-cli.exe checks its own folder" wine "$folder\\fwut-cli.exe" check "$folder"
step "--device is a usage error on Windows" \
    bash -c 'out=$(wine "$0\\fwut-cli.exe" update --device /dev/ttyS0 2>&1); [[ $? == 2 && $out == *"use --port"* ]]' "$folder"
step "a path the code page cannot hold is refused at once" \
    bash -c 'out=$(wine "$0\\fwut-cli.exe" history "C:\\Тест\\rec.jsonl" 2>&1); [[ $? == 2 && $out == *"code page"* ]]' "$folder"
step "an update by the installed fwut-cli.exe, with the firmware beside it" \
    timeout 120 wine "$folder\\fwut-cli.exe" update --port 1
step "the module received that firmware" cmp "$work/expected.bin" "$work/windows.bin"
step "a second silent install replaces the first" timeout 120 wine "$setup" /S
step "still exactly the installed files" installed_as_built

step "silent uninstall" timeout 120 wine "$folder\\Uninstall.exe" /S
step "the program folder is gone" gone "$unix_folder"
step "the publisher's folder is gone" gone "$(dirname "$unix_folder")"
step "the shortcut is gone" gone "$shortcut"
step "the uninstall key is gone" key_gone

echo "packages: $passed passed, $failed failed"
((failed == 0))
