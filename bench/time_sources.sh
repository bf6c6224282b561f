#!/bin/bash
# How close our samplers come to the truth on loopback: chronyd (NTP) and the OV2 test server
# (OV2 over UDP, TCP and HTTP) serve this machine's own clock, so every |delta| is error.
# Alternating rounds in one run: our samplers under Wine (bench/time_source_bench.cpp), then
# chronyd's own client (chronyd -Q, kernel timestamps) measuring the same chronyd. Prints per
# protocol the median |delta| and the median latency (round-trip delay) in microseconds.
#   bench/time_sources.sh [rounds]     (4 samples per protocol and round; default 8 rounds)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
ROUNDS=${1:-8}
export OVMON_OV2_OFFSET_MS=0

install_packages
build_windows
start_peers
start_wine
trap 'stop_peers; stop_wine' EXIT
OUT="$BUILD/bench-time-sources"
rm -rf "$OUT"
mkdir -p "$OUT"
cat > "$OUT/chrony-client.conf" <<CONF
server 127.0.0.1 port $OVMON_NTP_PORT iburst minpoll -6 maxpoll -6
logdir $OUT
log measurements
CONF

SAMPLES="samples 4 delay 16"
ours() {
  wine "$BUILD/win/bench/time_source_bench.exe" \
    "NTP=server 127.0.0.1 port $OVMON_NTP_PORT protocol ntp $SAMPLES" \
    "OV2-UDP=server 127.0.0.1 port $OVMON_OV2_UDP_PORT protocol ov2 $SAMPLES" \
    "OV2-TCP=server 127.0.0.1 port $OVMON_OV2_TCP_PORT protocol ov2-tcp $SAMPLES" \
    "OV2-HTTP=server 127.0.0.1 port $OVMON_OV2_HTTP_PORT protocol http $SAMPLES"
}
# chronyd's client: a burst of samples logged with offset and delay, the clock left alone.
theirs() {
  chronyd -Q -u root -f "$OUT/chrony-client.conf" -t 10 >/dev/null 2>&1
}

ours >/dev/null  # warm Wine up once
for _ in $(seq "$ROUNDS"); do
  ours >> "$OUT/ours.txt"
  theirs
done
# measurements.log: offset in column 12 and delay in column 13, seconds.
awk '$3 == "127.0.0.1" { printf "chronyd-Q %.1f %.1f\n", $12 * 1e6, $13 * 1e6 }' "$OUT/measurements.log" \
  > "$OUT/theirs.txt"

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
printf '%-18s %8s %16s %16s\n' "protocol" samples "median |delta|" "median latency"
for label in NTP OV2-UDP OV2-TCP OV2-HTTP chronyd-Q; do
  rows=$(cat "$OUT/ours.txt" "$OUT/theirs.txt" | awk -v l="$label" '$1 == l')
  delta=$(echo "$rows" | awk '{print ($2 < 0) ? -$2 : $2}' | median)
  latency=$(echo "$rows" | awk '{print $3}' | median)
  name=$label; [ "$label" = chronyd-Q ] && name="NTP, chronyd -Q"
  printf '%-18s %8d %13.1f us %13.1f us\n' "$name" "$(echo "$rows" | grep -c .)" "$delta" "$latency"
done
