#!/bin/bash
# How close our samplers come to the truth on loopback: chronyd (NTP) and the OV2 test server
# (OV2 over UDP, TCP and HTTP) serve this machine's own clock, so every delta is error. In each
# round, in one run: our samplers under Wine (bench/time_source_bench.cpp), the plainest NTP
# exchange from the same Wine process (sendto and a blocking recvfrom, T1 and T4 read right
# around them: the line our corrections must beat), and chronyd's own client (chronyd -Q,
# kernel timestamps) measuring the same chronyd: the anchor to approach. Prints per line the
# signed median delta (the bias), the median |delta| and the median latency in microseconds.
#   bench/time_sources.sh [rounds] [samples]     (default 3 rounds of 32 samples)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
ROUNDS=${1:-3}
SAMPLES=${2:-32}
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

LINE="samples $SAMPLES delay 16"
ours() {
  wine "$BUILD/win/bench/time_source_bench.exe" \
    "NTP=server 127.0.0.1 port $OVMON_NTP_PORT protocol ntp $LINE" \
    "NTP-plain=plain $OVMON_NTP_PORT $SAMPLES" \
    "OV2-UDP=server 127.0.0.1 port $OVMON_OV2_UDP_PORT protocol ov2 $LINE" \
    "OV2-TCP=server 127.0.0.1 port $OVMON_OV2_TCP_PORT protocol ov2-tcp $LINE" \
    "OV2-HTTP=server 127.0.0.1 port $OVMON_OV2_HTTP_PORT protocol http $LINE"
}
# chronyd's client: bursts of a few samples each, logged with offset and delay, the clock left
# alone; enough bursts for about as many samples as ours.
theirs() {
  for _ in $(seq $(((SAMPLES + 3) / 4))); do
    chronyd -Q -u root -f "$OUT/chrony-client.conf" -t 10 >/dev/null 2>&1
  done
}

ours >/dev/null  # warm Wine up once
for _ in $(seq "$ROUNDS"); do
  ours >> "$OUT/ours.txt"
  theirs
done
# measurements.log: offset in column 12 and delay in column 13, seconds. chronyd's offset is
# the local clock's error (local minus server); ours is delta (server minus local): one sign.
awk '$3 == "127.0.0.1" { printf "chronyd-Q %.1f %.1f\n", -$12 * 1e6, $13 * 1e6 }' "$OUT/measurements.log" \
  > "$OUT/theirs.txt"

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
printf '%-22s %8s %16s %16s %16s\n' "line" samples "median delta" "median |delta|" "median latency"
for label in NTP NTP-plain chronyd-Q OV2-UDP OV2-TCP OV2-HTTP; do
  rows=$(cat "$OUT/ours.txt" "$OUT/theirs.txt" | awk -v l="$label" '$1 == l')
  [ -n "$rows" ] || continue
  bias=$(echo "$rows" | awk '{print $2}' | median)
  delta=$(echo "$rows" | awk '{print ($2 < 0) ? -$2 : $2}' | median)
  latency=$(echo "$rows" | awk '{print $3}' | median)
  case $label in
    NTP) name="NTP, ours" ;;
    NTP-plain) name="NTP, plain exchange" ;;
    chronyd-Q) name="NTP, chronyd -Q" ;;
    *) name=$label ;;
  esac
  printf '%-22s %8d %+13.1f us %13.1f us %13.1f us\n' "$name" "$(echo "$rows" | grep -c .)" "$bias" "$delta" "$latency"
done
