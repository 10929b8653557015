#!/usr/bin/env bash
# Soak: live recording in the window from the simulated target for an hour (or MINUTES) at
# about 5 MB/s, sampling the resident memory every minute. The window keeps at most a million
# events; the stream buffer keeps every byte of the recording (it is saved from memory) until
# its 4 GiB limit ends the recording and the bench starts the next one. So resident memory
# less the stream buffer must level off once the window is full. Opt-in, not part of the tests.
# Prints the samples and that growth.
# Usage: bench/soak/live-soak.sh [BUILD-FOLDER] [MINUTES] [EVENTS_PER_SECOND]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
bin=${1:-$top/build}/bin
minutes=${2:-60}
rate=${3:-900000} # about 5.5 bytes an event in the busy scenario
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$bin/kavrin_live_window_bench" $((minutes * 60)) "$rate" 60 | tee "$log"
awk '$1 == "memory" { n++; rss[n] = $4 - $5; events[n] = $3 }
     END {
         if (n < 3) { print "too few samples"; exit }
         # The window is full after a million events; growth is measured from the first sample
         # after that, to the last.
         for (i = 1; i <= n && events[i] < 2000000; i++) {}
         if (i >= n) { print "the window never filled"; exit }
         for (j = i; j <= n; j++) { if (rss[j] > top) top = rss[j] }
         printf "resident memory less the stream buffer: %.1f MB after the window filled, " \
             "%.1f MB at the end (%+.1f MB), at most %.1f MB\n", rss[i], rss[n], rss[n] - rss[i], top
     }' "$log"
