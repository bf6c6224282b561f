#!/bin/bash
# Sends the same test message with STARTTLS and AUTH LOGIN to the loopback SMTP server,
# with this applet's SMTP client (under Wine) and with swaks, alternating, and prints
# the median wall time of each and their ratio.   bench/smtp_send.sh [rounds]
# Ours runs twice per round: with the default certificate policy, which builds and checks
# the server's chain, and with "accept any certificate" (0xFFFF), which is what swaks does.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib.sh"
ROUNDS=${1:-15}

PACKAGES="$PACKAGES swaks libnet-ssleay-perl"
install_packages
build_windows
start_peers
start_wine
trap 'stop_peers; stop_wine' EXIT
wine reg add 'HKLM\Software\Classes\Tln\TLServiceSMTP' /v FQDN /d bench.test /f >/dev/null 2>&1
OVMAIL="$BUILD/win/tools/ovmail.exe"

policy() { wine reg add 'HKLM\Software\Classes\Tln\TLServiceSMTP' /v TLSIgnoreCertErrors /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
ours() { wine "$OVMAIL" localhost "$OVMON_SMTP_PORT" 2 alice s3cret monitor@example.com ops@example.com; }
theirs() {
  swaks --silent 2 --server localhost --port "$OVMON_SMTP_PORT" -tls --auth LOGIN --auth-user alice \
    --auth-password s3cret --from monitor@example.com --to ops@example.com --helo bench.test \
    --header "Subject: Orvane Monitor test message" --body "This is a test message from the Orvane Monitor."
}
seconds() { local start=$EPOCHREALTIME; "$@" >/dev/null; echo "$EPOCHREALTIME - $start" | bc -l; }

ours >/dev/null && theirs >/dev/null  # warm both up once
: > "$BUILD/bench-checked.txt"; : > "$BUILD/bench-unchecked.txt"; : > "$BUILD/bench-swaks.txt"
for _ in $(seq "$ROUNDS"); do
  policy 0x3300; seconds ours >> "$BUILD/bench-checked.txt"
  seconds theirs >> "$BUILD/bench-swaks.txt"
  policy 0xFFFF; seconds ours >> "$BUILD/bench-unchecked.txt"
done
median() { sort -n "$1" | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
CHECKED=$(median "$BUILD/bench-checked.txt"); UNCHECKED=$(median "$BUILD/bench-unchecked.txt")
SWAKS=$(median "$BUILD/bench-swaks.txt")
printf 'median over %d rounds: swaks %.3f s\n' "$ROUNDS" "$SWAKS"
printf '  ovmail (Wine), certificate chain checked:   %.3f s, ratio to swaks %.2f\n' "$CHECKED" \
  "$(echo "$CHECKED / $SWAKS" | bc -l)"
printf '  ovmail (Wine), any certificate (as swaks):  %.3f s, ratio to swaks %.2f\n' "$UNCHECKED" \
  "$(echo "$UNCHECKED / $SWAKS" | bc -l)"
