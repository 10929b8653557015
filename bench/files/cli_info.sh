#!/bin/sh
# Whole-program time and peak memory of `kavrin-cli info` on a generated recording of
# 10,000,000 events, against `cat FILE > /dev/null` in the same run.
#
# usage: bench/files/cli_info.sh [BUILD_DIR] [EVENTS]
set -eu

build=${1:-build}
events=${2:-10000000}
bin=$build/bin
work=${TMPDIR:-/tmp}/kavrin-bench-files
file=$work/info-$events.KVDat
mkdir -p "$work"

if [ ! -f "$file" ]; then
    "$bin/kavrin-gen" --scenario control --events "$events" --seed 1 "$file"
fi
size=$(stat -c %s "$file")
echo "recording: $file ($events events, $size bytes)"

if command -v hyperfine >/dev/null 2>&1; then
    hyperfine --warmup 1 --runs 5 \
        "cat '$file' > /dev/null" \
        "'$bin/kavrin-cli' info '$file' > /dev/null 2>&1"
fi

# Best of three wall-clock times, with the peak resident memory of that run.
measure() {
    best=""
    for run in 1 2 3; do
        /usr/bin/time -f "%e %M" -o "$work/time.txt" sh -c "$1" >/dev/null 2>&1
        read -r seconds kilobytes < "$work/time.txt"
        if [ -z "$best" ] || awk "BEGIN { exit !($seconds < $best) }"; then
            best=$seconds
            peak=$kilobytes
        fi
    done
    echo "$best $peak"
}

set -- $(measure "cat '$file' > /dev/null")
cat_seconds=$1
set -- $(measure "'$bin/kavrin-cli' info '$file'")
cli_seconds=$1
cli_peak_mb=$(( $2 / 1024 ))

echo "cat:        ${cat_seconds} s"
echo "kavrin-cli: ${cli_seconds} s, peak memory ${cli_peak_mb} MB"
echo "ratio:      $(awk "BEGIN { printf \"%.1f\", $cli_seconds / ($cat_seconds + 0.001) }")"
echo "targets:    under 1.5 s and under 200 MB"
