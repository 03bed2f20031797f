#!/bin/busybox sh
# /init of the driver bench's guest (see scripts/driver-tests.sh): mounts the
# system folders, loads the USB serial drivers, then runs the shell lines the
# host sends on the console (ttyS0), one at a time. Each line is "SEQ COMMAND";
# its output comes back as "@@OUT SEQ ..." lines and its end as
# "@@DONE SEQ EXITCODE". The helpers below are what the host calls.
/bin/busybox --install -s /bin
export PATH=/bin:/opt/fwut
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mountpoint -q /dev || mount -t devtmpfs devtmpfs /dev
mkdir -p /tmp /run /home/config/'Fernhollow Systems' /home/tmp
mount -t tmpfs tmpfs /tmp
echo 1 >/proc/sys/kernel/printk
export XDG_CONFIG_HOME=/home/config TMPDIR=/home/tmp HOME=/home

for module in usb-common usbcore xhci-hcd xhci-pci usbserial ftdi_sio; do
    insmod /modules/$module.ko || echo "@@NOTE insmod $module failed"
done

# The lines of an 8250 port's state (its RTS and DTR as the driver set them).
modem() { grep "^${1#/dev/ttyS}:" /proc/tty/driver/serial; }

latency() { cat /sys/bus/usb-serial/devices/"${1#/dev/}"/latency_timer 2>/dev/null || echo none; }

# The processes that hold the device $1 open.
holders() {
    local fd
    for fd in /proc/[0-9]*/fd/*; do
        [ "$(readlink "$fd")" = "$1" ] && echo "$fd"
    done
    return 0
}

# Waits up to $2 s until the device $1 is there ("present") or gone ("absent", $3).
await_device() {
    local i=0
    while [ $i -lt $(($2 * 10)) ]; do
        if [ "$3" = absent ]; then [ -e "$1" ] || return 0; else [ -e "$1" ] && return 0; fi
        usleep 100000
        i=$((i + 1))
    done
    return 1
}

# start NAME DEVICE [fwut-cli update options]: runs an update in the background;
# while it waits for the module, samples the port's modem lines and latency timer.
start() {
    local name=$1 device=$2
    shift 2
    rm -f /tmp/$name.*
    # Not started with "&": the shell would start it with SIGINT and SIGQUIT
    # ignored, and fwut-cli, as every program should, keeps a stop signal
    # ignored that it was started with.
    start-stop-daemon -S -b -m -p /tmp/$name.shell -x /bin/busybox -a sh -- -c \
        'n=$1 d=$2; shift 2; fwut-cli update --device "$d" "$@" </dev/null >/tmp/$n.out 2>&1; echo $? >/tmp/$n.rc' \
        sh "$name" "$device" "$@"
    (
        while [ ! -e /tmp/$name.rc ]; do
            if grep -q "Waiting for the module" /tmp/$name.out 2>/dev/null &&
                ! grep -q "Boot loader version\|Sending\|\[" /tmp/$name.out; then
                case $device in
                /dev/ttyS*) echo "modem $(modem "$device")" ;;
                /dev/ttyUSB*) echo "latency $(latency "$device")" ;;
                esac >>/tmp/$name.samples
            fi
            usleep 100000
        done
    ) </dev/null >/dev/null 2>&1 &
    local i=0 stat pid comm ppid
    while [ ! -s /tmp/$name.pid ] && [ ! -e /tmp/$name.rc ] && [ $i -lt 50 ]; do
        for stat in /proc/[0-9]*/stat; do
            read -r pid comm _ ppid _ 2>/dev/null <"$stat" || continue
            if [ "$comm" = "(fwut-cli)" ] && [ "$ppid" = "$(cat /tmp/$name.shell 2>/dev/null)" ]; then
                echo "$pid" >/tmp/$name.pid
            fi
        done
        usleep 20000
        i=$((i + 1))
    done
}

# Waits up to $2 s for the text $3 in NAME's output.
await_text() {
    local i=0
    while [ $i -lt $(($2 * 10)) ]; do
        grep -q "$3" /tmp/$1.out 2>/dev/null && return 0
        usleep 100000
        i=$((i + 1))
    done
    return 1
}

# Fails loudly when the update's process id was never found: busybox's kill
# with an empty argument signals nobody and succeeds.
signal() {
    [ -s /tmp/$1.pid ] || { echo "no process id for $1"; return 1; }
    kill -"$2" "$(cat /tmp/$1.pid)"
}

# finish NAME LIMIT: waits up to LIMIT s for NAME's end, then prints its exit
# code ("rc=N", or "rc=timeout" after killing it), its samples and its output.
finish() {
    local i=0 rc=timeout
    while [ ! -e /tmp/$1.rc ] && [ $i -lt $(($2 * 10)) ]; do usleep 100000; i=$((i + 1)); done
    if [ -e /tmp/$1.rc ]; then
        usleep 100000
        rc=$(cat /tmp/$1.rc)
    elif [ -s /tmp/$1.pid ]; then
        kill -KILL "$(cat /tmp/$1.pid)"
    else
        echo "out no process id for $1: it may still hold the port"
    fi
    echo "rc=$rc"
    [ -e /tmp/$1.samples ] && sed 's/^/sample /' /tmp/$1.samples
    sed 's/^/out /' /tmp/$1.out
}

stty -echo
echo "@@READY"
while read -r seq command; do
    eval "$command" </dev/null >/tmp/command.out 2>&1
    rc=$?
    sed "s/^/@@OUT $seq /" /tmp/command.out
    echo "@@DONE $seq $rc"
done
poweroff -f
