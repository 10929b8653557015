# Starting and stopping the demo firmware in QEMU, for the scripts that source this file.
# qemu_start FIRMWARE UART-LOG starts QEMU's mps2-an385 with its GDB server on a free port of
# 127.0.0.1 and sets qemu_port; qemu_stop ends it. Whoever sources this stops QEMU on exit.

qemu_pid=
qemu_port=

qemu_stop() {
    if [ -n "$qemu_pid" ]; then
        kill "$qemu_pid" 2>/dev/null
        wait "$qemu_pid" 2>/dev/null
        qemu_pid=
    fi
}
trap qemu_stop EXIT
trap 'exit 1' INT TERM

# Whether something listens on the local TCP port $1 (from /proc, no tools needed).
qemu_listening() {
    grep -qi ":$(printf '%04X' "$1") 00000000:0000 0A" /proc/net/tcp /proc/net/tcp6 2>/dev/null
}

# A port taken meanwhile makes QEMU quit, and another is tried. `timeout` ends QEMU even if
# the script is killed without its traps.
qemu_start() {
    local firmware=$1 uart=$2 attempt candidate wait
    qemu_port=
    for attempt in 1 2 3 4 5 6 7 8; do
        candidate=$((20000 + RANDOM % 40000))
        qemu_listening "$candidate" && continue
        timeout --signal=KILL 300 qemu-system-arm -M mps2-an385 -display none -monitor none \
            -serial "file:$uart" -kernel "$firmware" -gdb "tcp:127.0.0.1:$candidate" &
        qemu_pid=$!
        for wait in $(seq 100); do
            kill -0 "$qemu_pid" 2>/dev/null || break
            if qemu_listening "$candidate"; then
                qemu_port=$candidate
                return 0
            fi
            sleep 0.05
        done
        qemu_stop
    done
    return 1
}
