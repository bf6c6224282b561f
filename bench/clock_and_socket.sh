#!/bin/bash
# The floor the samplers are held to: the cost of Now() and of one ExchangeDatagram round
# trip to a loopback UDP echo, measured by a Windows program under Wine (median of many runs,
# ns per call), and the portable block arithmetic under Google Benchmark natively.
#   bench/clock_and_socket.sh [runs]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
RUNS=${1:-31}

install_packages
build_windows
echo "=== native Google Benchmark of the counters-block arithmetic"
mkdir -p "$BUILD/bench-native"
clang++ -std=c++20 -O2 -I"$ROOT/src" "$ROOT/bench/clock_math_bench.cpp" "$ROOT/src/sampling/clock_math.cpp" \
  -lbenchmark -lpthread -o "$BUILD/bench-native/clock_math_bench"
"$BUILD/bench-native/clock_math_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

start_wine
trap stop_wine EXIT
echo "=== under Wine"
wine "$BUILD/win/bench/clock_socket_bench.exe" "$RUNS"
