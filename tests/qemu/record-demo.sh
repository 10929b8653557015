#!/usr/bin/env bash
# Records the demo firmware running in QEMU (mps2-an385) through QEMU's GDB server with
# kavrin-cli, and checks the recording: the demo's tasks and interrupts with plausible run
# counts, no gap in the stream, and a file that opens again. QEMU is killed in every outcome.
# Usage: record-demo.sh KAVRIN-CLI FIRMWARE WORK-FOLDER; exit 77 when QEMU or the firmware
# is missing (the test is then skipped).
set -uo pipefail
cli=$1
firmware=$2
work=$3
seconds=3
here=$(cd "$(dirname "$0")" && pwd)

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*"
    [ -f "$work/uart.log" ] && echo "QEMU's UART, last lines:" && tail -n 3 "$work/uart.log"
    exit 1
}

command -v qemu-system-arm >/dev/null ||
    skip "qemu-system-arm is not installed (apt-get install --no-install-recommends qemu-system-arm)"
[ -f "$firmware" ] ||
    skip "$firmware was not built: the cross compiler is missing (apt-get install gcc-arm-none-eabi)"

mkdir -p "$work" && cd "$work" || fail "cannot use $work"
rm -f uart.log out.KVDat ./*.txt ./*.log

. "$here/qemu-demo.sh"
qemu_start "$firmware" uart.log || fail "QEMU did not start with a GDB server"
port=$qemu_port

"$cli" record --ip "127.0.0.1:$port" --duration "$seconds" out.KVDat 2>record.log ||
    fail "kavrin-cli record ended with status $?: $(cat record.log)"
qemu_stop
cat record.log

"$cli" info out.KVDat >info.txt 2>info.log || fail "info cannot open the recording: $(cat info.log)"
"$cli" contexts out.KVDat >contexts.txt 2>contexts.log || fail "contexts: $(cat contexts.log)"
"$cli" events out.KVDat --first 0 --count 100000000 >events.txt 2>events.log ||
    fail "events: $(cat events.log)"
for log in info.log contexts.log events.log; do
    ! grep -q "decodable" "$log" || fail "the stream is broken: $(grep decodable "$log")"
done
grep -qx $'Target System/OS\tWren' info.txt || fail "the system description did not arrive"
grep -qx $'Target System/Device\tMPS2-AN385' info.txt || fail "the device is not named"

# Run counts (fourth column of the contexts list), at a quarter of what the demo's rates give
# in three seconds: 1 kHz tick, 2 kHz sample timer, 500 Hz control loop.
while IFS='|' read -r name least; do
    count=$(awk -F'\t' -v name="$name" '$1 == name { print $4 }' contexts.txt)
    [ -n "$count" ] || fail "no context \"$name\" in the recording"
    [ "$count" -ge "$least" ] || fail "$name ran $count times, expected at least $least"
    echo "$name: $count runs"
done <<'COUNTS'
SysTick|700
Sample timer|1400
UART0 TX|100
Control|350
Sensor|1400
Console|30
Monitor|5
COUNTS

# No gap: the module's own counters, logged ten times a second, against the host's event
# index: events received before the message + events the target dropped = events produced.
markers=$(grep -c $'\tKavrin: [0-9]* packets produced, [0-9]* dropped$' events.txt)
[ "$markers" -ge 10 ] || fail "only $markers counter messages arrived"
last=$(grep $'\tKavrin: [0-9]* packets produced, [0-9]* dropped$' events.txt | tail -n 1)
number=$(cut -f1 <<<"$last" | tr -d ' ')
read -r produced dropped < <(sed -E 's/.*Kavrin: ([0-9]+) packets produced, ([0-9]+) dropped$/\1 \2/' <<<"$last")
index=$((number - 1))
echo "The last counters: event index $index, $produced produced, $dropped dropped"
[ $((index + dropped)) -eq "$produced" ] ||
    fail "events were lost: index $index + dropped $dropped != produced $produced"
echo "PASSED"
