#!/bin/bash
# The log viewer on a full-size service log (524287 bytes): the RTF renderer natively under
# Google Benchmark (goal: at least 100 MB/s), and the whole refresh in the real rich edit control
# under Wine against a raw read plus the same text set plain into a fresh control like it, in
# one run (goal: at most 3 times the raw figure).
#   bench/log_view.sh [rounds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
ROUNDS=${1:-15}

install_packages
build_windows
echo "=== native Google Benchmark of the RTF renderer"
mkdir -p "$BUILD/bench-native"
clang++ -std=c++20 -O2 -I"$ROOT/src" -I"$ROOT" "$ROOT/bench/log_rtf_bench.cpp" "$ROOT/src/logview/log_rtf.cpp" \
  -lbenchmark -lpthread -o "$BUILD/bench-native/log_rtf_bench"
"$BUILD/bench-native/log_rtf_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

start_wine
trap stop_wine EXIT
echo "=== the refresh under Wine"
wine "$BUILD/win/bench/log_view_bench.exe" "$ROUNDS"
