#!/usr/bin/env bash
# Runs fwut-cli on real kernel serial drivers: a QEMU guest (Debian's kernel, a
# busybox initramfs) with two lines, its second 16550 port (8250 driver,
# /dev/ttyS1) and a hot-plugged FTDI adapter (ftdi_sio, /dev/ttyUSB0), each
# wired to the pseudo-terminal of a fwut-sim on this side. The guest's console
# (ttyS0) carries the shell lines the host sends and their output; the QEMU
# monitor plugs and unplugs the adapter. One line per case, then a tally; the
# exit code is non-zero when a case failed.
# FWUT_BENCH_KEEP=1 keeps the work folder (guest console, transcripts) for a look.
#
#   scripts/driver-tests.sh [FWUT-CLI [FWUT-SIM]]    (default: the build/default programs)
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

cli=$(realpath "${1:-build/default/app/cli/fwut-cli}")
sim=$(realpath "${2:-build/default/tools/sim/fwut-sim}")
[[ -x $cli && -x $sim ]] || { echo "driver-tests: needs the built fwut-cli and fwut-sim" >&2; exit 2; }

scripts/setup.sh qemu-system-x86 linux-image-amd64 busybox-static cpio xz-utils zstd >/dev/null || exit 2

started=$SECONDS
work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null
    done
    [[ -n ${FWUT_BENCH_KEEP:-} ]] && echo "driver-tests: kept $work" || rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

passed=0
failed=0
pass() { echo "ok    $1: $2"; passed=$((passed + 1)); }
fail() {
    echo "FAIL  $1: $2"
    failed=$((failed + 1))
    [[ -n ${3:-} ]] && sed 's/^/        | /' <<<"$3" | tail -n 25
    return 0
}

# ---------------------------------------------------------------- the guest

