#!/bin/bash
# The History page with 1 000, 3 000 and 9 999 stored checks: the first listing, a return to the
# tab and each toggle of "Only show alerts" in the real sheet, against a raw read of the same
# files, and the longest time the sheet took to answer a message; under Wine, in one run.
#   bench/history.sh
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"

install_packages
build_windows
start_wine
trap stop_wine EXIT
echo "=== History page under Wine"
wine "$BUILD/win/bench/history_bench.exe"
