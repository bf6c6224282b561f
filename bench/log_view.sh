#!/bin/bash
# The log viewer on a full-size service log (524287 bytes), three measures:
#  - the RTF renderer natively under Google Benchmark (goal: at least 100 MB/s);
#  - a full refresh in the real rich edit control under Wine (a log replaced by another)
#    against a raw read plus the same text set plain into a fresh control like it, in one run
#    (goal: no slower than 2.6 times the raw figure);
#  - following a log that grows by 200 lines a second for 60 s: the process's CPU time
#    against the same growth written with no viewer open (goal: a cost in proportion to what
#    was appended, not to the size of the log shown).
#   bench/log_view.sh [rounds [seconds [lines-per-second]]]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
ROUNDS=${1:-15}
SECONDS_FOLLOWED=${2:-60}
LINES_PER_SECOND=${3:-200}

install_packages
build_windows
echo "=== native Google Benchmark of the RTF renderer"
mkdir -p "$BUILD/bench-native"
clang++ -std=c++20 -O2 -I"$ROOT/src" -I"$ROOT" "$ROOT/bench/log_rtf_bench.cpp" "$ROOT/src/logview/log_rtf.cpp" \
  -lbenchmark -lpthread -o "$BUILD/bench-native/log_rtf_bench"
"$BUILD/bench-native/log_rtf_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

start_wine
trap stop_wine EXIT
echo "=== a full refresh under Wine"
wine "$BUILD/win/bench/log_view_bench.exe" refresh "$ROUNDS"
echo "=== following a growing log under Wine"
wine "$BUILD/win/bench/log_view_bench.exe" follow "$SECONDS_FOLLOWED" "$LINES_PER_SECOND"
