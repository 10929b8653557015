#!/usr/bin/env bash
# Measures the channel from QEMU: the flood variants of the demo firmware send events as fast
# as the ring has room, and kavrin-cli records them over QEMU's GDB server for each ring size
# and poll period. Prints the rate received, the events dropped and the share of the wall
# time the guest ran (its recorded time over the recording's wall time).
# Usage: bench/qemu/channel-rate.sh [BUILD-FOLDER] [SECONDS]
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
bin=${1:-$top/build}/bin
seconds=${2:-5}
work=$(mktemp -d)
. "$top/tests/qemu/qemu-demo.sh"
trap 'qemu_stop; rm -rf "$work"' EXIT

printf "%-5s %-8s %12s %10s %10s\n" ring poll "rate kB/s" dropped "guest ran"
for kib in 4 16 64; do
    for poll in 1 5 10; do
        qemu_start "$bin/kavrin-demo-flood-${kib}k.elf" "$work/uart.log" || exit 1
        KAVRIN_GDB_POLL_MS=$poll "$bin/kavrin-cli" record --ip "127.0.0.1:$qemu_port" \
            --duration "$seconds" "$work/out.KVDat" 2>"$work/record.log"
        qemu_stop
        summary=$(grep '^Recorded' "$work/record.log")
        read -r bytes wall dropped < <(sed -E \
            's/Recorded [0-9]+ events, ([0-9]+) bytes in ([0-9.]+) s, ([0-9]+) events.*/\1 \2 \3/' \
            <<<"$summary")
        # The recording's duration in guest time, "Recording/Duration  2.6875777 s".
        guest=$("$bin/kavrin-cli" info "$work/out.KVDat" 2>/dev/null |
            awk -F'\t' '$1 == "Recording/Duration" { print $2 + 0 }')
        awk -v kib="$kib" -v poll="$poll" -v bytes="$bytes" -v wall="$wall" -v dropped="$dropped" \
            -v guest="$guest" 'BEGIN {
                printf "%-5s %-8s %12.0f %10d %9.0f%%\n", kib "K", poll " ms", bytes / wall / 1000,
                    dropped, 100 * guest / wall }'
    done
done