kernel=$(ls /boot/vmlinuz-* 2>/dev/null | sort -V | tail -n 1)
version=${kernel#/boot/vmlinuz-}
[[ -r $kernel && -d /lib/modules/$version ]] || { echo "driver-tests: no readable kernel in /boot" >&2; exit 2; }

root=$work/root
mkdir -p "$root"/{bin,dev,proc,sys,modules,lib64,opt/fwut/firmware,opt/fwut/large}
cp /bin/busybox "$root/bin/busybox"
install -m 0755 tests/drivers/guest-init.sh "$root/init"
cp "$cli" "$root/opt/fwut/fwut-cli"
cp firmware-sample/* "$root/opt/fwut/firmware/"

# The program's libraries, libudev (loaded at run time) and its own, the loader.
libudev=$(ldconfig -p | awk '$1 == "libudev.so.1" && /x86-64/ { print $NF; exit }')
for lib in $( (ldd "$cli"; [[ -n $libudev ]] && echo "$libudev" && ldd "$libudev") |
    awk '$2 == "=>" && $3 ~ /^\// { print $3 } $1 ~ /^\// { print $1 }' | sort -u); do
    mkdir -p "$root$(dirname "$lib")"
    cp -L "$lib" "$root$lib"
done

# The USB path's modules, in load order (the 8250 driver is built in).
for module in usb-common usbcore xhci-hcd xhci-pci usbserial ftdi_sio; do
    file=$(find "/lib/modules/$version/kernel" -name "$module.ko*" | head -n 1)
    case $file in
    *.xz) xz -dc "$file" >"$root/modules/$module.ko" ;;
    *.zst) zstd -qdc "$file" >"$root/modules/$module.ko" ;;
    *.ko) cp "$file" "$root/modules/$module.ko" ;;
    *) echo "driver-tests: no module $module for $version" >&2; exit 2 ;;
    esac
done

# A 96-page firmware, long enough in the guest to be stopped or unplugged in
# the middle of its transfer (the sample's six pages pass in a moment).
printf '2.40 (bench)\nFG_MM_bench.hex\n' >"$root/opt/fwut/large/FieldGatherer_MM_Psion.txt"
awk 'BEGIN {
    x = 240
    for (address = 0; address < 96 * 256; address += 16) {
        line = sprintf(":10%04X00", address); sum = 16 + int(address / 256) + address % 256
        for (i = 0; i < 16; ++i) { x = (x * 75 + 74) % 65537; b = x % 256; sum += b; line = line sprintf("%02X", b) }
        printf "%s%02X\n", line, (256 - sum % 256) % 256
    }
    print ":00000001FF"
}' >"$root/opt/fwut/large/FG_MM_bench.hex"

(cd "$root" && find . | cpio -o -H newc --quiet) | gzip -1 >"$work/initramfs.gz"

"$cli" convert firmware-sample/FG_MM_sample.hex "$work/sample.bin" >/dev/null
"$cli" convert "$root/opt/fwut/large/FG_MM_bench.hex" "$work/large.bin" >/dev/null

# ---------------------------------------------------------------- QEMU

mkfifo "$work"/console.{in,out} "$work"/monitor.{in,out}
# Ahead of other work on the machine where allowed, so that the guest's
# processor stalls less often inside a frame.
priority=()
nice -n -10 true 2>/dev/null && priority=(nice -n -10)
"${priority[@]}" qemu-system-x86_64 -accel tcg -m 256 -smp 1 -display none -nodefaults -no-user-config -no-reboot \
    -kernel "$kernel" -initrd "$work/initramfs.gz" -append "console=ttyS0 loglevel=1 panic=-1" \
    -chardev pipe,id=console,path="$work/console" -serial chardev:console \
    -chardev null,id=line8250 -serial chardev:line8250 \
    -chardev pipe,id=monitor,path="$work/monitor" -mon chardev=monitor,mode=readline \
    -device qemu-xhci,id=xhci >"$work/qemu.log" 2>&1 &
qemu=$!
pids+=("$qemu")
# Opened for reading and writing, so that neither side ever waits for the other to open.
exec 5<>"$work/console.in" 6<>"$work/monitor.in" 7<>"$work/console.out" 8<>"$work/monitor.out"
cat <&7 >"$work/console.log" &
pids+=($!)
cat <&8 >"$work/monitor.log" &
pids+=($!)

monitor() { printf '%s\n' "$*" >&6; sleep 0.2; }

# Waits up to $1 s for the extended regular expression $2 in file $3.
await_file() {
    local deadline=$((SECONDS + $1))
    until grep -Eq -- "$2" "$3" 2>/dev/null; do
        ((SECONDS < deadline)) || return 1
        kill -0 "$qemu" 2>/dev/null || return 1
        sleep 0.05
    done
}

# guest LIMIT COMMAND...: runs a shell line in the guest; its output lands in
# $out, its exit code is the function's (124 when it did not end in LIMIT s).
seq=0
out=
guest() {
    local limit=$1
    shift
    seq=$((seq + 1))
    printf '%s %s\n' "$seq" "$*" >&5
    out=
    await_file "$limit" "^@@DONE $seq " "$work/console.log" || return 124
    out=$(sed -n "s/\r$//; s/^@@OUT $seq //p" "$work/console.log")
    return "$(sed -n "s/\r$//; s/^@@DONE $seq //p" "$work/console.log")"
}

if ! await_file 120 '^@@READY' "$work/console.log"; then
    echo "driver-tests: the guest did not start"
    cat "$work/console.log" "$work/qemu.log"
    exit 1
fi
echo "guest up after $((SECONDS - started)) s (kernel $version)"
grep '^@@NOTE' "$work/console.log" | tr -d '\r'

# ---------------------------------------------------------------- simulators

declare -A sim_pid
# start_sim NAME [options]: a simulator serving session after session on $work/NAME.tty.
# The guest's processor is a thread of this busy machine and may stall inside a
# frame: 14 ms still parts items (their pauses are 20 ms), and a longer silence
# after which the item goes on whole is a stall, counted in the tally (a
# program that pauses inside an item is caught on the pseudo-terminals).
start_sim() {
    local name=$1
    shift
    "$sim" --quiet-gap 14 --stall-tolerance 200 --link "$work/$name.tty" --transcript "$work/$name.transcript" --image-out "$work/$name.bin" "$@" \
        >"$work/$name.out" 2>&1 &
    sim_pid[$name]=$!
    pids+=($!)
    await_file 10 . "$work/$name.transcript"
}
# stop_sim NAME: ends it; its exit code (0: the program kept the protocol) goes to $sim_rc.
stop_sim() {
    local pid=${sim_pid[$1]}
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    sim_rc=$?
}
transcript() { cat "$work/$1.transcript" 2>/dev/null; }
protocol_errors() { grep -c 'PROTOCOL ERROR' "$work/$1.transcript"; }
# The line rates of the first three items received: the relay's rate sequence.
first_rates() { grep ' rx ' "$work/$1.transcript" | head -n 3 | grep -o '@[0-9]*' | tr -d @ | paste -sd ' '; }
last_received() { grep ' rx ' "$work/$1.transcript" | tail -n 1 | sed 's/.* rx //'; }
# The pause before the closing command, from its line's gap column.
closing_gap() { grep ' rx closing command' "$work/$1.transcript" | tail -n 1 | awk '{ print $3 }'; }

attach_8250() { monitor "chardev-change line8250 serial,path=$work/$1.tty"; }
detach_8250() { monitor "chardev-change line8250 null"; }

plugs=0
# plug NAME: a new FTDI adapter on NAME's simulator; waits for /dev/ttyUSB0.
plug() {
    plugs=$((plugs + 1))
    monitor "chardev-add serial,id=ftdi$plugs,path=$work/$1.tty"
    monitor "device_add usb-serial,id=usb$plugs,chardev=ftdi$plugs,serial=FWUT000$plugs"
    # Present, and still there a second later: the driver has settled.
    guest 30 await_device /dev/ttyUSB0 20 && sleep 1 && guest 30 await_device /dev/ttyUSB0 20
}
unplug() {
    monitor "device_del usb$plugs"
    guest 30 await_device /dev/ttyUSB0 20 absent
    local rc=$?
    for _ in $(seq 20); do
        monitor "chardev-remove ftdi$plugs"
        monitor "info chardev"
        tail -n 20 "$work/monitor.log" | tr -d '\r' | grep -q "^ftdi$plugs:" || break
    done
    return $rc
}

run_rc() { sed -n 's/^rc=//p' <<<"$out"; }
run_output() { sed -n 's/^out //p' <<<"$out"; }

# ---------------------------------------------------------------- cases

# update LINE DEVICE: a normal update with the sample firmware.
case_update() {
    local line=$1 device=$2 name=update-$1
    start_sim "$name"
    if [[ $line == 8250 ]]; then
        attach_8250 "$name"
        guest 10 stty -F "$device" -g
        local before=$out
    else
        plug "$name" || { fail "$line update" "/dev/ttyUSB0 did not appear"; stop_sim "$name"; return; }
        guest 30 fwut-cli ports
        local ports=$out
        guest 10 latency "$device"
        local latency_before=$out
    fi
    guest 120 "start u-$line $device --dir /opt/fwut/firmware --wait-timeout 60; finish u-$line 90"
    local run=$out rc
    rc=$(run_rc)
    if [[ $line == 8250 ]]; then
        guest 10 modem "$device"
        local modem_after=$out
        guest 10 stty -F "$device" -g
        local after=$out
        detach_8250
    else
        unplug
    fi
    stop_sim "$name"

    local rates errors problems=()
    rates=$(first_rates "$name")
    errors=$(protocol_errors "$name")
    [[ $rc == 0 ]] || problems+=("exit $rc")
    cmp -s "$work/$name.bin" "$work/sample.bin" || problems+=("flashed image differs from the conversion")
    [[ $rates == "57600 19200 57600" ]] || problems+=("relay rates '$rates'")
    [[ $errors == 0 && $sim_rc == 0 ]] || problems+=("$errors protocol errors (simulator exit $sim_rc)")
    if ((${#problems[@]} == 0)); then
        pass "$line update" "exit 0, image = conversion, relay rates $rates, no protocol error"
    else
        fail "$line update" "$(IFS=';'; echo "${problems[*]}")" "$(run_output; transcript "$name")"
    fi

    if [[ $line == 8250 ]]; then
        local samples
        samples=$(sed -n 's/^sample modem //p' <<<"$run")
        if [[ -n $samples ]] && ! grep -vq 'RTS.*DTR\|DTR.*RTS' <<<"$samples" && ! grep -q 'RTS\|DTR' <<<"$modem_after"; then
            pass "8250 modem lines" "DTR and RTS up while open ($(wc -l <<<"$samples") samples), down after the close"
        else
            fail "8250 modem lines" "while open: $(head -n 1 <<<"$samples"); after the close: $modem_after"
        fi
        if [[ -n $before && $before == "$after" ]]; then
            pass "8250 line settings" "after the close as before the open"
        else
            fail "8250 line settings" "before the open $before, after the close $after"
        fi
    else
        local expected="QEMU USB SERIAL (0403:6001, serial FWUT000$plugs)"
        if grep '/dev/ttyUSB0 ' <<<"$ports" | grep -qF "$expected"; then
            pass "FTDI ports" "$(grep ttyUSB0 <<<"$ports" | tr -s ' ')"
        else
            fail "FTDI ports" "no line names /dev/ttyUSB0 as $expected" "$ports"
        fi
        local samples
        samples=$(sed -n 's/^sample latency //p' <<<"$run" | sort -u | paste -sd ' ')
        if [[ $samples == 1 ]]; then
            pass "FTDI latency timer" "1 during the update (before: $latency_before)"
        else
            fail "FTDI latency timer" "during the update: '${samples:-no sample}' (before: $latency_before)"
        fi
    fi
}

# Connects LINE to the simulator NAME for a case; false when it could not.
connect() {
    if [[ $1 == 8250 ]]; then
        attach_8250 "$2"
    else
        plug "$2"
    fi
}
disconnect() {
    if [[ $1 == 8250 ]]; then
        detach_8250
    else
        unplug
    fi
}

# reject LINE DEVICE: page 2 rejected five times.
case_reject() {
    local line=$1 device=$2 name=reject-$1
    start_sim "$name" --reject-page 2:5
    connect "$line" "$name" || { fail "$line rejected page" "no device"; stop_sim "$name"; return; }
    guest 120 "start r-$line $device --dir /opt/fwut/firmware --wait-timeout 60; finish r-$line 90"
    local run=$out rc last
    rc=$(run_rc)
    guest 10 holders "$device"
    local holders=$out
    disconnect "$line"
    stop_sim "$name"
    last=$(last_received "$name")
    if [[ $rc == 8 && $last == 'closing command "<W"' && -z $holders && $sim_rc == 0 ]]; then
        pass "$line rejected page" "exit 8, \"<W\" received last, port closed, no protocol error"
    else
        fail "$line rejected page" "exit $rc, last received: $last, holders: '${holders}', simulator exit $sim_rc" \
            "$(run_output; transcript "$name")"
    fi
}

# interrupt LINE DEVICE: SIGINT in the middle of the transfer.
case_interrupt() {
    local line=$1 device=$2 name=interrupt-$1
    start_sim "$name"
    connect "$line" "$name" || { fail "$line Ctrl-C" "no device"; stop_sim "$name"; return; }
    guest 10 "start i-$line $device --dir /opt/fwut/large --wait-timeout 60"
    if await_file 90 ' rx page 10 header' "$work/$name.transcript"; then
        guest 10 signal "i-$line" INT
    fi
    guest 60 finish "i-$line" 30
    local run=$out rc last errors gap
    rc=$(run_rc)
    disconnect "$line"
    stop_sim "$name"
    last=$(last_received "$name")
    errors=$(grep 'PROTOCOL ERROR' "$work/$name.transcript")
    gap=$(closing_gap "$name")
    if [[ $rc == 11 && $last == 'closing command "<W"' && -z $errors ]]; then
        pass "$line Ctrl-C" "exit 11, \"<W\" after a pause of ${gap#+} ms, no protocol error"
    else
        fail "$line Ctrl-C" "exit $rc, last received: $last (pause ${gap#+} ms); ${errors:-no protocol error}" \
            "$(run_output | tail -n 5; grep -B3 -A3 'closing\|PROTOCOL' "$work/$name.transcript")"
    fi
}

# The adapter unplugged while the program waits for the module.
case_unplug_waiting() {
    local name=unplug-waiting
    start_sim "$name" --never-answer
    plug "$name" || { fail "FTDI unplugged while waiting" "no device"; stop_sim "$name"; return; }
    guest 10 "start w /dev/ttyUSB0 --dir /opt/fwut/firmware --wait-timeout 60"
    if ! guest 40 await_text w 30 "'Waiting for the module'"; then
        guest 40 finish w 5
        fail "FTDI unplugged while waiting" "the update never waited for the module" "$(run_output)"
        unplug
        stop_sim "$name"
        return
    fi
    local unplugged=$SECONDS
    unplug
    guest 40 finish w 30
    local run=$out rc took=$((SECONDS - unplugged))
    rc=$(run_rc)
    stop_sim "$name"
    if [[ $rc == 4 ]] && grep -qi "the serial line has gone" <<<"$run" && ((took <= 15)); then
        pass "FTDI unplugged while waiting" "exit 4, \"the serial line has gone\", ended within ${took} s"
    else
        fail "FTDI unplugged while waiting" "exit $rc after ${took} s" "$(run_output)"
    fi
}

# The adapter unplugged in the middle of the transfer.
case_unplug_transfer() {
    local name=unplug-transfer
    start_sim "$name"
    plug "$name" || { fail "FTDI unplugged in the transfer" "no device"; stop_sim "$name"; return; }
    guest 10 "start t /dev/ttyUSB0 --dir /opt/fwut/large --wait-timeout 60"
    local unplugged=$SECONDS
    if await_file 90 ' rx page 10 header' "$work/$name.transcript"; then
        unplugged=$SECONDS
        unplug
    fi
    guest 60 finish t 40
    local run=$out rc took=$((SECONDS - unplugged)) report
    rc=$(run_rc)
    stop_sim "$name"
    report=$(run_output | grep -A1 '^\[' | tail -n 1 | sed 's/ *$//')
    if [[ $rc != 0 && $rc != timeout && -n $report ]]; then
        pass "FTDI unplugged in the transfer" "exit $rc within ${took} s: $report"
    else
        fail "FTDI unplugged in the transfer" "exit $rc after ${took} s" "$(run_output)"
    fi
}

# A new adapter after those unplugged: the next update succeeds.
case_replug() {
    local name=replug
    start_sim "$name"
    plug "$name" || { fail "FTDI plugged back" "/dev/ttyUSB0 did not come back" "$(guest 5 ls /dev; echo "$out")"; stop_sim "$name"; return; }
    guest 120 "start p /dev/ttyUSB0 --dir /opt/fwut/firmware --wait-timeout 60; finish p 90"
    local rc
    rc=$(run_rc)
    unplug
    stop_sim "$name"
    if [[ $rc == 0 ]] && cmp -s "$work/$name.bin" "$work/sample.bin"; then
        pass "FTDI plugged back" "the next update succeeds (exit 0, image = conversion)"
    else
        fail "FTDI plugged back" "exit $rc" "$(run_output)"
    fi
}

for run in "update 8250 /dev/ttyS1" "reject 8250 /dev/ttyS1" "interrupt 8250 /dev/ttyS1" \
    unplug_waiting "update FTDI /dev/ttyUSB0" "reject FTDI /dev/ttyUSB0" "interrupt FTDI /dev/ttyUSB0" \
    unplug_transfer replug; do
    # shellcheck disable=SC2086
    case_$run
done

guest 10 dmesg
printf '%s\n' "$out" >"$work/dmesg.txt"
guest 10 poweroff -f
stalls=$(cat "$work"/*.transcript | grep -c 'taken as a stall' || true)
echo "$passed passed, $failed failed ($((SECONDS - started)) s, $stalls stalls of the guest inside an item)"
((failed == 0))
